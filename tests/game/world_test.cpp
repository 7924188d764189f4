// What whole games reach only by chance: the tick where one wave tier hands over to the next,
// exact turn targets, and drones with no direction to go.
#include <cmath>
#include <cstddef>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "game/drone_pass.h"
#include "game/drones.h"
#include "game/spawn.h"
#include "tests/game/world_fixture.h"

// Thirty draws of the wave choice show a tier: lasers as L, then drones by kind, in order.
TEST_F(WorldTest, EachTierHoldsTheWavesUpToItsLastTick) {
  const struct {
    int tick;
    std::set<std::string> waves;
  } rows[] = {{2500, {"0", "L"}},
              {2501, {"0", "L", "11"}},
              {5000, {"0", "L", "11"}},
              {5001, {"0", "LL", "111", "2"}},
              {10000, {"0", "LL", "111", "2"}},
              {10001, {"L10", "L111", "L12"}}};
  for (const auto& r : rows) {
    std::set<std::string> made;
    for (unsigned start = 1; start <= 30; ++start) {
      NewGame();
      g_tick = r.tick;
      SetRandomDraws(start);
      SpawnWave();
      std::string wave(g_lasers.size(), 'L');
      for (const Drone* d : g_drones) wave += std::to_string(d->kind);
      made.insert(wave);
    }
    EXPECT_EQ(made, r.waves) << r.tick;
  }
}

// A drone at rest turns toward the angle whose cosine is vy / vx after its first push: pi
// when vx is 0, and 0 or pi when the quotient is exactly 1 or -1. Clockwise from above it.
TEST_F(WorldTest, ChasersTurnOnTheExactTargets) {
  const struct {
    float x, y, heading, turnRate;
  } rows[] = {{320, 0, 100, -1e-5f},        // vx 0: the target is pi
              {320, 0, 3.1415927f, 1e-5f},  // on the target is not above it
              {240, 160, 0.5f, -1e-5f},     // vy / vx 1
              {240, 320, 100, -1e-5f}};     // vy / vx -1
  for (const auto& r : rows) {
    Drone d{r.x, r.y, 0, 0, r.heading, 0, 0, false};
    UpdateDrone(d);
    EXPECT_EQ(d.turnRate, r.turnRate) << r.x << ", " << r.y << ", " << r.heading;
  }
}

// Drones on one point have no direction between them, and one on the resting ship none to its
// aim point: each skips the division, so the swarm stays in numbers. A swarm at rest there
// stays put, so drones done with a tick meet waiting ones at distance 0 too. Both passes agree,
// and both remove a dead drone among live ones and a run of dead ones at the list's end.
TEST_F(WorldTest, DronesOnOnePointStayNumbersAndBothPassesAgree) {
  for (const bool atRest : {true, false}) {
    SCOPED_TRACE(atRest ? "a swarm at rest" : "a moving swarm");
    std::vector<Drone> after[2];
    for (int pipelined = 0; pipelined < 2; ++pipelined) {
      for (int i = 0; i < 13; ++i) {
        const float at = atRest || i < 7 ? 0 : 30.0f * i;
        AddDrone(i % 3, 320 + at, 240 - at, atRest ? 0 : 0.1f * i)->dead = i == 8 || i >= 11;
      }
      SetRandomDraws(7);
      for (int tick = 0; tick < 3; ++tick) pipelined ? RunPipelinedDronePass() : RunDronePass();
      for (Drone* d : g_drones) {
        after[pipelined].push_back(*d);
        EXPECT_TRUE(std::isfinite(d->x + d->y + d->vx + d->vy + d->heading + d->turnRate));
        delete d;
      }
      g_drones.clear();
    }
    ASSERT_EQ(after[0].size(), 10u);
    ASSERT_EQ(after[1].size(), 10u);
    for (size_t i = 0; i < 10; ++i) {
      EXPECT_EQ(std::memcmp(&after[0][i], &after[1][i], offsetof(Drone, dead)), 0) << "drone " << i;
    }
  }
}
