// A real 640 x 480 OpenGL window for drawing tests, and the picture read back from it.
//
// Where the pixels are read: Mesa's software renderer under Xvfb presents a frame by copying
// the back buffer to the window, so the back buffer still holds the picture after the swap,
// and that is the very picture the next frame fades. A window's front buffer reads back
// black there. So every test reads GL_BACK: after RenderFrame, which has swapped, it reads
// the frame just presented; after a drawing call alone, what that call drew. The fixture
// checks once that the back buffer survives a swap and fails loudly if it does not.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "game/world.h"

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

struct Rgb {
  int r;
  int g;
  int b;
};

// Half-open screen rectangle in pixels, y up from the bottom row.
struct Rect {
  int x0;
  int y0;
  int x1;
  int y1;
};

constexpr Rect kWholeScreen = {0, 0, kScreenWidth, kScreenHeight};

// The extent of the pixels that pass a test: inclusive bounds, and how many there are.
struct Extent {
  int count;
  int minX;
  int minY;
  int maxX;
  int maxY;
};

// Colour checks for the colours the game draws with, read back from 8-bit channels.
bool IsHudGreen(Rgb p);  // (0.2, 1, 0.2), opaque
bool IsTextRed(Rgb p);   // (1, 0, 0), opaque
bool IsBlack(Rgb p);
bool IsLit(Rgb p);          // anything but black
bool IsBlue(Rgb p);         // some blue and nothing else
bool IsShipGreen(Rgb p);    // (0, 1, 0) at alpha 0.3 over black
bool IsDroneRed(Rgb p);     // (1, 0, 0) at alpha 0.3 over black
bool IsDroneYellow(Rgb p);  // (1, 1, 0) at alpha 0.3 over black
bool IsLaserPink(Rgb p);    // (1, 0, 0.5) at alpha 0.1 over black

// The back buffer as it is now, bottom row first.
class Picture {
 public:
  static Picture Read();

  Rgb At(int x, int y) const;
  // Pixels inside r for which pass(pixel) holds.
  Extent Find(bool (*pass)(Rgb), Rect r = kWholeScreen) const;
  bool operator==(const Picture& other) const { return bytes_ == other.bytes_; }

 private:
  std::vector<unsigned char> bytes_;
};

// Every test gets the window, a black picture, the frame's blending and 640 x 480 pixel
// projection with an identity modelview, and a new game; the game is freed afterwards and
// no GL error may be left pending.
class GlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  static void ClearScreen(float r = 0.0f, float g = 0.0f, float b = 0.0f);
  static void UseFrameState();
  static int ModelviewDepth();
  static float LineWidth();
};
