#include "app/page_replay.h"

#include "app/audio.h"
#include "app/page_script.h"
#include "demo/link.h"
#include "demo/replay.h"
#include "game/player.h"
#include "game/world.h"
#include "render/frame.h"

namespace {

struct Watch {
  Recording recording;  // what is watched
  std::string name;     // "link", or the file's name
  Replay replay;
  int pace;     // the game's speed times 2 to this power
  int waited;   // steps of the loop passed over since the last replayed one, when slower
  bool framed;  // its first frame is drawn
  bool judged;  // its verdict is shown
};

// Read, and waiting to start.
Recording g_readied;
std::string g_readiedName;

Watch g_watch;

bool Ready(const Recording& recording, const std::string& name, std::string* line) {
  // The page has no glibc to compute 1.0.0's maths with, and would only show it differ.
  if (recording.format != kFormatVersion) {
    *line = name + ": made by driftbeam 1.0.0 on the C library's maths: only the desktop game " +
            "on glibc replays it";
    return false;
  }
  g_readied = recording;
  g_readiedName = name;
  return true;
}

// What the check says at the end, over the last picture, and to the page's script in the
// words --check prints.
void Judge() {
  const Replay& replay = g_watch.replay;
  const bool exact = replay.fault.empty();
  std::string verdict = "no exact replay", detail = replay.fault;
  if (exact && g_watch.recording.endOnly) {
    verdict = "replays exactly: score " + std::to_string(g_player->score);
    detail = "one game, " + std::to_string(replay.steps) + " steps";
  } else if (exact) {
    verdict = "replays exactly: best score " + std::to_string(g_bestScore);
    detail = std::to_string(replay.games) + (replay.games == 1 ? " game, " : " games, ") +
             std::to_string(replay.steps) + " steps";
  }
  RenderVerdictFrame(verdict.c_str(), detail.c_str(), "press Escape to play", exact);
  TellPage("verdict", ReplayVerdict(g_watch.name.c_str(), replay), exact);
  g_watch.judged = true;
}

}  // namespace

bool ReadyLink(const char* text, std::string* line) {
  Recording recording;
  std::string error;
  if (!DecodeLink(text, &recording, &error)) {
    *line = "link: " + error;
    return false;
  }
  return Ready(recording, "link", line);
}

bool ReadyFile(const char* path, const char* name, std::string* line) {
  Recording recording;
  std::string error;
  if (!LoadRecording(path, &recording, &error)) {
    *line = std::string(name) + ": " + error;
    return false;
  }
  return Ready(recording, name, line);
}

void StartPageReplay() {
  g_watch.recording = std::move(g_readied);
  g_watch.name = g_readiedName;
  g_watch.pace = 0;
  g_watch.waited = 0;
  g_watch.framed = false;
  g_watch.judged = false;
  StartReplay(g_watch.recording, &g_watch.replay);
  TellPage("watching", g_watch.name);
}

void PageReplayKey(int sym) {
  if (sym == kKeyRight && g_watch.pace < kMostFaster) ++g_watch.pace;
  if (sym == kKeyLeft && g_watch.pace > -kMostSlower) --g_watch.pace;
  if (sym == kKeyRight || sym == kKeyLeft) TellPage("pace", "", g_watch.pace);
}

void PageReplayStep() {
  Replay& replay = g_watch.replay;
  if (g_watch.judged) return;
  if (g_watch.pace < 0 && ++g_watch.waited < 1 << -g_watch.pace) return;
  g_watch.waited = 0;
  const int steps = g_watch.pace > 0 ? 1 << g_watch.pace : 1;
  for (int i = 0; i < steps && !replay.over; ++i) {
    SoundBeforeStep();  // the replay hands its keys over after this glance, before the tick
    ReplayStep(&replay);
    SoundAfterStep();
  }
  RenderFrame();
  if (!g_watch.framed) TellPage("frame", "");
  g_watch.framed = true;
  if (replay.over) Judge();
}

bool PageReplayRunning() {
  return !g_watch.replay.over;
}
