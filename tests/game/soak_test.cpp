// Long play. Hundreds of thousands of ticks of random keys, one game kept alive deep into the
// last tier, and a replay: after every tick the world holds exactly the records the tick
// left and only numbers, each new game gives back all the memory of the last, and the same
// seed and keys give the same world bit for bit.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <unordered_set>
#include <vector>

#include "game/player.h"
#include "tests/game/live_allocations.h"
#include "tests/game/world_fixture.h"

namespace {

bool Finite(std::initializer_list<float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

// What the lists held before a tick, to check what the tick did with them.
struct Before {
  std::vector<const Drone*> drones;
  std::vector<int> kinds;
  std::vector<const Laser*> lasers;
  std::vector<bool> done;
  int score = 0;
  bool frozen = false;  // the game was over: the tick must change nothing
  bool waveDue = false;

  // Room enough up front, so that the bookkeeping never shows in the allocation count.
  Before() {
    drones.reserve(1 << 16);
    lasers.reserve(1 << 16);
    kinds.reserve(1 << 16);
    done.reserve(1 << 16);
  }
  void Take() {
    drones.assign(g_drones.begin(), g_drones.end());
    lasers.assign(g_lasers.begin(), g_lasers.end());
    kinds.clear();
    done.clear();
    for (const Drone* d : g_drones) kinds.push_back(d->kind);
    for (const Laser* l : g_lasers) done.push_back(l->done && !g_gameOver);
    score = g_player->score;
    frozen = g_gameOver;
    waveDue = !g_gameOver && (g_tick + 1) % g_spawnInterval == 0;
  }
};

// The survivors keep their order at the front of each list, only beam kills and finished
// lasers are gone, one wave is appended when due, and the score rose by exactly the kills and
// the bonus. Records are made before any is freed in a tick, so no address is reused.
void CheckTick(const Before& before) {
  const Player& p = *g_player;
  ASSERT_TRUE(Finite({p.x, p.y, p.vx, p.vy, p.heading, p.turnRate, p.energy, p.beamIntensity}));
  ASSERT_TRUE(p.energy >= -1.0f && p.energy <= 100.0f) << p.energy;
  ASSERT_LE(p.controls.size(), 4u);

  const std::unordered_set<const Drone*> now(g_drones.begin(), g_drones.end());
  auto drone = g_drones.begin();
  int killPoints = 0;
  for (size_t i = 0; i < before.drones.size(); ++i) {
    if (now.count(before.drones[i]) == 0) {
      killPoints += KindOf(before.kinds[i]).points;
    } else {
      ASSERT_EQ(*drone++, before.drones[i]) << "a drone moved in the list";
    }
  }
  auto laser = g_lasers.begin();
  for (size_t i = 0; i < before.lasers.size(); ++i) {
    if (!before.done[i]) {
      ASSERT_EQ(*laser++, before.lasers[i]) << "a laser lost or moved";
    }
  }
  const auto added = std::distance(drone, g_drones.end()) + std::distance(laser, g_lasers.end());
  ASSERT_TRUE(before.waveDue ? added >= 1 && added <= 4 : added == 0) << added;
  ASSERT_EQ(p.score - before.score, killPoints + (before.waveDue ? 100 : 0));
  ASSERT_TRUE(!before.frozen || (killPoints == 0 && added == 0));
  for (const Drone* d : g_drones) {
    ASSERT_FALSE(d->dead);
    ASSERT_TRUE(Finite({d->x, d->y, d->vx, d->vy, d->heading, d->turnRate}));
  }
  for (const Laser* l : g_lasers) {
    ASSERT_TRUE(Finite({l->x0, l->y0, l->x1, l->y1, l->intensity, l->width}));
  }
}

// Every field of the world, folded into one number.
uint64_t Fingerprint() {
  uint64_t h = 14695981039346656037ull;
  auto fold = [&h](const void* data, size_t size) {
    for (size_t i = 0; i < size; ++i)
      h = (h ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
  };
  const Player& p = *g_player;
  for (float f : {p.x, p.y, p.vx, p.vy, p.heading, p.turnRate, p.energy, p.beamIntensity}) {
    fold(&f, sizeof f);
  }
  fold(&p.score, sizeof p.score);
  fold(&p.beamOn, sizeof p.beamOn);
  for (const Vec2& c : p.controls) fold(&c, sizeof c);
  for (const Drone* d : g_drones) fold(d, offsetof(Drone, dead) + 1);
  for (const Laser* l : g_lasers) {
    fold(l, offsetof(Laser, done) + 1);
    fold(&l->age, sizeof(Laser) - offsetof(Laser, age));
  }
  for (int g : {g_tick, g_spawnInterval, g_bestScore, int{g_gameOver}}) fold(&g, sizeof g);
  return h;
}

struct PlayStats {
  int games = 1;
  size_t peakDrones = 0;
  uint64_t fingerprint = 0;  // of every tick's world, in turn
};

// Keys behave like a real keyboard: each is pressed and released in turn, and held or left up
// for at least a few ticks, as no hand taps faster. Any press after a death starts a new game,
// which must hold exactly the memory the first one did.
PlayStats PlayRandomKeys(int ticks, uint64_t seed) {
  constexpr int kKeys[] = {kKeyFire, kKeyUp, kKeyDown, kKeyLeft, kKeyRight, ' '};
  constexpr int kFastestTap = 3;
  bool held[6] = {};
  int lastChange[6] = {};
  TestRng rng{seed};
  Before before;
  PlayStats stats;
  const long heldAtStart = LiveAllocations();
  for (int t = 0; t < ticks; ++t) {
    const int k = rng.Below(24);
    if (k < 6 && t - lastChange[k] >= kFastestTap) {
      const bool wasOver = g_gameOver;
      held[k] = !held[k];
      lastChange[k] = t;
      held[k] ? OnKeyDown(kKeys[k]) : OnKeyUp(kKeys[k]);
      if (wasOver && !g_gameOver) {
        ++stats.games;
        EXPECT_EQ(LiveAllocations(), heldAtStart) << "game " << stats.games;
      }
    }
    before.Take();
    UpdateWorld();
    CheckTick(before);
    if (::testing::Test::HasFailure()) break;
    stats.peakDrones = std::max(stats.peakDrones, g_drones.size());
    stats.fingerprint = stats.fingerprint * 31 + Fingerprint();
  }
  return stats;
}

}  // namespace

using SoakTest = WorldTest;

TEST_F(SoakTest, RandomKeysForThreeHundredThousandTicks) {
  const PlayStats stats = PlayRandomKeys(300000, 20261206);
  std::printf("soak: 300000 ticks, %d games, peak %zu drones\n", stats.games, stats.peakDrones);
  EXPECT_GT(stats.games, 10);
}

TEST_F(SoakTest, ScriptedGamesReplayBitForBit) {
  std::srand(12345);
  const PlayStats first = PlayRandomKeys(15000, 7);
  g_bestScore = 0;
  NewGame();
  std::srand(12345);
  const PlayStats second = PlayRandomKeys(15000, 7);
  EXPECT_EQ(first.fingerprint, second.fingerprint);
  EXPECT_GT(first.games, 1);
}

TEST_F(SoakTest, OneGameKeptAliveIntoTheLastTier) {
  constexpr float kClearRadius = 80.0f;
  Before before;
  size_t peakDrones = 0;
  OnKeyDown(kKeyLeft);  // the ship spins in place, so that its beam sweeps the crowd
  while (g_tick < 12500) {
    const bool fire = g_tick % 300 < 100;
    if (fire != g_player->beamOn) fire ? OnKeyDown(kKeyFire) : OnKeyUp(kKeyFire);
    before.Take();
    UpdateWorld();
    CheckTick(before);
    ASSERT_FALSE(HasFailure() || g_gameOver) << "tick " << g_tick;
    peakDrones = std::max(peakDrones, g_drones.size());
    // Clear the drones that come close, and the lasers before they turn deadly.
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
}
