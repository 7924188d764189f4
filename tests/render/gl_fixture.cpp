#include "tests/render/gl_fixture.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "render/font.h"

namespace {

constexpr int kDisplayAttempts = 50;  // five seconds

bool g_windowOpen = false;

// Opens the window as the game does, builds the font once, and makes sure the back buffer
// keeps its picture over a swap, which every picture test relies on.
void OpenWindow() {
  setenv("SDL_VIDEODRIVER", "x11", 0);
  // The display that xvfb-run hands over now and then refuses the first connections, most
  // often when xvfb-run calls follow one another closely or run side by side; it takes
  // them a moment later.
  int attempts = 0;
  while (SDL_Init(SDL_INIT_VIDEO) != 0 && ++attempts < kDisplayAttempts) {
    SDL_Quit();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_LT(attempts, kDisplayAttempts) << "no display to open a window on: " << SDL_GetError();
  if (attempts > 0) std::fprintf(stderr, "display ready after %d retries\n", attempts);
  // The window stays open until the process ends: every suite draws on it.
  SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 0);
  ASSERT_NE(SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, SDL_OPENGL), nullptr)
      << "no 640x480 OpenGL window: " << SDL_GetError();
  BuildFont();
  g_windowOpen = true;

  glReadBuffer(GL_BACK);
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  SDL_GL_SwapBuffers();
  const Rgb p = Picture::Read().At(5, 5);
  ASSERT_TRUE(p.r == 0 && p.g == 0 && p.b == 255)
      << "this OpenGL does not keep the back buffer over a swap; these tests read it";
}

}  // namespace

bool IsHudGreen(Rgb p) {
  return p.r == 51 && p.g == 255 && p.b == 51;
}
bool IsTextRed(Rgb p) {
  return p.r == 255 && p.g == 0 && p.b == 0;
}
bool IsBlack(Rgb p) {
  return p.r == 0 && p.g == 0 && p.b == 0;
}
bool IsLit(Rgb p) {
  return !IsBlack(p);
}
bool IsBlue(Rgb p) {
  return p.r == 0 && p.g == 0 && p.b > 0;
}
// 0.3 of 255 is 76.5: either rounding is fine.
bool IsShipGreen(Rgb p) {
  return p.r == 0 && (p.g == 76 || p.g == 77) && p.b == 0;
}
bool IsDroneRed(Rgb p) {
  return (p.r == 76 || p.r == 77) && p.g == 0 && p.b == 0;
}
bool IsDroneYellow(Rgb p) {
  return (p.r == 76 || p.r == 77) && p.r == p.g && p.b == 0;
}
// 0.1 of 255 is 25.5, and half of that 12.75.
bool IsLaserPink(Rgb p) {
  return (p.r == 25 || p.r == 26) && p.g == 0 && (p.b == 12 || p.b == 13);
}

Picture Picture::Read() {
  Picture picture;
  picture.bytes_.resize(3 * kScreenWidth * kScreenHeight);
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kScreenWidth, kScreenHeight, GL_RGB, GL_UNSIGNED_BYTE, picture.bytes_.data());
  return picture;
}

Rgb Picture::At(int x, int y) const {
  const unsigned char* p = &bytes_[3 * (y * kScreenWidth + x)];
  return {p[0], p[1], p[2]};
}

Extent Picture::Find(bool (*pass)(Rgb), Rect r) const {
  Extent e = {0, kScreenWidth, kScreenHeight, -1, -1};
  for (int y = std::max(r.y0, 0); y < std::min(r.y1, kScreenHeight); ++y) {
    for (int x = std::max(r.x0, 0); x < std::min(r.x1, kScreenWidth); ++x) {
      if (!pass(At(x, y))) continue;
      ++e.count;
      e.minX = std::min(e.minX, x);
      e.minY = std::min(e.minY, y);
      e.maxX = std::max(e.maxX, x);
      e.maxY = std::max(e.maxY, y);
    }
  }
  return e;
}

void GlTest::SetUpTestSuite() {
  if (!g_windowOpen) OpenWindow();
}

void GlTest::SetUp() {
  ASSERT_TRUE(g_windowOpen);
  g_bestScore = 0;
  NewGame();
  ClearScreen();
  UseFrameState();
  while (glGetError() != GL_NO_ERROR) {
  }
}

void GlTest::TearDown() {
  FreeWorld();
  g_gameOver = false;
  g_bestScore = 0;
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(ModelviewDepth(), 1);
}

void GlTest::ClearScreen(float r, float g, float b) {
  glClearColor(r, g, b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void GlTest::UseFrameState() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, kScreenWidth, 0.0, kScreenHeight, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glLineWidth(1.0f);
}

int GlTest::ModelviewDepth() {
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  return depth;
}

float GlTest::LineWidth() {
  GLfloat width = 0.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  return width;
}
