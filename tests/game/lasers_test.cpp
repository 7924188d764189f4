// Lasers: their four draws, the rule that keeps both ends off one edge, and their life.
#include <cstdlib>
#include <vector>

#include "game/lasers.h"
#include "tests/game/world_fixture.h"

namespace {

// Puts std::rand at the first place in the seed-1 sequence where the next draws leave
// these remainders, so that a test can make a laser from chosen draws.
void SeekDraws(const std::vector<std::pair<int, int>>& wanted) {
  const size_t n = wanted.size();
  std::vector<int> window(n);
  std::srand(1);
  for (long drawn = 0; drawn < 200000000; ++drawn) {
    window[drawn % n] = std::rand();
    if (drawn + 1 < static_cast<long>(n)) continue;
    const long start = drawn + 1 - static_cast<long>(n);
    size_t k = 0;
    while (k < n && window[(start + k) % n] % wanted[k].first == wanted[k].second) ++k;
    if (k == n) {
      std::srand(1);
      for (long i = 0; i < start; ++i) std::rand();
      return;
    }
  }
  FAIL() << "no such draws in the sequence";
}

}  // namespace

using LaserTest = WorldTest;

TEST_F(LaserTest, CreationTakesFourDrawsAndNeverUsesOneEdgeTwice) {
  int sameEdgeMoved = 0;
  for (unsigned seed = 1; seed <= 200; ++seed) {
    std::srand(seed);
    const int r0 = std::rand(), r1 = std::rand(), r2 = std::rand(), r3 = std::rand();
    const int after = std::rand();
    std::srand(seed);
    Laser* l = CreateLaser();
    EXPECT_EQ(std::rand(), after);
    const int e0 = r0 % 4;
    const int e1 = r1 % 3 == e0 ? 3 : r1 % 3;
    sameEdgeMoved += r1 % 3 == e0;
    const Vec2 p0 = EdgePoint(e0, r2), p1 = EdgePoint(e1, r3);
    EXPECT_EQ(l->x0, p0.x);
    EXPECT_EQ(l->y0, p0.y);
    EXPECT_EQ(l->x1, p1.x);
    EXPECT_EQ(l->y1, p1.y);
    EXPECT_EQ(l->age, 0);
    EXPECT_EQ(l->intensity, 0.0f);
    EXPECT_FALSE(l->done);
    delete l;
  }
  EXPECT_GT(sameEdgeMoved, 0);
}

TEST_F(LaserTest, ChosenDrawsGiveTheirEndPoints) {
  // Draws leaving 1, 1, 100, 360: right edge; the second edge would be the right one too,
  // so it moves to the bottom.
  SeekDraws({{4, 1}, {3, 1}, {480, 100}, {640, 360}});
  Laser* l = CreateLaser();
  EXPECT_EQ(l->x0, 640.0f);
  EXPECT_EQ(l->y0, 100.0f);
  EXPECT_EQ(l->x1, 360.0f);
  EXPECT_EQ(l->y1, 0.0f);
  delete l;

  // A first edge of 3 keeps the second draw as it is: 2 is the top edge.
  SeekDraws({{4, 3}, {3, 2}, {640, 7}, {640, 639}});
  l = CreateLaser();
  EXPECT_EQ(l->x0, 7.0f);
  EXPECT_EQ(l->y0, 0.0f);
  EXPECT_EQ(l->x1, 639.0f);
  EXPECT_EQ(l->y1, 480.0f);
  delete l;
}

TEST_F(LaserTest, FadesInHoldsFadesOutAndFinishesAtAge250) {
  Laser l{0, 0, 640, 480, false, 0, 0.0f, 0.0f};
  UpdateLaser(l);
  EXPECT_EQ(l.age, 1);
  EXPECT_EQ(l.intensity, 0.01f);
  EXPECT_FLOAT_EQ(l.width, 0.05f);
  while (l.age < 99) UpdateLaser(l);
  // 0.01 added 99 times in 32-bit floats: 0.98999935, just short of 0.99.
  EXPECT_FLOAT_EQ(l.intensity, 0.9899994f);
  EXPECT_LT(l.intensity, 0.99f);
  EXPECT_NEAR(l.width, 4.95f, 1e-5f);
  UpdateLaser(l);
  EXPECT_EQ(l.width, 10.0f);  // age 100
  while (l.age < 150) UpdateLaser(l);
  EXPECT_EQ(l.width, 10.0f);
  EXPECT_FLOAT_EQ(l.intensity, 0.9899994f);
  UpdateLaser(l);
  EXPECT_NEAR(l.width, 4.9f, 1e-5f);  // age 151
  while (l.age < 249) UpdateLaser(l);
  EXPECT_FALSE(l.done);
  EXPECT_GT(l.intensity, 0.0f);
  EXPECT_LT(l.intensity, 1e-6f);
  UpdateLaser(l);
  EXPECT_TRUE(l.done);
  EXPECT_LT(l.intensity, 0.0f);
  EXPECT_LT(l.width, 0.0f);
}
