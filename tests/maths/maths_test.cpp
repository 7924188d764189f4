// The game's maths: the random sequence of glibc's unseeded rand, put ahead at once as exactly
// as drawn one by one; sine, cosine and arc cosine rounded correctly over a sample of every
// binade (make test-math takes every float).
#include "game/maths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/maths/reference.h"

TEST(Maths, TheSequenceIsGlibcsUnseededRandAndJumpsAheadExactly) {
  std::srand(1);  // as a program that never seeds it finds it
  SetRandomDraws(0);
  std::vector<int> drawn;
  for (int i = 0; i < 100000; ++i) drawn.push_back(DrawRandom());
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(drawn[i], std::rand()) << "draw " << i;
  EXPECT_EQ(RandomDraws(), 100000u);
  for (const int n : {1, 2, 30, 31, 33, 34, 310, 9999, 99999}) {
    SetRandomDraws(n);
    EXPECT_EQ(DrawRandom(), drawn[n]) << "put " << n << " draws ahead";
    EXPECT_EQ(RandomDraws(), n + 1u);
  }
}

// A few thousand floats of every sign and exponent, both ends of each binade among them; the
// inputs whose true values lie so near a midpoint between two floats that a double result
// rounds the wrong way, and the float just past 1. Infinities and NaNs are among the binades.
TEST(Maths, EveryBinadeRoundsCorrectly) {
  const Function kFunctions[] = {Function::kSine, Function::kCosine, Function::kArcCosine};
  auto check = [](Function f, float x) {
    const float game = f == Function::kSine     ? Sine(x)
                       : f == Function::kCosine ? Cosine(x)
                                                : ArcCosine(x);
    const float expected = Reference(f, x);
    EXPECT_TRUE(Same(game, expected)) << static_cast<int>(f) << " of " << std::hexfloat << x << ": "
                                      << game << ", not " << expected;
    return Same(game, expected);
  };
  int faults = 0;
  for (uint32_t high = 0; high < 512 && faults < 10; ++high) {
    for (uint32_t m = 0; m < 0x800000; m += 2039) {
      for (const uint32_t low : {m, 0x7fffffu - m}) {
        const float x = FloatOf(high << 23 | low);
        for (const Function f : kFunctions) faults += !check(f, x);
      }
    }
  }
  const struct {
    Function f;
    float x;
  } hard[] = {{Function::kSine, 0x1.33333p+13f},
              {Function::kCosine, 0x1.3170fp+63f},
              {Function::kCosine, -0x1.2b9622p+67f},
              {Function::kArcCosine, 0x1.110b46p-26f},
              {Function::kArcCosine, 0x1.04c444p-12f},
              {Function::kArcCosine, 1.0000001f}};  // just past a quotient of 1: no angle
  for (const auto& h : hard) check(h.f, h.x);
}
