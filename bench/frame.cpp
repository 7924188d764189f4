#include "bench/frame.h"

#include <GL/gl.h>
#include <SDL.h>

#include <chrono>
#include <cstdlib>

#include "render/font.h"
#include "render/frame.h"

bool OpenWindow() {
  setenv("SDL_VIDEODRIVER", "x11", 0);  // the only SDL 1.2 driver with OpenGL here
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
  // As in the game: a swap that waited for a refresh would time the refresh, not the frame.
  SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 0);
  if (SDL_SetVideoMode(640, 480, 32, SDL_OPENGL) == nullptr) {
    SDL_Quit();
    return false;
  }
  BuildFont();
  glClear(GL_COLOR_BUFFER_BIT);
  SDL_GL_SwapBuffers();
  glClear(GL_COLOR_BUFFER_BIT);
  return true;
}

double TimeFrame() {
  const auto start = std::chrono::steady_clock::now();
  RenderFrame();
  // The swap may return before the software renderer is done; the game's next frame would
  // wait for it, so the wait belongs to this frame.
  glFinish();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(end - start).count();
}

void CloseWindow() {
  SDL_Quit();
}
