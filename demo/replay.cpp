#include "demo/replay.h"

#include <algorithm>

#include "demo/checkpoint.h"
#include "demo/link.h"
#include "game/maths.h"
#include "game/player.h"
#include "game/world.h"

namespace {

void Stop(Replay* replay, const std::string& fault) {
  replay->over = true;
  replay->fault = fault;
}

std::string Differs(const Replay& replay) {
  return "differs from the recording at step " + std::to_string(replay.steps);
}

// A recording cut short is replayed as far as its checkpoints go, and no further.
void CheckEnd(Replay* replay) {
  const Recording& recording = *replay->recording;
  if (replay->steps < JustifiedSteps(recording)) return;
  if (!recording.complete) {
    Stop(replay, "replays exactly up to step " + std::to_string(replay->steps) +
                     ", where the recording ends: the game was cut off");
  } else if (!(TakeCheckpoint(replay->steps) == recording.end)) {
    Stop(replay, Differs(*replay));
  } else {
    Stop(replay, "");
  }
}

// 1.0.0 played on the C library's maths, which only the same C library computes as it did:
// its recordings are checked where that is glibc, and refused elsewhere rather than shown to
// differ.
std::string StartLibraryMaths(const Recording& recording) {
#ifdef __GLIBC__
  uint32_t fingerprint[kFingerprintValues];
  TakeRandFingerprint(fingerprint);
  if (std::equal(fingerprint, fingerprint + kFingerprintValues, recording.fingerprint)) return "";
  // Not a difference in the game: the same keys make another game under another sequence.
  return "recorded with another C library's random sequence";
#else
  (void)recording;
  return "made by driftbeam 1.0.0 on the C library's maths: only a build on glibc checks it";
#endif
}

}  // namespace

void StartReplay(const Recording& recording, Replay* replay) {
  *replay = {&recording, 0, 0, 0, 1, false, ""};
  std::string fault;
  if (recording.format == kLibraryMathsFormat) {
    fault = StartLibraryMaths(recording);
    g_bestScore = 0;
  } else {
    UseLibraryMaths(false);
    SetRandomDraws(recording.draws);
    g_bestScore = recording.best;
  }
  NewGame();
  if (!fault.empty()) {
    Stop(replay, fault);
    return;
  }
  CheckEnd(replay);
}

void ReplayStep(Replay* replay) {
  if (replay->over) return;
  const std::vector<KeyRecord>& keys = replay->recording->keys;
  for (; replay->key < keys.size() && keys[replay->key].step == replay->steps; ++replay->key) {
    const KeyRecord& key = keys[replay->key];
    if (key.down) {
      if (g_gameOver) ++replay->games;
      OnKeyDown(key.sym);
    } else {
      OnKeyUp(key.sym);
    }
  }
  const bool ended = StepWorld();
  ++replay->steps;
  // A checkpoint where the game writes one, and none where it does not. A link's one game
  // ends exactly where its closing record stands, which CheckEnd compares.
  const Recording& recording = *replay->recording;
  const std::vector<Checkpoint>& checkpoints = recording.checkpoints;
  if (recording.endOnly) {
    if (ended != (replay->steps == recording.end.step)) {
      Stop(replay, Differs(*replay));
    } else {
      CheckEnd(replay);
    }
    return;
  }
  const bool due = ended || replay->steps % kCheckpointEvery == 0;
  const bool listed = replay->checkpoint < checkpoints.size() &&
                      checkpoints[replay->checkpoint].step == replay->steps;
  if (due != listed ||
      (due && !(checkpoints[replay->checkpoint] == TakeCheckpoint(replay->steps)))) {
    Stop(replay, Differs(*replay));
    return;
  }
  if (listed) ++replay->checkpoint;
  CheckEnd(replay);
}

bool CheckRecording(const char* path, std::string* line) {
  Recording recording;
  std::string name, error;
  if (!LoadGame(path, &recording, &name, &error)) {
    *line = name + ": " + error;
    return false;
  }
  Replay replay;
  StartReplay(recording, &replay);
  while (!replay.over) ReplayStep(&replay);
  *line = ReplayVerdict(name.c_str(), replay);
  return replay.fault.empty();
}

std::string ReplayVerdict(const char* path, const Replay& replay) {
  if (!replay.fault.empty()) return std::string(path) + ": " + replay.fault;
  if (replay.recording->endOnly) {
    return std::string(path) + ": one game, score " + std::to_string(g_player->score) + ", " +
           std::to_string(replay.steps) + " steps: replays exactly";
  }
  // The best score counts only games that ended; a last one left running has a score too.
  const std::string unfinished =
      g_gameOver ? ""
                 : ", the last game left unfinished with score " + std::to_string(g_player->score);
  return std::string(path) + ": " + std::to_string(replay.games) +
         (replay.games == 1 ? " game" : " games") + ", best score " + std::to_string(g_bestScore) +
         ", " + std::to_string(replay.steps) + " steps" + unfinished + ": replays exactly";
}
