// Drones: their draws and placement, flocking, the steering of each kind, and the guards
// that keep one bad pair from turning the whole swarm into NaN.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "game/drones.h"
#include "tests/game/world_fixture.h"

namespace {

bool Finite(const Drone& d) {
  return std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.vx) && std::isfinite(d.vy) &&
         std::isfinite(d.heading) && std::isfinite(d.turnRate);
}

}  // namespace

using DroneTest = WorldTest;

TEST_F(DroneTest, CreationTakesThreeDrawsAndPlacesOnTheDrawnEdge) {
  bool seen[4] = {};
  for (unsigned seed = 1; seed <= 64; ++seed) {
    std::srand(seed);
    const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand(), after = std::rand();
    std::srand(seed);
    Drone* d = CreateDrone(seed % 3);
    EXPECT_EQ(std::rand(), after) << "seed " << seed;

    EXPECT_EQ(d->heading, static_cast<float>(r1 % 360));
    EXPECT_EQ(d->kind, static_cast<int>(seed % 3));
    EXPECT_FALSE(d->dead);
    EXPECT_EQ(d->vx, 0.0f);
    EXPECT_EQ(d->vy, 0.0f);
    EXPECT_EQ(d->turnRate, 0.0f);
    const int edge = r2 % 4;
    seen[edge] = true;
    const float x[] = {0.0f, 640.0f, static_cast<float>(r3 % 640), static_cast<float>(r3 % 640)};
    const float y[] = {static_cast<float>(r3 % 480), static_cast<float>(r3 % 480), 480.0f, 0.0f};
    EXPECT_EQ(d->x, x[edge]) << "edge " << edge;
    EXPECT_EQ(d->y, y[edge]) << "edge " << edge;
    delete d;
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2] && seen[3]);
}

TEST_F(DroneTest, FlockingMatchesAndRepelsInListOrder) {
  // At rest, 10 pixels apart on a line: only the push, 0.05 / 10 = 0.005, away from b.
  Drone* a = AddDrone(0, 110, 100);
  AddDrone(0, 100, 100);
  FlockDrone(*a);
  EXPECT_FLOAT_EQ(a->vx, 0.005f);
  EXPECT_EQ(a->vy, 0.0f);

  // Velocity matching takes each difference from the velocity the previous neighbour left.
  FreeWorld();
  NewGame();
  Drone* m = AddDrone(0, 0, 0, 1.0f, 0.0f);
  AddDrone(0, 0, 1, 0.0f, 0.0f);   // k = 0.01: vx 1 -> 0.99, pushed down
  AddDrone(0, 0, -1, 0.0f, 0.0f);  // then 0.99 -> 0.9801, pushed back up
  FlockDrone(*m);
  EXPECT_FLOAT_EQ(m->vx, 0.9801f);
  // The second neighbour matches against the -0.05 the first one's push left.
  EXPECT_NEAR(m->vy, 0.0005f, 1e-8f);

  // Alone, nothing changes.
  FreeWorld();
  NewGame();
  Drone* lone = AddDrone(1, 50, 50, 0.25f, -0.5f);
  FlockDrone(*lone);
  EXPECT_EQ(lone->vx, 0.25f);
  EXPECT_EQ(lone->vy, -0.5f);
}

TEST_F(DroneTest, ChasersAccelerateTowardTheShipAndTurnSlowly) {
  Ship().x = 300.0f;
  Ship().y = 400.0f;
  Drone d{0, 0, 0, 0, 100.0f, 0, 0, false};
  UpdateDrone(d);
  EXPECT_FLOAT_EQ(d.vx, 0.006f);
  EXPECT_FLOAT_EQ(d.vy, 0.008f);
  EXPECT_EQ(d.x, d.vx);
  EXPECT_EQ(d.y, d.vy);
  EXPECT_EQ(d.turnRate, 0.00001f);  // vy / vx is 1.33: no target angle, so it turns left
  EXPECT_EQ(d.heading, 100.0f + 0.00001f);

  Ship().x = 400.0f;
  Ship().y = 300.0f;
  d = Drone{0, 0, 0, 0, 100.0f, 0, 2, false};
  UpdateDrone(d);
  EXPECT_FLOAT_EQ(d.vx, 0.008f);
  EXPECT_FLOAT_EQ(d.vy, 0.006f);
  EXPECT_EQ(d.turnRate, -0.00001f);  // the target acos(0.75) is below the heading

  d = Drone{0, 0, 0, 0, 0.5f, 0, 0, false};
  UpdateDrone(d);
  EXPECT_EQ(d.turnRate, 0.00001f);  // below the target 0.7227

  // Straight below the ship vx stays 0 and the target is pi.
  Ship().x = 320.0f;
  Ship().y = 240.0f;
  d = Drone{320, 100, 0, 0, 100.0f, 0, 0, false};
  UpdateDrone(d);
  EXPECT_EQ(d.vx, 0.0f);
  EXPECT_EQ(d.turnRate, -0.00001f);
  EXPECT_EQ(d.heading, 100.0f - 0.00001f);
  d = Drone{320, 100, 0, 0, 3.1415927f, 0, 0, false};  // equal to the target: not above it
  UpdateDrone(d);
  EXPECT_EQ(d.turnRate, 0.00001f);
}

TEST_F(DroneTest, LeadingChaserAimsAheadAndDrawsItsHeading) {
  Ship().vx = 1.0f;  // aim point (330, 240)
  Drone d{0, 240, 0, 0, 7.0f, 0, 1, false};
  std::srand(5);
  const int r = std::rand();
  std::srand(5);
  UpdateDrone(d);
  EXPECT_FLOAT_EQ(d.vx, 0.01f);
  EXPECT_EQ(d.vy, 0.0f);
  EXPECT_FLOAT_EQ(d.x, 0.01f);
  EXPECT_EQ(d.y, 240.0f);
  EXPECT_EQ(d.heading, static_cast<float>(r % 360));
  EXPECT_EQ(d.turnRate, 0.0f);

  // The ship climbing at 10 a tick puts the aim point 100 above it.
  Ship().vx = 0.0f;
  Ship().vy = 10.0f;
  d = Drone{0, 240, 0, 0, 0, 0, 1, false};
  UpdateDrone(d);
  EXPECT_FLOAT_EQ(d.vy / d.vx, 100.0f / 320.0f);
}

TEST_F(DroneTest, LoneDronesApproachTheirTopSpeeds) {
  const float expected[] = {0.5f, 0.25f, 0.5f};
  for (int kind = 0; kind < 3; ++kind) {
    Drone d{-8000, 240, 0, 0, 0, 0, kind, false};
    for (int i = 0; i < 3000; ++i) UpdateDrone(d);
    EXPECT_NEAR(std::hypot(d.vx, d.vy), expected[kind], 1e-4f) << "kind " << kind;
  }
}

TEST_F(DroneTest, DeadDronePushesOnlyTheDronesBeforeIt) {
  // Dead and later in the list: it still pushes the live drone before it.
  AddDrone(0, 100, 300);
  AddDrone(0, 105, 300)->dead = true;
  RunDronePass();
  ASSERT_EQ(g_drones.size(), 1u);
  const Drone withDeadAfter = *g_drones.front();
  FreeWorld();
  NewGame();
  AddDrone(0, 100, 300);
  RunDronePass();
  EXPECT_NE(g_drones.front()->vx, withDeadAfter.vx);

  // Dead and earlier: the pass has already removed it.
  FreeWorld();
  NewGame();
  AddDrone(0, 105, 300)->dead = true;
  AddDrone(0, 100, 300);
  RunDronePass();
  ASSERT_EQ(g_drones.size(), 1u);
  const Drone withDeadBefore = *g_drones.front();
  FreeWorld();
  NewGame();
  AddDrone(0, 100, 300);
  RunDronePass();
  EXPECT_EQ(std::memcmp(g_drones.front(), &withDeadBefore, sizeof(Drone)), 0);
}

TEST_F(DroneTest, DronesOnOnePointOrOnTheirAimPointStayNumbers) {
  // Two drones at rest on the same point skip each other and flock with the rest as usual.
  Drone* a = AddDrone(0, 0, 0);
  AddDrone(2, 0, 0);
  AddDrone(1, 30, 40, 0.2f, 0.1f);
  FlockDrone(*a);
  const Drone flocked = *a;
  Drone reference{0, 0, 0, 0, 0, 0, 0, false};
  FreeWorld();
  NewGame();
  g_drones.push_back(&reference);
  AddDrone(1, 30, 40, 0.2f, 0.1f);
  FlockDrone(reference);
  g_drones.pop_front();
  EXPECT_EQ(flocked.vx, reference.vx);
  EXPECT_EQ(flocked.vy, reference.vy);
  EXPECT_NE(flocked.vx, 0.0f);

  // On its aim point a drone gains no speed that tick.
  Drone onShip{320, 240, 0.5f, 0, 0, 0, 0, false};
  UpdateDrone(onShip);
  EXPECT_EQ(onShip.vx, 0.5f * 0.98f);
  EXPECT_EQ(onShip.vy, 0.0f);
  Drone onAim{320, 240, 0, 0, 0, 0, 1, false};
  UpdateDrone(onAim);
  EXPECT_EQ(onAim.vx, 0.0f);
  EXPECT_TRUE(Finite(onShip) && Finite(onAim));

  // Whole ticks with a crowd on one corner: every drone stays a number.
  FreeWorld();
  NewGame();
  for (int i = 0; i < 6; ++i) AddDrone(i % 3, 0, 0);
  for (int i = 0; i < 6; ++i) AddDrone(i % 3, 640, 100);
  for (int t = 0; t < 50; ++t) UpdateWorld();
  for (const Drone* d : g_drones) EXPECT_TRUE(Finite(*d));
}
