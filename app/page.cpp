// driftbeam in a browser page: start-up, one pass of the loop per animation frame, and the stop
// that Escape asks for, from which a key or a click plays again.
#include <GL/gl.h>
#include <SDL.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "app/audio.h"
#include "app/events.h"
#include "app/loop.h"
#include "app/still_picture.h"
#include "game/player.h"
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

// The world never changes while a frame is drawn.
void RunStep(void*) {
  SoundBeforeStep();
  UpdateWorld();
  SoundAfterStep();
  if (FrameWanted(&g_still, g_gameOver)) RenderFrame();
}

// A browser lets a page start its sound only once the player has pressed a key or clicked:
// the first key press opens the device, never start-up. The sound's key is the page's, never
// the game's.
bool g_soundAsked = false;

void AskSound() {
  if (!g_soundAsked) OpenSound(false);
  g_soundAsked = true;
}

void KeyDown(void*, int sym) {
  AskSound();
  if (sym == kKeyMute) {
    ToggleMute();
    return;
  }
  OnKeyDown(sym);
}

void KeyUp(void*, int sym) {
  if (sym != kKeyMute) OnKeyUp(sym);
}

// After "game over" the world stands still already: nothing to pause.
bool InPlay(void*) {
  return !g_gameOver;
}

void ShowPause(void*, bool paused) {
  PauseSound(paused);
  ShowPausedPicture(paused);
}

// The browser calls a pass and gets the page back: a pass never sleeps or waits for events.
const LoopHooks kHooks = {nullptr, PollEvent, ReadClock, RunStep,   KeyDown,
                          KeyUp,   nullptr,   InPlay,    ShowPause, nullptr};

LoopState g_loop;

void Stop();
void TellPage(bool stopped);

// One pass of the game's loop per animation frame.
void Pass() {
  OpenNewGamepads();
  if (!RunLoopPass(kHooks, &g_loop)) {
    Stop();
    return;
  }
  TellPage(false);
}

// A new game on a black picture, as when the page opened. Whatever came while the game was
// stopped is passed over, keys and pads alike, so it steers nothing in the new game.
void Play() {
  LoopEvent stale;
  while (PollSdlEvent(nullptr, &stale)) {
  }
  DropKeptPicture();
  // The canvas keeps its picture from frame to frame (the link asks WebGL to preserve it), as
  // a desktop's swap does: nothing clears it but this.
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  NewGame();
  PauseSound(false);
  g_loop = StartLoop(kHooks);
  emscripten_set_main_loop(Pass, 0, 0);
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

// The loop ends as the desktop game's would; the picture stays, with word of how to go on.
void Stop() {
  emscripten_cancel_main_loop();
  PauseSound(true);
  RenderStoppedFrame();
  Listen(true);
  TellPage(true);
}

// The page keeps the screen awake while a game is in play and lets it dim otherwise
// (web/awake.js); it hears of each change once. The numbers are Module.onGameState's.
void TellPage(bool stopped) {
  static int told = -1;
  const int state = stopped ? 3 : g_loop.paused ? 1 : g_gameOver ? 2 : 0;
  if (state == told) return;
  told = state;
  EM_ASM(
      {
        if (Module.onGameState) Module.onGameState($0);
      },
      state);
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
