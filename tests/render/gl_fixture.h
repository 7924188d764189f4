// A 640 x 480 OpenGL window drawn by Mesa's software renderer, the picture read back from the
// buffer drawn into (the one the next frame fades), and a few ordinary games replayed on it.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>

#include "game/world.h"

using Rgb = std::array<int, 3>;  // red, green, blue, 0 to 255
using Box = std::array<int, 4>;  // min x, min y, max x, max y: inclusive pixels, y up

// The box around the pixels of this colour inside `in`; {640, 480, -1, -1} if none.
Box Find(Rgb colour, Box in);
uint64_t Digest();  // of the whole picture
void ClearScreen(float grey);

// Replays tests/demo/1.0/ordinary.rec for `steps` or to its end, drawing a frame after each step and
// handing its number to `drawn`. The replay stays exact, as frames only read the world.
void ReplayDrawn(int64_t steps, const std::function<void(int64_t)>& drawn);

// Every test gets the window and the font, a black picture and a new game.
struct Drawing : ::testing::Test {
  void SetUp() override;
};
