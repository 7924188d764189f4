#include "app/page_session.h"

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "app/page_script.h"
#include "demo/link.h"
#include "demo/recorder.h"
#include "game/maths.h"
#include "game/player.h"
#include "game/world.h"

namespace {

// In the page's memory: the browser's own file system never sees it.
constexpr char kSessionPath[] = "/session.rec";

Recorder g_recorder;
bool g_open = false;  // the session is being written: from its start to Escape or a replay
size_t g_told = 0;    // games whose end the page's script has heard of
// Where the page's own play stood when its last session ended.
uint64_t g_draws = 0;
int g_best = 0;
// The page's keys that went down as the page's: their releases are the page's too, even once
// a new game has begun.
bool g_shareHeld = false;
bool g_saveHeld = false;

// The game as a link, offered only where the page itself would read it back: a game longer
// than a link holds is offered as the session's file alone.
void TellGameEnded() {
  const GameMark& mark = g_recorder.games.back();
  Recording session, game;
  std::string error;
  if (!FlushRecording(&g_recorder.file)) error = g_recorder.file.failure;
  if (!error.empty() || !LoadRecording(kSessionPath, &session, &error)) {
    TellPage("unshared", error, mark.end.score);
    return;
  }
  const std::string link = EncodeLink(GameOfSession(session, mark));
  if (!DecodeLink(link, &game, &error)) {
    TellPage("unshared", error, mark.end.score);
    return;
  }
  TellPage("ended", link, mark.end.score, static_cast<int>(game.end.step));
}

// A key down or up that the page takes for itself after "game over".
bool PageKey(bool down, int sym, int key, bool* held) {
  if (sym != key || (down && !g_gameOver) || (!down && !*held)) return false;
  *held = down;
  if (down) TellPage(key == kKeyShare ? "share" : "save", "");
  return true;
}

}  // namespace

void StartPageSession() {
  // What the last session offered goes with it, whether it ended in play or by a stop.
  TellPage("playing", "");
  std::remove(kSessionPath);
  std::string error;
  g_told = 0;
  g_open = StartRecorder(kSessionPath, &g_recorder, &error, g_draws, g_best);
  if (g_open) return;
  // The game is played all the same, unwritten: the page's memory is full.
  TellPage("line", "this session is not recorded: " + error);
  SetRandomDraws(g_draws);
  g_bestScore = g_best;
  NewGame();
}

void EndPageSession() {
  if (!g_open) return;
  std::string error;
  if (!StopRecorder(&g_recorder, &error)) TellPage("line", "the session's file: " + error);
  g_open = false;
  g_draws = RandomDraws();
  g_best = g_bestScore;
}

void PageSessionKey(bool down, int sym) {
  if (PageKey(down, sym, kKeyShare, &g_shareHeld) || PageKey(down, sym, kKeySave, &g_saveHeld)) {
    return;
  }
  const bool over = g_gameOver;
  if (g_open) RecordKey(&g_recorder, down, sym);
  down ? OnKeyDown(sym) : OnKeyUp(sym);
  if (over && !g_gameOver) TellPage("playing", "");
}

bool PageSessionOfferKey(int sym) {
  if (!g_gameOver || (sym != kKeyShare && sym != kKeySave)) return false;
  TellPage(sym == kKeyShare ? "share" : "save", "");
  return true;
}

void PageSessionStep() {
  if (!g_open) {
    UpdateWorld();
    return;
  }
  std::string error;
  // The game goes on unwritten; the page says so once.
  if (!RecordedStep(&g_recorder, &error)) TellPage("line", "the session's file: " + error);
  if (g_recorder.games.back().ended && g_told < g_recorder.games.size() &&
      RecordedWhole(g_recorder)) {
    g_told = g_recorder.games.size();
    TellGameEnded();
  }
}

extern "C" EMSCRIPTEN_KEEPALIVE const char* PageSessionFile() {
  static std::string text;
  text = SessionSoFar(&g_recorder);
  return text.c_str();
}
