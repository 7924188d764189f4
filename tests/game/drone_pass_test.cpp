// The pipelined drone pass against the plain one: the same world in, the same bits out,
// tick after tick.
#include "game/drone_pass.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "game/drones.h"
#include "tests/game/world_fixture.h"

namespace {

// A small generator of the test's own, so that building the games draws nothing from
// std::rand, whose sequence belongs to the passes under test.
struct Lcg {
  uint64_t state;
  uint32_t Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state >> 33);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
  float Between(float lo, float hi) { return lo + (hi - lo) * (Next() % 1000001) / 1000000.0f; }
};

// Every byte of every drone that a pass may write, in list order, and the next draw of
// std::rand, so that a lost or extra draw shows as well.
std::vector<unsigned char> Outcome() {
  std::vector<unsigned char> bytes;
  for (const Drone* d : g_drones) {
    const float fields[] = {d->x, d->y, d->vx, d->vy, d->heading, d->turnRate};
    const unsigned char* f = reinterpret_cast<const unsigned char*>(fields);
    bytes.insert(bytes.end(), f, f + sizeof fields);
    bytes.push_back(static_cast<unsigned char>(d->kind));
    bytes.push_back(d->dead ? 1 : 0);
  }
  const int draw = std::rand();
  const unsigned char* r = reinterpret_cast<const unsigned char*>(&draw);
  bytes.insert(bytes.end(), r, r + sizeof draw);
  return bytes;
}

void Load(const std::vector<Drone>& swarm) {
  for (const Drone& d : swarm) g_drones.push_back(new Drone(d));
}

std::vector<Drone> Unload() {
  std::vector<Drone> swarm;
  for (Drone* d : g_drones) {
    swarm.push_back(*d);
    delete d;
  }
  g_drones.clear();
  return swarm;
}

// Runs one drone pass each way from the same swarm and the same std::rand state, and
// compares them with memcmp. Returns the swarm after the pass.
std::vector<Drone> CompareOneTick(const std::vector<Drone>& swarm, unsigned seed,
                                  const std::string& where) {
  Load(swarm);
  std::srand(seed);
  RunDronePass();
  const std::vector<unsigned char> plain = Outcome();
  Unload();

  Load(swarm);
  std::srand(seed);
  RunPipelinedDronePass();
  const std::vector<unsigned char> pipelined = Outcome();
  EXPECT_EQ(plain.size(), pipelined.size()) << where;
  if (plain.size() == pipelined.size()) {
    EXPECT_EQ(std::memcmp(plain.data(), pipelined.data(), plain.size()), 0) << where;
  }
  return Unload();
}

Drone MakeDrone(int kind, float x, float y, float vx = 0.0f, float vy = 0.0f) {
  return Drone{x, y, vx, vy, 100.0f, 0.0f, kind, false};
}

}  // namespace

class DronePassTest : public WorldTest {};

// Long random games: all three kinds, dead drones anywhere, several drones on one point,
// new drones arriving on the edges in the same spots, and sizes from 1 to a few hundred with
// every size near the four-wide block well covered.
TEST_F(DronePassTest, PipelinedPassMatchesThePlainPassBitForBit) {
  Lcg rng{12345};
  int ticks = 0;
  for (int game = 0; game < 90; ++game) {
    int size;
    if (game < 40) {
      size = 1 + game % 20;  // 1 to 20: every way a list can end inside a block
    } else {
      size = 20 + rng.Below(330);
    }
    std::vector<Drone> swarm;
    for (int i = 0; i < size; ++i) {
      Drone d = MakeDrone(rng.Below(3), rng.Between(-50, 690), rng.Between(-50, 530),
                          rng.Between(-2, 2), rng.Between(-2, 2));
      d.heading = static_cast<float>(rng.Below(360));
      d.turnRate = rng.Between(-0.0005f, 0.0005f);
      if (rng.Below(8) == 0 && i > 0) {  // on the same point as an earlier drone
        const Drone& twin = swarm[rng.Below(i)];
        d.x = twin.x;
        d.y = twin.y;
      }
      swarm.push_back(d);
    }
    Ship().x = rng.Between(12, 627);
    Ship().y = rng.Between(42, 467);
    for (int tick = 0; tick < 25; ++tick, ++ticks) {
      // The ship wanders, so drones aim and lead differently from tick to tick.
      Ship().vx = rng.Between(-3, 3);
      Ship().vy = rng.Between(-3, 3);
      Ship().x += Ship().vx;
      Ship().y += Ship().vy;
      // The beam kills a few, anywhere in the list: first, last, several in a row.
      for (Drone& d : swarm) {
        if (rng.Below(25) == 0) d.dead = true;
      }
      if (!swarm.empty() && rng.Below(6) == 0) swarm.front().dead = true;
      if (!swarm.empty() && rng.Below(6) == 0) swarm.back().dead = true;
      // A wave: new drones at rest on the edges, some of them on the very same spot.
      if (rng.Below(5) == 0) {
        const Vec2 spot = EdgePoint(rng.Below(4), rng.Below(1000));
        for (int n = rng.Below(4); n >= 0; --n) {
          const Vec2 at = rng.Below(2) ? spot : EdgePoint(rng.Below(4), rng.Below(1000));
          swarm.push_back(MakeDrone(rng.Below(3), at.x, at.y));
        }
      }
      const std::string where = "game " + std::to_string(game) + " tick " + std::to_string(tick) +
                                " drones " + std::to_string(swarm.size());
      swarm = CompareOneTick(swarm, 1000u + static_cast<unsigned>(ticks), where);
      if (HasFailure()) return;
    }
  }
  EXPECT_GE(ticks, 2000);
}

// Drones stacked at rest on the ship have nowhere to go and push nothing, so they stay put:
// the drones after them in the list then meet a finished drone at distance 0, which is the
// guard inside the four-wide steps, for every place in a block. Another drone elsewhere,
// and dead ones among them, are added in later rounds.
TEST_F(DronePassTest, DronesOnOnePointAreSkippedInEveryLane) {
  Ship().x = 300.0f;
  Ship().y = 200.0f;
  for (int stack = 1; stack <= 13; ++stack) {
    for (int round = 0; round < 3; ++round) {
      std::vector<Drone> swarm;
      // Some at -0: a skipped neighbour must leave even the sign of a zero alone.
      for (int i = 0; i < stack; ++i) {
        const float still = i % 2 ? -0.0f : 0.0f;
        swarm.push_back(MakeDrone(i % 3, 300.0f, 200.0f, still, still));
      }
      if (round >= 1) swarm.insert(swarm.begin() + stack / 2, MakeDrone(0, 310.0f, 200.0f));
      if (round == 2) {
        for (int i = 0; i < stack; i += 3) swarm[i].dead = true;
      }
      for (int tick = 0; tick < 4; ++tick) {
        swarm = CompareOneTick(swarm, 7u,
                               "stack " + std::to_string(stack) + " round " +
                                   std::to_string(round) + " tick " + std::to_string(tick));
      }
      if (round == 0) {  // alone on the ship, nobody moved
        for (const Drone& d : swarm) {
          EXPECT_EQ(d.x, 300.0f);
          EXPECT_EQ(d.vx, 0.0f);  // either zero
        }
      }
    }
  }
}

// Lists with nothing to flock: empty, all dead, and live drones only at one end.
TEST_F(DronePassTest, EmptyAndDeadListsAreClearedTheSameWay) {
  CompareOneTick({}, 3u, "empty");
  std::vector<Drone> swarm;
  for (int i = 0; i < 9; ++i) {
    swarm.push_back(MakeDrone(i % 3, 10.0f * i, 20.0f));
    swarm.back().dead = true;
  }
  EXPECT_TRUE(CompareOneTick(swarm, 3u, "all dead").empty());
  swarm[0].dead = false;
  EXPECT_EQ(CompareOneTick(swarm, 3u, "first alive").size(), 1u);
  swarm[0].dead = true;
  swarm[8].dead = false;
  EXPECT_EQ(CompareOneTick(swarm, 3u, "last alive").size(), 1u);
}

// Drones a hair apart near the origin: the squared distance goes subnormal, the division
// overflows to infinity and the velocities to NaN. Nothing in a game should come this close,
// but if it does, both passes must still agree.
TEST_F(DronePassTest, OverflowingPushesAgree) {
  std::vector<Drone> swarm;
  for (int i = 0; i < 11; ++i) {
    swarm.push_back(MakeDrone(i % 3, 1.0e-21f * static_cast<float>(i % 4), 0.0f, 0.0f, 0.0f));
  }
  swarm.push_back(MakeDrone(0, 5.0f, 5.0f));
  for (int tick = 0; tick < 3; ++tick) {
    swarm = CompareOneTick(swarm, 11u, "tick " + std::to_string(tick));
  }
}
