// driftbeam: the command line, start-up, the main loop on SDL, and a clean exit.
#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <exception>
#include <string>

#include "app/buffer_age.h"
#include "app/loop.h"
#include "app/options.h"
#include "app/window.h"
#include "game/player.h"
#include "game/world.h"
#include "render/font.h"
#include "render/frame.h"
#include "render/present.h"

namespace {

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

void Sleep(void*, uint32_t ms) {
  SDL_Delay(ms);
}

// Whether the platform reports the age of the back buffer, so that every frame looks.
bool g_watchBackBuffer = false;

// Where a swap may hand back a back buffer without the last frame, the frame keeps its own
// copy of the picture from then on; the buffer in hand holds an older frame, or, at age 0,
// anything at all.
void WatchBackBuffer() {
  if (!g_watchBackBuffer || PictureKept()) return;
  const int age = BackBufferAge();
  if (age != 1) KeepPicture(age == 0);
}

// The world never changes while a frame is drawn.
void RunStep(void*) {
  UpdateWorld();
  RenderFrame();
  WatchBackBuffer();
}

void KeyDown(void*, int sym) {
  OnKeyDown(sym);
}
void KeyUp(void*, int sym) {
  OnKeyUp(sym);
}

void MainLoop() {
  const LoopHooks hooks = {nullptr, PollSdlEvent, ReadSdlClock, RunStep, KeyDown, KeyUp, Sleep};
  RunMainLoop(hooks);
}

int Play(const Options& options) {
  Window window;
  std::string error;
  if (!OpenWindow(options, &window, &error)) {
    std::fprintf(stderr, "driftbeam: %s\n", error.c_str());
    SDL_Quit();
    return 1;
  }
  BuildFont();
  NewGame();
  // Both buffers start black; from here on frames fade the picture instead of clearing it.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SDL_GL_SwapBuffers();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SetPicture(window.picture, window.width, window.height);
  // Asked after the start-up swap, from the first frame on; where the platform cannot say,
  // its swap keeps the picture and nothing more is asked.
  const int age = BackBufferAge();
  g_watchBackBuffer = age >= 0;
  if (age >= 0 && age != 1) KeepPicture(true);
  MainLoop();
  DropKeptPicture();
  FreeWorld();
  SDL_Quit();
  return 0;
}

}  // namespace

// Declared this way, with SDL.h included, so that SDL's own entry point can call it where
// the platform wants one.
int main(int argc, char* argv[]) {
  Options options;
  std::string error;
  switch (ParseOptions(argc, argv, &options, &error)) {
    case ParseResult::kHelp:
      std::fputs(kUsage, stdout);
      return 0;
    case ParseResult::kVersion:
      std::printf("driftbeam %s\n", DRIFTBEAM_VERSION);
      return 0;
    case ParseResult::kUsageError:
      std::fprintf(stderr, "driftbeam: %s\nTry 'driftbeam --help'.\n", error.c_str());
      return 2;
    case ParseResult::kRun:
      break;
  }
  try {
    return Play(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "driftbeam: %s\n", e.what());
    SDL_Quit();
    return 1;
  }
}
