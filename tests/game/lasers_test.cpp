// Lasers: their four draws, the rule that keeps both ends off one edge, and their life.
#include "game/lasers.h"

#include <vector>

#include "tests/game/world_fixture.h"

namespace {

// Puts std::rand at the first place after std::srand(1) where the next draws leave these
// remainders (modulus, remainder), so that a test can make a laser from chosen draws.
void SeekDraws(const std::vector<std::pair<int, int>>& wanted) {
  const long n = static_cast<long>(wanted.size());
  std::vector<int> window(n);
  std::srand(1);
  for (long drawn = 0; drawn < 200000000; ++drawn) {
    window[drawn % n] = std::rand();
    long k = 0;
    const long start = drawn + 1 - n;
    while (start >= 0 && k < n && window[(start + k) % n] % wanted[k].first == wanted[k].second)
      ++k;
    if (k < n) continue;
    std::srand(1);
    for (long i = 0; i < start; ++i) std::rand();
    return;
  }
  FAIL() << "no such draws in the sequence";
}

}  // namespace

using LaserTest = WorldTest;

TEST_F(LaserTest, CreationTakesFourDrawsAndNeverUsesOneEdgeTwice) {
  int moved = 0;
  for (unsigned seed = 1; seed <= 200; ++seed) {
    std::srand(seed);
    const int r0 = std::rand(), r1 = std::rand(), r2 = std::rand(), r3 = std::rand();
    const int after = std::rand();
    std::srand(seed);
    Laser* l = CreateLaser();
    EXPECT_EQ(std::rand(), after);
    const int e0 = r0 % 4, e1 = r1 % 3 == e0 ? 3 : r1 % 3;
    moved += r1 % 3 == e0;
    const Vec2 p0 = EdgePoint(e0, r2), p1 = EdgePoint(e1, r3);
    EXPECT_TRUE(l->x0 == p0.x && l->y0 == p0.y && l->x1 == p1.x && l->y1 == p1.y) << seed;
    EXPECT_TRUE(l->age == 0 && l->intensity == 0.0f && !l->done);
    delete l;
  }
  EXPECT_GT(moved, 0);

  // Draws 5, 4, 100, 1000: the right edge; the second would be the right one too, so it moves
  // to the bottom: (640, 100) to (360, 0). A first edge of 3 keeps the second draw: 2 is the top.
  SeekDraws({{4, 1}, {3, 1}, {480, 100}, {640, 360}});
  Laser* l = CreateLaser();
  EXPECT_TRUE(l->x0 == 640 && l->y0 == 100 && l->x1 == 360 && l->y1 == 0);
  delete l;
  SeekDraws({{4, 3}, {3, 2}, {640, 7}, {640, 639}});
  l = CreateLaser();
  EXPECT_TRUE(l->x0 == 7 && l->y0 == 0 && l->x1 == 639 && l->y1 == 480);
  delete l;
}

TEST_F(LaserTest, FadesInHoldsFadesOutAndFinishesAtAge250) {
  Laser l{0, 0, 640, 480, false, 0, 0.0f, 0.0f};
  auto ageTo = [&l](int age) {
    while (l.age < age) UpdateLaser(l);
  };
  ageTo(1);
  EXPECT_EQ(l.intensity, 0.01f);
  EXPECT_FLOAT_EQ(l.width, 0.05f);
  ageTo(99);
  EXPECT_FLOAT_EQ(l.intensity, 0.9899994f);  // 99 steps of 0.01 fall just short of 0.99
  EXPECT_LT(l.intensity, 0.99f);
  EXPECT_NEAR(l.width, 4.95f, 1e-5f);
  ageTo(100);
  EXPECT_EQ(l.width, 10.0f);
  ageTo(150);
  EXPECT_EQ(l.width, 10.0f);
  ageTo(151);
  EXPECT_NEAR(l.width, 4.9f, 1e-5f);
  ageTo(249);
  EXPECT_FALSE(l.done);
  EXPECT_TRUE(l.intensity > 0.0f && l.intensity < 1e-6f);
  ageTo(250);
  EXPECT_TRUE(l.done && l.intensity < 0.0f && l.width < 0.0f);
}
