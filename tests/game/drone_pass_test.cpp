// The pipelined drone pass against the plain one: the same swarm in, the same bits out, and
// the same draws of std::rand taken, tick after tick.
#include "game/drone_pass.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "game/drones.h"
#include "tests/game/world_fixture.h"

namespace {

// Every field of every drone in list order, and the next draw, so a lost draw shows too.
std::vector<unsigned char> Outcome() {
  std::vector<unsigned char> bytes;
  for (const Drone* d : g_drones) {
    const auto* p = reinterpret_cast<const unsigned char*>(d);
    bytes.insert(bytes.end(), p, p + offsetof(Drone, dead) + 1);
  }
  const int draw = std::rand();
  bytes.insert(bytes.end(), reinterpret_cast<const unsigned char*>(&draw),
               reinterpret_cast<const unsigned char*>(&draw + 1));
  return bytes;
}

// One pass each way from the same swarm and std::rand state; returns the swarm after it.
std::vector<Drone> CompareOneTick(const std::vector<Drone>& swarm, unsigned seed,
                                  const std::string& where) {
  std::vector<unsigned char> outcomes[2];
  std::vector<Drone> after;
  for (int pipelined = 0; pipelined < 2; ++pipelined) {
    for (const Drone& d : swarm) g_drones.push_back(new Drone(d));
    std::srand(seed);
    pipelined ? RunPipelinedDronePass() : RunDronePass();
    outcomes[pipelined] = Outcome();
    after.clear();
    for (const Drone* d : g_drones) after.push_back(*d);
    ClearLists();
  }
  EXPECT_TRUE(outcomes[0].size() == outcomes[1].size() &&
              std::memcmp(outcomes[0].data(), outcomes[1].data(), outcomes[0].size()) == 0)
      << where;
  return after;
}

Drone At(int kind, float x, float y, float v = 0.0f) {
  return {x, y, v, v, 100, 0, kind, false};
}

}  // namespace

using DronePassTest = WorldTest;

// All three kinds, dead drones anywhere, drones on one point, waves arriving on shared edge
// points, and every size from 1 to 20 (every way a list can end inside a block of four) and
// then up to a few hundred.
TEST_F(DronePassTest, PipelinedPassMatchesThePlainPassBitForBit) {
  TestRng rng{12345};
  int ticks = 0;
  for (int game = 0; game < 90; ++game) {
    std::vector<Drone> swarm;
    const int size = game < 40 ? 1 + game % 20 : 20 + rng.Below(330);
    for (int i = 0; i < size; ++i) {
      Drone d = At(rng.Below(3), rng.Between(-50, 690), rng.Between(-50, 530));
      d.vx = rng.Between(-2, 2);
      d.vy = rng.Between(-2, 2);
      d.turnRate = rng.Between(-0.0005f, 0.0005f);
      if (i > 0 && rng.Below(8) == 0) {  // on the same point as an earlier drone
        const Drone& twin = swarm[rng.Below(i)];
        d.x = twin.x;
        d.y = twin.y;
      }
      swarm.push_back(d);
    }
    for (int tick = 0; tick < 25; ++tick, ++ticks) {
      Ship().x = rng.Between(12, 627);
      Ship().vx = rng.Between(-3, 3);
      Ship().vy = rng.Between(-3, 3);
      for (Drone& d : swarm) d.dead = rng.Below(25) == 0;
      if (!swarm.empty() && rng.Below(6) == 0) swarm.back().dead = true;
      if (rng.Below(5) == 0) {
        const Vec2 spot = EdgePoint(rng.Below(4), rng.Below(1000));
        for (int n = rng.Below(4); n >= 0; --n) swarm.push_back(At(rng.Below(3), spot.x, spot.y));
      }
      swarm = CompareOneTick(swarm, 1000u + ticks, "game " + std::to_string(game));
      if (HasFailure()) return;
    }
  }
  EXPECT_GE(ticks, 2000);
}

// Stacks at rest on the ship meet finished drones at distance 0 in every lane of a block,
// some with -0 velocities, whose sign a skipped neighbour must not touch; then lists with
// nothing to flock, and drones a hair apart whose pushes overflow, where both passes must
// still agree.
TEST_F(DronePassTest, GuardsAndEdgeCasesAgree) {
  Ship().x = 300.0f;
  Ship().y = 200.0f;
  for (int stack = 1; stack <= 13; ++stack) {
    std::vector<Drone> swarm;
    for (int i = 0; i < stack; ++i) swarm.push_back(At(i % 3, 300, 200, i % 2 ? -0.0f : 0.0f));
    swarm.insert(swarm.begin() + stack / 2, At(0, 310, 200));
    for (int i = 0; i < stack; i += 3) swarm[i].dead = stack % 2;
    for (int tick = 0; tick < 4; ++tick) swarm = CompareOneTick(swarm, 7u, "stack");
  }
  std::vector<Drone> dead(9, At(1, 0, 20));
  for (int i = 0; i < 9; ++i) {
    dead[i].x = 10.0f * i;
    dead[i].dead = true;
  }
  EXPECT_TRUE(CompareOneTick(dead, 3u, "all dead").empty());
  dead[8].dead = false;
  EXPECT_EQ(CompareOneTick(dead, 3u, "last alive").size(), 1u);
  CompareOneTick({}, 3u, "empty");

  std::vector<Drone> tiny;
  for (int i = 0; i < 11; ++i) tiny.push_back(At(i % 3, 1.0e-21f * (i % 4), 0));
  for (int tick = 0; tick < 3; ++tick) tiny = CompareOneTick(tiny, 11u, "overflow");
}
