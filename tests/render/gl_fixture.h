// A real 640 x 480 OpenGL window for drawing tests, the picture read back from it, and a count
// of the program's own C++ allocations. Pixels are read from the buffer drawn into, the back
// buffer (or the SDL2-backed SDL's own offscreen one, where no other may be named): both keep
// the picture just shown over a swap here, the one the next frame fades.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <tuple>
#include <vector>

#include "game/world.h"

using Rgb = std::array<int, 3>;  // red, green, blue, 0 to 255

// The game's colours over black in 8-bit channels, the entities' at alpha 0.3 and the laser's
// at 0.1. A pixel matches within 1 either way, for rounding; kLit matches all but black.
constexpr Rgb kHudGreen = {51, 255, 51}, kTextRed = {255, 0, 0}, kLit = {-1, -1, -1};
constexpr Rgb kShipGreen = {0, 77, 0}, kDroneRed = {77, 0, 0}, kDroneYellow = {77, 77, 0};
constexpr Rgb kLaserPink = {26, 0, 13};

using Rect = std::array<int, 4>;  // x0, y0, x1, y1: pixels, half-open, y up from the bottom

using Box = std::array<int, 4>;  // minX, minY, maxX, maxY, inclusive
struct Extent {                  // the pixels that matched a colour
  int count, minX, minY, maxX, maxY;
  Box box() const { return {minX, minY, maxX, maxY}; }
};

struct Picture {
  static Picture Read();  // the back buffer as it is now
  bool Is(int x, int y, Rgb c) const { return Find(c, {x, y, x + 1, y + 1}).count == 1; }
  Extent Find(Rgb colour, Rect r = {0, 0, 640, 480}) const;
  bool operator==(const Picture& other) const { return bytes == other.bytes; }
  std::vector<unsigned char> bytes;  // RGB, bottom row first
};

// The modelview matrix, its stack depth, the line width and the GL error, which clears it.
using GlState = std::tuple<std::vector<float>, int, float, GLenum>;
GlState StateNow();

void ClearScreen(float grey = 0.0f);

// What draw() draws on a black picture. Like every drawing call it must hand back the
// modelview matrix and stack depth it found, a line width of 1 and no GL error.
template <class Draw>
Picture DrawnBy(Draw draw) {
  ClearScreen();
  const GlState before = StateNow();
  draw();
  EXPECT_EQ(StateNow(), before);
  return Picture::Read();
}

extern std::atomic<long> g_allocations;  // calls of operator new in this process so far

// Every test gets the window, a black picture, the frame's blending and pixel projection with
// an identity modelview and a line width of 1, and a new game, freed afterwards.
class GlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};
