// The spawn schedule: on which ticks waves come, what each tier's waves hold, and in which
// order their draws are taken.
#include "game/spawn.h"

#include <algorithm>
#include <string>
#include <vector>

#include "tests/game/world_fixture.h"

using SpawnTest = WorldTest;

TEST_F(SpawnTest, WavesComeOnAShrinkingInterval) {
  // One game kept alive by clearing every record after each tick; a wave shows as exactly 100
  // more points.
  std::vector<int> ticks;
  while (g_tick < 10005) {
    const int before = g_player->score;
    UpdateWorld();
    if (g_player->score != before) {
      EXPECT_EQ(g_player->score - before, 100) << g_tick;
      ticks.push_back(g_tick);
    }
    ClearLists();
  }
  auto has = [&ticks](int t) { return std::count(ticks.begin(), ticks.end(), t) == 1; };
  auto firstAfter = [&ticks](int t) { return *std::upper_bound(ticks.begin(), ticks.end(), t); };
  EXPECT_EQ(std::vector<int>(ticks.begin(), ticks.begin() + 4),
            (std::vector<int>{100, 198, 294, 388}));
  for (int t : {2530, 2538, 2544, 2548, 2550, 2600, 3269, 3270}) EXPECT_TRUE(has(t)) << t;
  EXPECT_EQ(firstAfter(2550), 2600);
  EXPECT_EQ(std::count_if(ticks.begin(), ticks.end(), [](int t) { return t <= 2500; }), 43);
  EXPECT_EQ(firstAfter(2500), 2508);
  EXPECT_EQ(firstAfter(5000), 5005);
  EXPECT_EQ(ticks.back(), 10005);
  // From the wave on 3270 on, the interval stays 5: a wave on every multiple of 5 and no other.
  EXPECT_EQ(std::count_if(ticks.begin(), ticks.end(), [](int t) { return t >= 3270; }),
            (10005 - 3270) / 5 + 1);
  EXPECT_TRUE(
      std::all_of(ticks.begin(), ticks.end(), [](int t) { return t < 3270 || t % 5 == 0; }));
}

TEST_F(SpawnTest, EachTierBuildsItsWavesInTheOrderOfTheirDraws) {
  const struct {
    int tick;
    int leadDraws;  // taken by the records made before the choice
    std::vector<std::string> waves;
  } cases[] = {
      {2500, 0, {"0", "L"}},
      {2501, 0, {"0", "L", "11"}},
      {5000, 0, {"0", "L", "11"}},
      {5001, 0, {"0", "LL", "111", "2"}},
      {10000, 0, {"0", "LL", "111", "2"}},
      {10001, 7, {"L10", "L111", "L12"}},  // a laser (4 draws) and a kind-1 drone (3) first
  };
  for (const auto& c : cases) {
    const int choices = static_cast<int>(c.waves.size());
    std::vector<bool> seen(choices);
    for (unsigned seed = 1; seed <= 40; ++seed) {
      std::srand(seed);
      for (int i = 0; i < c.leadDraws; ++i) std::rand();
      const int choice = std::rand() % choices;
      seen[choice] = true;
      NewGame();
      g_tick = c.tick;
      g_spawnInterval = 6;
      std::srand(seed);
      SpawnWave();
      std::string made;
      for (size_t i = 0; i < g_lasers.size(); ++i) made += "L";
      for (const Drone* d : g_drones) made += std::to_string(d->kind);
      EXPECT_EQ(made, c.waves[choice]) << "tick " << c.tick << " seed " << seed;
      EXPECT_EQ(g_player->score, 100);
      SpawnWave();
      EXPECT_EQ(g_spawnInterval, 5);  // shortened by one, and never below 5
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool s) { return s; })) << c.tick;
  }
}
