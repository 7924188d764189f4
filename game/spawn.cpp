#include "game/spawn.h"

#include <limits>

#include "game/drones.h"
#include "game/lasers.h"
#include "game/maths.h"
#include "game/world.h"

namespace {

constexpr int kWaveBonus = 100;
constexpr int kShortestInterval = 5;

// What a wave may create. Each record makes its own random draws as it is
// created, so the order in a row is the order of the draws.
enum Spawn { kEnd, kDrone0, kDrone1, kDrone2, kLaser };

constexpr int kMaxChoices = 4;
constexpr int kMaxRecords = 3;

struct Tier {
  int lastTick;                               // the tier holds waves up to this tick
  Spawn lead[kMaxRecords];                    // created before the choice is drawn
  int choices;                                // the choice is DrawRandom() % choices
  Spawn waves[kMaxChoices][kMaxRecords + 1];  // created after it, by the choice
};

// Later tiers bring more drones, double lasers and the large kind-2 drone.
constexpr Tier kTiers[] = {
    {2500, {kEnd}, 2, {{kDrone0, kEnd}, {kLaser, kEnd}}},
    {5000, {kEnd}, 3, {{kDrone0, kEnd}, {kLaser, kEnd}, {kDrone1, kDrone1, kEnd}}},
    {10000,
     {kEnd},
     4,
     {{kDrone0, kEnd}, {kLaser, kLaser, kEnd}, {kDrone1, kDrone1, kDrone1, kEnd}, {kDrone2, kEnd}}},
    {std::numeric_limits<int>::max(),
     {kLaser, kDrone1, kEnd},
     3,
     {{kDrone0, kEnd}, {kDrone1, kDrone1, kEnd}, {kDrone2, kEnd}}},
};

const Tier& TierAt(int tick) {
  for (const Tier& tier : kTiers) {
    if (tick <= tier.lastTick) return tier;
  }
  return kTiers[sizeof kTiers / sizeof kTiers[0] - 1];
}

// Each record joins its list at once, before the next one makes its draws.
void Create(const Spawn* records) {
  for (const Spawn* s = records; *s != kEnd; ++s) {
    switch (*s) {
      case kDrone0:
        g_drones.push_back(CreateDrone(0));
        break;
      case kDrone1:
        g_drones.push_back(CreateDrone(1));
        break;
      case kDrone2:
        g_drones.push_back(CreateDrone(2));
        break;
      case kLaser:
        g_lasers.push_back(CreateLaser());
        break;
      case kEnd:
        break;
    }
  }
}

}  // namespace

void SpawnWave() {
  const Tier& tier = TierAt(g_tick);
  Create(tier.lead);
  Create(tier.waves[DrawRandom() % tier.choices]);
  g_player->score += kWaveBonus;
  if (g_spawnInterval > kShortestInterval) g_spawnInterval -= 1;
}
