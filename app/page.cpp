// driftbeam in a browser page: start-up, one pass of the loop per animation frame, the stop
// that Escape asks for, from which a key or a click plays again, and replays watched in place
// of play, which Escape leaves.
#include <GL/gl.h>
#include <SDL.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <string>

#include "app/audio.h"
#include "app/events.h"
#include "app/loop.h"
#include "app/page_replay.h"
#include "app/page_script.h"
#include "app/page_session.h"
#include "app/still_picture.h"
#include "game/world.h"
#include "render/font.h"
#include "render/frame.h"
#include "render/present.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

uint32_t ReadClock(void*) {
  return SDL_GetTicks();
}

// "game over" stops drawing once its picture stands, so that a page left there rests.
StillPicture g_still;

bool PollEvent(void* context, LoopEvent* event) {
  if (!PollSdlEvent(context, event)) return false;
  NoteEvent(&g_still, *event);
  return true;
}

// A browser lets a page start its sound only once the player has pressed a key, clicked or
// lifted a finger: the first of those opens the device, never start-up.
bool g_soundAsked = false;

void AskSound() {
  if (!g_soundAsked) OpenSound(false);
  g_soundAsked = true;
}

// The sound's key is the page's, never the game's. True when the key goes no further.
bool SoundKey(int sym) {
  AskSound();
  if (sym != kKeyMute) return false;
  ToggleMute();
  return true;
}

// Play, written down as it goes. The world never changes while a frame is drawn.
void PlayStep(void*) {
  SoundBeforeStep();
  PageSessionStep();
  SoundAfterStep();
  if (FrameWanted(&g_still, g_gameOver)) RenderFrame();
}

void PlayKeyDown(void*, int sym) {
  if (!SoundKey(sym)) PageSessionKey(true, sym);
}

void PlayKeyUp(void*, int sym) {
  if (sym != kKeyMute) PageSessionKey(false, sym);
}

// After "game over" the world stands still already: nothing to pause.
bool InPlay(void*) {
  return !g_gameOver;
}

// A replay: its keys set the pace, and nothing reaches the game.
void WatchStep(void*) {
  PageReplayStep();
}

void WatchKeyDown(void*, int sym) {
  if (!SoundKey(sym)) PageReplayKey(sym);
}

void WatchKeyUp(void*, int) {}

bool Watching(void*) {
  return PageReplayRunning();
}

void ShowPause(void*, bool paused) {
  PauseSound(paused);
  ShowPausedPicture(paused);
}

// The browser calls a pass and gets the page back: a pass never sleeps or waits for events.
const LoopHooks kPlayHooks = {nullptr,   PollEvent, ReadClock, PlayStep,  PlayKeyDown,
                              PlayKeyUp, nullptr,   InPlay,    ShowPause, nullptr};
const LoopHooks kWatchHooks = {nullptr,    PollEvent, ReadClock, WatchStep, WatchKeyDown,
                               WatchKeyUp, nullptr,   Watching,  ShowPause, nullptr};

const LoopHooks* g_hooks = &kPlayHooks;
LoopState g_loop;

void Stop();
void Leave();
void TellGameState(bool stopped);

// One pass of the game's loop per animation frame.
void Pass() {
  OpenNewGamepads();
  if (RunLoopPass(*g_hooks, &g_loop)) {
    TellGameState(false);
    return;
  }
  g_hooks == &kWatchHooks ? Leave() : Stop();
}

// The loop afresh on a black picture, as when the page opened, with `start` setting up the
// world. Whatever came meanwhile is passed over, keys and pads alike, so it steers nothing.
void Run(const LoopHooks& hooks, void (*start)()) {
  LoopEvent stale;
  while (PollSdlEvent(nullptr, &stale)) {
  }
  DropKeptPicture();
  // The canvas keeps its picture from frame to frame (the link asks WebGL to preserve it), as
  // a desktop's swap does: nothing clears it but this.
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  start();
  PauseSound(false);
  g_hooks = &hooks;
  g_loop = StartLoop(hooks);
  emscripten_set_main_loop(Pass, 0, 0);
}

void Play() {
  Run(kPlayHooks, StartPageSession);
}

// Any key but Escape, which stopped the game, plays again; a key held down repeats, and the
// repeats of Escape must not undo the stop they follow.
EM_BOOL OnKey(int, const EmscriptenKeyboardEvent* key, void*);
EM_BOOL OnClick(int, const EmscriptenMouseEvent*, void*);
EM_BOOL OnTouch(int, const EmscriptenTouchEvent*, void*);

// A tap on the picture plays again too: a touch makes no click where the page keeps the
// browser from scrolling under it.
void Listen(bool on) {
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, true,
                                  on ? OnKey : nullptr);
  emscripten_set_mousedown_callback("#canvas", nullptr, true, on ? OnClick : nullptr);
  emscripten_set_touchstart_callback("#canvas", nullptr, true, on ? OnTouch : nullptr);
}

EM_BOOL OnKey(int, const EmscriptenKeyboardEvent* key, void*) {
  if (key->repeat || key->keyCode == 27) return EM_FALSE;
  // The game that ended before the stop is still offered: s and f stay the page's.
  const int sym = key->key[0] != '\0' && key->key[1] == '\0' ? key->key[0] : 0;
  if (PageSessionOfferKey(sym)) return EM_TRUE;
  Listen(false);
  Play();
  return EM_TRUE;
}

EM_BOOL OnClick(int, const EmscriptenMouseEvent*, void*) {
  Listen(false);
  Play();
  return EM_TRUE;
}

EM_BOOL OnTouch(int, const EmscriptenTouchEvent*, void*) {
  Listen(false);
  Play();
  return EM_TRUE;
}

// The loop ends as the desktop game's would, and so does the session's file; the picture
// stays, with word of how to go on.
void Stop() {
  emscripten_cancel_main_loop();
  EndPageSession();
  PauseSound(true);
  RenderStoppedFrame();
  Listen(true);
  TellGameState(true);
}

// The page keeps the screen awake while a game is in play, or a replay runs, and lets it dim
// otherwise (web/awake.js); it hears of each change once. The numbers are
// Module.onGameState's.
void TellGameState(bool stopped) {
  static int told = -1;
  const int state = stopped ? 3 : g_loop.paused ? 1 : g_hooks->inPlay(nullptr) ? 0 : 2;
  if (state == told) return;
  told = state;
  EM_ASM(
      {
        if (Module.onGameState) Module.onGameState($0);
      },
      state);
}

// Escape leaves a replay for a new game of the page's own.
void Leave() {
  emscripten_cancel_main_loop();
  TellPage("left", "");
  Play();
}

// A replay in place of whatever the page was doing: play (whose session ends), a stop, or
// another replay.
const char* Watch(bool ready, const std::string& line) {
  static std::string said;
  said = line;
  if (!ready) return said.c_str();
  emscripten_cancel_main_loop();
  Listen(false);
  EndPageSession();
  Run(kWatchHooks, StartPageReplay);
  return said.c_str();
}

}  // namespace

// The end of a touch is the browser's leave to sound, as a key press is: the first opens the
// device, and a device opened by a touch that came before any finger had lifted (the browser
// held it silent then) is woken.
extern "C" EMSCRIPTEN_KEEPALIVE void driftbeam_touch_ended() {
  AskSound();
  EM_ASM({
    if (SDL.audioContext && SDL.audioContext.state == 'suspended') SDL.audioContext.resume();
  });
}

// For the page's script: watch a link, or a file it put in the page's memory. Empty when the
// replay began, else one line saying why not, the page going on as it was.
extern "C" EMSCRIPTEN_KEEPALIVE const char* PageWatchLink(const char* text) {
  std::string line;
  const bool ready = ReadyLink(text, &line);
  return Watch(ready, line);
}

extern "C" EMSCRIPTEN_KEEPALIVE const char* PageWatchFile(const char* path, const char* name) {
  std::string line;
  const bool ready = ReadyFile(path, name, &line);
  return Watch(ready, line);
}

int main() {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) != 0 ||
      SDL_SetVideoMode(kWidth, kHeight, 32, SDL_OPENGL) == nullptr) {
    std::fprintf(stderr, "driftbeam: this browser offers no WebGL to draw with: %s\n",
                 SDL_GetError());
    return 1;
  }
  OpenGamepads();
  BuildFont();
  SetPicture({0, 0, kWidth, kHeight}, kWidth, kHeight);
  Play();
  // The browser runs the loop from here on; the runtime stays when main returns.
  return 0;
}
