#include "bench/frame.h"

#include <GL/gl.h>
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

#include "app/events.h"
#include "app/loop.h"
#include "app/still_picture.h"
#include "app/window.h"
#include "game/world.h"
#include "render/font.h"
#include "render/frame.h"
#include "render/present.h"

namespace {

double CpuSeconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// The game's loop as main() runs it, ended by the clock instead of a key.
struct TimedLoop {
  uint32_t end;
  int steps;
  StillPicture still;
};

bool PollUntilEnd(void* context, LoopEvent* event) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
  }
  if (SDL_GetTicks() < static_cast<TimedLoop*>(context)->end) return false;
  *event = {LoopEventType::kQuit, 0};
  return true;
}
uint32_t Clock(void*) {
  return SDL_GetTicks();
}
void Step(void* context) {
  TimedLoop& timed = *static_cast<TimedLoop*>(context);
  ++timed.steps;
  UpdateWorld();
  if (FrameWanted(&timed.still, g_gameOver)) RenderFrame();
}
void Key(void*, int) {}
void Sleep(void*, uint32_t ms) {
  SDL_Delay(ms);
}

}  // namespace

bool OpenBenchWindow(int scale) {
  Options options;
  options.scale = scale;
  Window window;
  std::string error;
  if (!OpenWindow(options, &window, &error)) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    SDL_Quit();
    return false;
  }
  BuildFont();
  StartPicture(window);
  return true;
}

FrameTime TimeFrame() {
  using Clock = std::chrono::steady_clock;
  const auto ms = [](Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
  };
  const auto start = Clock::now();
  DrawFrame();
  // The renderer may still be drawing when the calls return; the game's next frame would
  // wait for it, so the wait belongs to this frame.
  glFinish();
  const auto drawn = Clock::now();
  SDL_GL_SwapBuffers();
  glFinish();
  return {ms(start, drawn), ms(drawn, Clock::now())};
}

GameOverLoad RunAtGameOver(double seconds) {
  NewGame();
  while (!g_gameOver) UpdateWorld();
  // Timed from where the game rests: once the picture stands.
  TimedLoop timed = {0, 0, {}};
  while (FrameWanted(&timed.still, true)) RenderFrame();
  timed.end = SDL_GetTicks() + static_cast<uint32_t>(seconds * 1000);
  const LoopHooks hooks = {&timed, PollUntilEnd, Clock, Step, Key, Key, Sleep};
  const double cpu = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  RunMainLoop(hooks);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return {(CpuSeconds() - cpu) / wall, timed.steps / wall};
}

double RunPaused(double seconds) {
  NewGame();
  for (int i = 0; i < 150; ++i) UpdateWorld();  // a game in play, its first wave on the way
  RenderFrame();
  // The game's own loop and wait, paused by p before its first step; another thread closes
  // the window when the time is up, as nothing else would wake a paused game.
  TimedLoop timed = {0, 0, {}};
  const LoopHooks hooks = {&timed,
                           PollSdlEvent,
                           Clock,
                           Step,
                           Key,
                           Key,
                           Sleep,
                           [](void*) { return !g_gameOver; },
                           [](void*, bool paused) { ShowPausedPicture(paused); },
                           WaitSdlEvent};
  SDL_Event press = {};
  press.type = SDL_KEYDOWN;
  press.key.keysym.sym = static_cast<SDLKey>(kKeyPause);
  SDL_PushEvent(&press);
  std::thread closer([seconds] {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
  });
  const double cpu = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  RunMainLoop(hooks);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  closer.join();
  if (timed.steps != 0) {
    std::fprintf(stderr, "bench: a paused game ran %d steps\n", timed.steps);
    std::exit(1);
  }
  return (CpuSeconds() - cpu) / wall;
}

void CloseBenchWindow() {
  DropKeptPicture();
  SDL_Quit();
}
