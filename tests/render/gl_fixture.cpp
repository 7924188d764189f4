#include "tests/render/gl_fixture.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

#include "render/font.h"

std::atomic<long> g_allocations{0};

namespace {

constexpr int kWidth = 640, kHeight = 480;
bool g_windowOpen = false;

void* Allocate(std::size_t size) noexcept {
  g_allocations.fetch_add(1);
  return std::malloc(size != 0 ? size : 1);
}

// Opens the window as the game does and builds the font, both kept to the end of the process.
void OpenWindow() {
  // A display just handed over by xvfb-run now and then refuses the first connections.
  for (int attempt = 1; SDL_Init(SDL_INIT_VIDEO) != 0; ++attempt) {
    ASSERT_LT(attempt, 50) << "no display to open a window on: " << SDL_GetError();
    SDL_Quit();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 0);
  ASSERT_NE(SDL_SetVideoMode(kWidth, kHeight, 32, SDL_OPENGL), nullptr) << SDL_GetError();
  BuildFont();
  g_windowOpen = true;
  ClearScreen(1.0f);
  SDL_GL_SwapBuffers();
  ASSERT_EQ(Picture::Read().bytes[1], 255) << "the back buffer does not survive a swap here";
}

}  // namespace

// Every plain form is replaced, not just the common one: the GL driver's compiler allocates
// with some forms and frees with others, and they must all meet in malloc and free. The
// aligned forms are left to the library, which pairs them among themselves.
// clang-format off
void* operator new(std::size_t size) { if (void* p = Allocate(size)) return p; throw std::bad_alloc(); }
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
// clang-format on

Picture Picture::Read() {
  Picture picture;
  picture.bytes.resize(3 * kWidth * kHeight);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, picture.bytes.data());
  return picture;
}

Extent Picture::Find(Rgb c, Rect r) const {
  Extent e = {0, kWidth, kHeight, -1, -1};
  for (int y = std::max(r[1], 0); y < std::min(r[3], kHeight); ++y) {
    for (int x = std::max(r[0], 0); x < std::min(r[2], kWidth); ++x) {
      const unsigned char* p = &bytes[3 * (y * kWidth + x)];
      const bool near = abs(p[0] - c[0]) <= 1 && abs(p[1] - c[1]) <= 1 && abs(p[2] - c[2]) <= 1;
      if (c[0] < 0 ? p[0] + p[1] + p[2] == 0 : !near) continue;
      e = {e.count + 1, std::min(e.minX, x), std::min(e.minY, y), std::max(e.maxX, x),
           std::max(e.maxY, y)};
    }
  }
  return e;
}

GlState StateNow() {
  std::vector<float> modelview(16);
  GLint depth = 0;
  GLfloat width = 0.0f;
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview.data());
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  glGetFloatv(GL_LINE_WIDTH, &width);
  return {modelview, depth, width, glGetError()};
}

void ClearScreen(float grey) {
  glClearColor(grey, grey, grey, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void GlTest::SetUp() {
  if (!g_windowOpen) OpenWindow();
  ASSERT_TRUE(g_windowOpen);
  g_bestScore = 0;
  NewGame();
  ClearScreen();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, kWidth, 0.0, kHeight, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glLineWidth(1.0f);
}

void GlTest::TearDown() {
  FreeWorld();
  const GlState state = StateNow();
  EXPECT_EQ(std::get<1>(state), 1);
  EXPECT_EQ(std::get<3>(state), static_cast<GLenum>(GL_NO_ERROR));
}
