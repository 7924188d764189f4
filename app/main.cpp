// driftbeam: start-up, the main loop on SDL, and a clean exit.
#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/loop.h"
#include "game/player.h"
#include "game/world.h"
#include "render/font.h"
#include "render/frame.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kBitsPerPixel = 32;

bool PollSdlEvent(void*, LoopEvent* event) {
  SDL_Event e;
  if (!SDL_PollEvent(&e)) return false;
  switch (e.type) {
    case SDL_KEYDOWN:
      *event = {LoopEventType::kKeyDown, static_cast<int>(e.key.keysym.sym)};
      break;
    case SDL_KEYUP:
      *event = {LoopEventType::kKeyUp, static_cast<int>(e.key.keysym.sym)};
      break;
    case SDL_QUIT:
      *event = {LoopEventType::kQuit, 0};
      break;
    default:
      *event = {LoopEventType::kOther, 0};
      break;
  }
  return true;
}

uint32_t ReadSdlClock(void*) {
  return SDL_GetTicks();
}

// The world never changes while a frame is drawn.
void RunStep(void*) {
  UpdateWorld();
  RenderFrame();
}

void KeyDown(void*, int sym) {
  OnKeyDown(sym);
}
void KeyUp(void*, int sym) {
  OnKeyUp(sym);
}

void MainLoop() {
  const LoopHooks hooks = {nullptr, PollSdlEvent, ReadSdlClock, RunStep, KeyDown, KeyUp};
  RunMainLoop(hooks);
}

int Fail(const char* what) {
  std::fprintf(stderr, "driftbeam: %s: %s\n", what, SDL_GetError());
  SDL_Quit();
  return 1;
}

int Play() {
#ifdef __linux__
  // Only SDL's X11 driver offers OpenGL here; without this, a missing display makes SDL
  // fall back to drawing in the terminal before it fails.
  setenv("SDL_VIDEODRIVER", "x11", 0);
#endif
  // Video first: SDL 1.2 crashes inside SDL_GL_SetAttribute without it.
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return Fail("cannot reach a display to open the window on");
  // One frame follows every tick; a swap that waits for a 60 Hz refresh would make every
  // tick cost 16.7 ms and the game could never catch up.
  SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 0);
  if (SDL_SetVideoMode(kWidth, kHeight, kBitsPerPixel, SDL_OPENGL) == nullptr) {
    return Fail("cannot open a 640x480 OpenGL window");
  }
  SDL_WM_SetCaption("driftbeam", "driftbeam");
  BuildFont();
  NewGame();
  // Both buffers start black; from here on frames fade the picture instead of clearing it.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SDL_GL_SwapBuffers();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  MainLoop();
  FreeWorld();
  SDL_Quit();
  return 0;
}

}  // namespace

// Declared this way, with SDL.h included, so that SDL's own entry point can call it where
// the platform wants one.
int main(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  try {
    return Play();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "driftbeam: %s\n", e.what());
    SDL_Quit();
    return 1;
  }
}
