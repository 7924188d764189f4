// The game's window, set up in one place: its size from the options, its icon and caption,
// and where the picture lies in it. The only SDL video set-up in the game.
#pragma once

#include <string>

#include "app/options.h"
#include "render/present.h"

struct Window {
  int width;            // pixels
  int height;           // pixels
  PictureRect picture;  // where the 640 x 480 picture is drawn in it
};

// The largest rectangle of the picture's 4:3 shape that fits a screen, centred on it.
PictureRect FitPicture(int screenWidth, int screenHeight);

// Starts SDL's video and opens the window that the options ask for, with its OpenGL context.
// On failure returns false with one line in *error; the caller shuts SDL down.
bool OpenWindow(const Options& options, Window* window, std::string* error);

// Both buffers black and the picture placed: from here on frames fade the picture instead of
// clearing it. Call once the window is open.
void StartPicture(const Window& window);
