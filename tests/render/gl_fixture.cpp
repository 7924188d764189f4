#include "tests/render/gl_fixture.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <vector>

#include "demo/replay.h"
#include "render/font.h"
#include "render/frame.h"

Box Find(Rgb c, Box in) {
  const int width = in[2] - in[0] + 1, height = in[3] - in[1] + 1;
  std::vector<unsigned char> rgba(4 * width * height);
  glReadPixels(in[0], in[1], width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  Box box = {640, 480, -1, -1};
  for (int i = 0; i < width * height; ++i) {
    const int x = in[0] + i % width, y = in[1] + i / width;
    if (std::equal(c.begin(), c.end(), &rgba[4 * i]))
      box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
  }
  return box;
}

uint64_t Digest() {
  std::vector<unsigned char> rgb(3 * 640 * 480);
  glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  uint64_t h = 14695981039346656037u;  // 64-bit FNV-1a: the same wherever the test is built
  for (unsigned char b : rgb) h = (h ^ b) * 1099511628211u;
  return h;
}

void ClearScreen(float grey) {
  glClearColor(grey, grey, grey, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void ReplayDrawn(int64_t steps, const std::function<void(int64_t)>& drawn) {
  Recording recording;
  std::string error;
  ASSERT_TRUE(LoadRecording(DEMO_TEST_DIR "/1.0/ordinary.rec", &recording, &error)) << error;
  Replay replay;
  StartReplay(recording, &replay);
  while (!replay.over && replay.steps < steps) {
    ReplayStep(&replay);
    RenderFrame();
    drawn(replay.steps);
  }
  EXPECT_EQ(replay.fault, "");
}

void Drawing::SetUp() {
  // The window opens once, with the font built in it. A display just handed over by xvfb-run
  // now and then refuses the first connections.
  for (int attempt = 0; g_fontListBase == 0 && SDL_Init(SDL_INIT_VIDEO) != 0; SDL_Delay(100)) {
    ASSERT_LT(++attempt, 50) << "no display to open a window on: " << SDL_GetError();
    SDL_Quit();
  }
  if (g_fontListBase == 0) {
    // Alpha in the picture, as many drivers give: a kept copy drawn back blended would show.
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    ASSERT_NE(SDL_SetVideoMode(640, 480, 32, SDL_OPENGL), nullptr) << SDL_GetError();
    BuildFont();
  }
  NewGame();
  ClearScreen(0.0f);
}
