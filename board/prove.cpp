#include "board/prove.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include "demo/checkpoint.h"
#include "demo/link.h"
#include "demo/replay.h"
#include "game/player.h"
#include "game/world.h"

namespace {

constexpr char kFileMagic[] = "driftbeam-recording ";
// A check's budget: a second for the process itself, then a quarter of a millisecond a step,
// some five times what the busiest last tier costs (the deep game: 0.6 s for 10,825 steps).
constexpr double kBaseSeconds = 1.0;
constexpr double kSecondsPerStep = 0.00025;

bool Refuse(Proof* proof, int status, const std::string& line) {
  proof->status = status;
  proof->line = line;
  return false;
}

// The reader takes a file by its path: the text goes into a file in memory that only this
// process sees, and is read back by the same code that reads a player's file.
bool LoadText(const std::string& text, Recording* recording, std::string* error) {
  const int fd = memfd_create("submission", MFD_CLOEXEC);
  if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    if (fd >= 0) close(fd);
    *error = "cannot be read: no room to hold it";
    return false;
  }
  const bool read =
      LoadRecording(("/proc/self/fd/" + std::to_string(fd)).c_str(), recording, error);
  close(fd);
  return read;
}

}  // namespace

bool ReadGame(const std::string& text, Recording* recording, Proof* proof) {
  const size_t start = text.find_first_not_of(" \t\r\n");
  const bool file =
      start != std::string::npos && text.compare(start, sizeof kFileMagic - 1, kFileMagic) == 0;
  const std::string name = file ? "recording: " : "link: ";
  std::string error;
  if (file ? !LoadText(text.substr(start), recording, &error)
           : !DecodeLink(text, recording, &error)) {
    return Refuse(proof, error == "longer than 30 minutes of play" ? 413 : 422, name + error);
  }
  if (recording->format != kFormatVersion) {
    return Refuse(proof, 422,
                  name +
                      "made by driftbeam 1.0.0 on the C library's maths: only games of "
                      "driftbeam 1.1.0 and later rank");
  }
  // A later game starts where an earlier one left the random sequence: another game than
  // the one every player meets at start-up.
  if (recording->draws != 0 || recording->best != 0) {
    return Refuse(proof, 422,
                  name + "a later game of its session: only a session's first game ranks");
  }
  return true;
}

int CheckSeconds(const Recording& recording) {
  const int64_t steps = std::min(JustifiedSteps(recording), kMostRankedSteps + 1);
  return static_cast<int>(kBaseSeconds + kSecondsPerStep * static_cast<double>(steps)) + 1;
}

Proof ProveGame(const Recording& recording) {
  Proof proof;
  const std::string name = recording.endOnly ? "link: " : "recording: ";
  Recording& file = proof.file;
  file.format = kFormatVersion;
  file.gameVersion = DRIFTBEAM_VERSION;
  file.draws = 0;
  file.best = 0;
  Replay replay;
  StartReplay(recording, &replay);
  // The first game's end is where a session's first game is cut from the rest.
  while (!replay.over && !g_gameOver) {
    if (replay.steps == kMostRankedSteps) {
      proof.status = 413;
      proof.line = name + "its first game is longer than 30 minutes of play";
      return proof;
    }
    ReplayStep(&replay);
    if (replay.steps % kCheckpointEvery == 0 || g_gameOver) {
      file.checkpoints.push_back(TakeCheckpoint(replay.steps));
    }
  }
  // A session cut off after its first game ended has all that game needs.
  const bool cutOff = !recording.complete && replay.steps >= JustifiedSteps(recording);
  const bool matched = !recording.endOnly && replay.checkpoint > 0 &&
                       recording.checkpoints[replay.checkpoint - 1].step == replay.steps;
  const bool exact = replay.fault.empty() || (cutOff && matched);
  if (!exact || !g_gameOver) {
    proof.status = 422;
    proof.line = exact ? name + "its first game does not end in it"
                       : ReplayVerdict(name.substr(0, name.size() - 2).c_str(), replay);
    return proof;
  }
  proof.status = 201;
  proof.score = g_player->score;
  proof.steps = replay.steps;
  GameMark mark = {0, 0, 0, 0, true, file.checkpoints.back()};
  proof.game = recording.endOnly ? recording : GameOfSession(recording, mark);
  proof.game.gameVersion = DRIFTBEAM_VERSION;
  file.keys = proof.game.keys;
  file.end = file.checkpoints.back();
  file.complete = true;
  return proof;
}
