// Long play: hundreds of thousands of ticks of random keys, and one game kept alive deep into
// the last tier. After every tick the world must hold exactly the records the tick left,
// every value must be a number, and each new game must give back all the memory of the last.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unordered_set>
#include <vector>

#include "game/player.h"
#include "tests/game/live_allocations.h"
#include "tests/game/world_fixture.h"

namespace {

struct Rng {  // the test's own generator, apart from the game's std::rand
  uint64_t state;
  uint32_t Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state >> 33);
  }
};

bool Finite(std::initializer_list<float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

// What the lists held before a tick, to check what the tick did with them.
struct Before {
  std::vector<const Drone*> drones;
  std::vector<int> droneKinds;
  std::vector<const Laser*> lasers;
  std::vector<bool> laserDone;
  int score = 0;
  bool frozen = false;  // the game was over: the tick must change nothing
  bool waveDue = false;

  void Reserve(size_t n) {
    drones.reserve(n);
    droneKinds.reserve(n);
    lasers.reserve(n);
    laserDone.reserve(n);
  }
  void Take() {
    drones.assign(g_drones.begin(), g_drones.end());
    droneKinds.clear();
    for (const Drone* d : g_drones) droneKinds.push_back(d->kind);
    lasers.assign(g_lasers.begin(), g_lasers.end());
    laserDone.clear();
    for (const Laser* l : g_lasers) laserDone.push_back(l->done);
    score = g_player->score;
    frozen = g_gameOver;
    waveDue = !g_gameOver && (g_tick + 1) % g_spawnInterval == 0;
  }
};

// The tick kept the surviving drones and lasers in their order at the front of their lists,
// removed only beam kills and finished lasers, appended one wave when one was due, and
// scored exactly the kills and the bonus. Records are allocated before anything is freed in
// a tick, so no new record can take the address of a removed one.
void CheckTick(const Before& before) {
  const Player& p = *g_player;
  ASSERT_TRUE(Finite({p.x, p.y, p.vx, p.vy, p.heading, p.turnRate, p.energy, p.beamIntensity}));
  ASSERT_GE(p.energy, -1.0f);
  ASSERT_LE(p.energy, 100.0f);
  ASSERT_LE(p.controls.size(), 4u);

  const std::unordered_set<const Drone*> now(g_drones.begin(), g_drones.end());
  auto drone = g_drones.begin();
  int killPoints = 0;
  for (size_t i = 0; i < before.drones.size(); ++i) {
    if (now.count(before.drones[i]) == 0) {
      killPoints += KindOf(before.droneKinds[i]).points;
      continue;
    }
    ASSERT_EQ(*drone, before.drones[i]) << "a drone moved in the list";
    ++drone;
  }
  const auto addedDrones = std::distance(drone, g_drones.end());

  auto laser = g_lasers.begin();
  for (size_t i = 0; i < before.lasers.size(); ++i) {
    if (before.laserDone[i] && !before.frozen) continue;
    ASSERT_TRUE(laser != g_lasers.end() && *laser == before.lasers[i]) << "a laser lost or moved";
    ++laser;
  }
  const auto addedLasers = std::distance(laser, g_lasers.end());

  if (before.waveDue) {
    ASSERT_GE(addedDrones + addedLasers, 1);
    ASSERT_LE(addedDrones + addedLasers, 4);
  } else {
    ASSERT_EQ(addedDrones + addedLasers, 0);
  }
  ASSERT_EQ(p.score - before.score, killPoints + (before.waveDue ? 100 : 0));

  for (const Drone* d : g_drones) {
    ASSERT_FALSE(d->dead);
    ASSERT_TRUE(Finite({d->x, d->y, d->vx, d->vy, d->heading, d->turnRate}));
  }
  for (const Laser* l : g_lasers) {
    ASSERT_TRUE(Finite({l->x0, l->y0, l->x1, l->y1, l->intensity, l->width}));
  }
}

}  // namespace

using SoakTest = WorldTest;

constexpr float kClearRadius = 80.0f;

TEST_F(SoakTest, RandomKeysForThreeHundredThousandTicks) {
  constexpr int kTicks = 300000;
  // Keys behave like a real keyboard: each is pressed and released in turn, and held or
  // left up for at least a few ticks, as no hand taps faster.
  constexpr int kKeys[] = {kKeyFire, kKeyUp, kKeyDown, kKeyLeft, kKeyRight, 32};
  constexpr int kFastestTap = 3;
  bool held[6] = {};
  int lastChange[6] = {};
  Rng rng{20261206};
  Before before;
  before.Reserve(1 << 16);
  const long heldAtStart = LiveAllocations();
  int games = 1;
  size_t peakDrones = 0;
  for (int t = 0; t < kTicks; ++t) {
    const int k = static_cast<int>(rng.Next() % 24);
    if (k < 6 && t - lastChange[k] >= kFastestTap) {
      const bool wasOver = g_gameOver;
      held[k] = !held[k];
      lastChange[k] = t;
      held[k] ? OnKeyDown(kKeys[k]) : OnKeyUp(kKeys[k]);
      if (wasOver && !g_gameOver) {  // any press after a death starts a new game
        ++games;
        ASSERT_EQ(LiveAllocations(), heldAtStart) << "game " << games;
      }
    }
    before.Take();
    UpdateWorld();
    CheckTick(before);
    if (HasFatalFailure()) return;
    peakDrones = std::max(peakDrones, g_drones.size());
  }
  std::printf("soak: %d ticks, %d games, peak %zu drones\n", kTicks, games, peakDrones);
  EXPECT_GT(games, 10);
}

TEST_F(SoakTest, OneGameKeptAliveIntoTheLastTier) {
  constexpr int kTicks = 12500;
  Before before;
  size_t peakDrones = 0;
  OnKeyDown(kKeyLeft);  // the ship spins in place, so its beam sweeps the crowd
  for (int t = 0; t < kTicks; ++t) {
    const bool fire = t % 300 < 100;
    if (fire && !g_player->beamOn) OnKeyDown(kKeyFire);
    if (!fire && g_player->beamOn) OnKeyUp(kKeyFire);
    before.Take();
    UpdateWorld();
    CheckTick(before);
    if (HasFatalFailure()) return;
    ASSERT_FALSE(g_gameOver) << "tick " << g_tick;
    peakDrones = std::max(peakDrones, g_drones.size());
    // Clear the drones that come close to the ship, and lasers before they turn deadly.
    const Player& p = *g_player;
    g_drones.remove_if([&p](Drone* d) {
      const float dx = d->x - p.x, dy = d->y - p.y;
      const bool near = dx * dx + dy * dy < kClearRadius * kClearRadius;
      if (near) delete d;
      return near;
    });
    g_lasers.remove_if([](Laser* l) {
      const bool lethalSoon = l->age >= 99;
      if (lethalSoon) delete l;
      return lethalSoon;
    });
  }
  std::printf("kept alive: %d ticks, peak %zu drones\n", g_tick, peakDrones);
  EXPECT_GT(g_tick, 12000);
}
