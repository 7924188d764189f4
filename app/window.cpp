#include "app/window.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kBitsPerPixel = 32;
constexpr int kIconSize = 32;

// The ship's green triangle on black, nose up as every game starts: 6 wide and 15 tall in
// the game, drawn here as tall as the icon allows.
SDL_Surface* MakeIcon() {
  SDL_Surface* icon = SDL_CreateRGBSurface(SDL_SWSURFACE, kIconSize, kIconSize, 32, 0x00FF0000,
                                           0x0000FF00, 0x000000FF, 0);
  if (icon == nullptr) return nullptr;
  constexpr float kNose = 2.0f, kBase = 30.0f, kHalfBase = 6.0f, kMiddle = kIconSize / 2.0f;
  for (int y = 0; y < kIconSize; ++y) {
    auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(icon->pixels) + y * icon->pitch);
    const float cy = y + 0.5f;  // rows run down from the top
    const float halfWidth = kHalfBase * (cy - kNose) / (kBase - kNose);
    for (int x = 0; x < kIconSize; ++x) {
      const float cx = x + 0.5f - kMiddle;
      const bool ship = cy >= kNose && cy <= kBase && cx >= -halfWidth && cx <= halfWidth;
      row[x] = ship ? 0x0000FF00 : 0x00000000;
    }
  }
  return icon;
}

std::string Size(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

// A window larger than the screen would open partly out of sight, with no way to reach it.
bool ScaleFits(int scale, std::string* error) {
  const SDL_VideoInfo* info = SDL_GetVideoInfo();
  if (scale == 1 || info == nullptr || info->current_w <= 0 || info->current_h <= 0) return true;
  const int largest = std::min(info->current_w / kWidth, info->current_h / kHeight);
  if (scale <= largest) return true;
  *error = "a " + Size(kWidth * scale, kHeight * scale) + " window does not fit on this " +
           Size(info->current_w, info->current_h) + " screen; " +
           (largest >= 1 ? "the largest scale that fits is " + std::to_string(largest)
                         : std::string("no scale above 1 fits"));
  return false;
}

}  // namespace

PictureRect FitPicture(int screenWidth, int screenHeight) {
  PictureRect p;
  if (screenWidth * 3 >= screenHeight * 4) {  // wider than 4:3: bars left and right
    p.height = screenHeight;
    p.width = screenHeight * 4 / 3;
  } else {
    p.width = screenWidth;
    p.height = screenWidth * 3 / 4;
  }
  p.x = (screenWidth - p.width) / 2;
  p.y = (screenHeight - p.height) / 2;
  return p;
}

bool OpenWindow(const Options& options, Window* window, std::string* error) {
#ifdef __linux__
  // Only SDL's X11 driver offers OpenGL here; without this, a missing display makes SDL
  // fall back to drawing in the terminal before it fails.
  setenv("SDL_VIDEODRIVER", "x11", 0);
#endif
  // Video first: SDL 1.2 crashes inside SDL_GL_SetAttribute without it.
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    *error = std::string("cannot reach a display to open the window on: ") + SDL_GetError();
    return false;
  }
  // One frame follows every tick; a swap that waits for a 60 Hz refresh would make every
  // tick cost 16.7 ms and the game could never catch up.
  SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 0);
  if (!ScaleFits(options.scale, error)) return false;

  // The window manager takes the icon only before the window exists.
  if (SDL_Surface* icon = MakeIcon()) {
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
  }
  int width = kWidth * options.scale;
  int height = kHeight * options.scale;
  Uint32 flags = SDL_OPENGL;
  if (options.fullscreen) {
    // The desktop's own resolution: no change of video mode, whatever the monitor offers.
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info == nullptr || info->current_w <= 0 || info->current_h <= 0) {
      *error = "cannot tell the size of the screen for --fullscreen";
      return false;
    }
    width = info->current_w;
    height = info->current_h;
    flags |= SDL_FULLSCREEN;
  }
  const SDL_Surface* screen = SDL_SetVideoMode(width, height, kBitsPerPixel, flags);
  if (screen == nullptr) {
    *error = "cannot open a " + Size(width, height) + " OpenGL window: " + SDL_GetError();
    return false;
  }
  SDL_WM_SetCaption("driftbeam", "driftbeam");
  window->width = screen->w;
  window->height = screen->h;
  if (options.fullscreen) {
    SDL_ShowCursor(SDL_DISABLE);  // nothing to point at, and it would sit on the picture
    window->picture = FitPicture(screen->w, screen->h);
  } else {
    window->picture = {0, 0, screen->w, screen->h};
  }
  return true;
}

void StartPicture(const Window& window) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SDL_GL_SwapBuffers();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SetPicture(window.picture, window.width, window.height);
}
