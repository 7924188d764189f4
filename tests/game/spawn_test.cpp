// The spawn schedule: on which ticks waves come, what each tier's waves hold and in which
// order their draws are taken.
#include <cstdlib>
#include <string>
#include <vector>

#include "game/spawn.h"
#include "tests/game/world_fixture.h"

namespace {

// Plays one game with the ship kept alive by removing every record after each tick, and
// returns the ticks on which a wave came (each worth exactly 100 points).
std::vector<int> WaveTicks(int lastTick) {
  std::vector<int> ticks;
  while (g_tick < lastTick) {
    const int before = g_player->score;
    UpdateWorld();
    if (g_player->score != before) {
      EXPECT_EQ(g_player->score - before, 100) << "tick " << g_tick;
      ticks.push_back(g_tick);
    }
    for (Drone* d : g_drones) delete d;
    g_drones.clear();
    for (Laser* l : g_lasers) delete l;
    g_lasers.clear();
  }
  return ticks;
}

bool Contains(const std::vector<int>& v, int x) {
  for (int e : v) {
    if (e == x) return true;
  }
  return false;
}

int FirstAfter(const std::vector<int>& v, int x) {
  for (int e : v) {
    if (e > x) return e;
  }
  return -1;
}

// What the lists received, in order of creation: "L" for a laser, "0".."2" for drones.
std::string Created() {
  std::string s;
  for (const Laser* l : g_lasers) {
    (void)l;
    s += "L";
  }
  for (const Drone* d : g_drones) s += std::to_string(d->kind);
  return s;
}

}  // namespace

using SpawnTest = WorldTest;

TEST_F(SpawnTest, WavesComeOnAShrinkingInterval) {
  const std::vector<int> ticks = WaveTicks(10005);
  ASSERT_GE(ticks.size(), 4u);
  EXPECT_EQ(std::vector<int>(ticks.begin(), ticks.begin() + 4), (std::vector<int>{100, 198, 294, 388}));
  for (int t : {2530, 2538, 2544, 2548, 2550, 2600, 3269, 3270}) EXPECT_TRUE(Contains(ticks, t)) << t;
  for (int t = 2551; t < 2600; ++t) EXPECT_FALSE(Contains(ticks, t)) << t;

  int tierOne = 0;
  for (int t : ticks) tierOne += t <= 2500;
  EXPECT_EQ(tierOne, 43);
  EXPECT_EQ(FirstAfter(ticks, 2500), 2508);
  EXPECT_EQ(FirstAfter(ticks, 5000), 5005);
  EXPECT_EQ(ticks.back(), 10005);

  // From the wave on 3270 on, the interval stays 5: a wave on every multiple of 5.
  for (int t = 3270; t <= 10005; t += 5) EXPECT_TRUE(Contains(ticks, t)) << t;
  for (int t : ticks) {
    if (t > 3270) {
      EXPECT_EQ(t % 5, 0) << t;
    }
  }
  EXPECT_EQ(g_spawnInterval, 5);
}

TEST_F(SpawnTest, EachTierBuildsItsWavesInTheOrderOfTheirDraws) {
  struct Case {
    int tick;
    int leadDraws;  // draws taken by the records made before the choice
    int choices;
    std::vector<std::string> waves;
  };
  const Case cases[] = {
      {2500, 0, 2, {"0", "L"}},
      {2501, 0, 3, {"0", "L", "11"}},
      {5000, 0, 3, {"0", "L", "11"}},
      {5001, 0, 4, {"0", "LL", "111", "2"}},
      {10000, 0, 4, {"0", "LL", "111", "2"}},
      // A laser (four draws) and a kind-1 drone (three) come before the choice.
      {10001, 7, 3, {"L10", "L111", "L12"}},
  };
  for (const Case& c : cases) {
    std::vector<bool> seen(c.choices);
    for (unsigned seed = 1; seed <= 40; ++seed) {
      std::srand(seed);
      for (int i = 0; i < c.leadDraws; ++i) std::rand();
      const int choice = std::rand() % c.choices;
      seen[choice] = true;

      NewGame();
      g_tick = c.tick;
      g_spawnInterval = 6;
      std::srand(seed);
      SpawnWave();
      EXPECT_EQ(Created(), c.waves[choice]) << "tick " << c.tick << " seed " << seed;
      EXPECT_EQ(g_player->score, 100);
      EXPECT_EQ(g_spawnInterval, 5);
      SpawnWave();
      EXPECT_EQ(g_spawnInterval, 5);  // never below 5
    }
    for (bool s : seen) EXPECT_TRUE(s) << "tick " << c.tick;
  }
}
