// Drones: their draws and placement, flocking, the steering of each kind, and the guards
// that keep one bad pair from turning the whole swarm into NaN.
#include "game/drones.h"

#include <cmath>

#include "tests/game/world_fixture.h"

using DroneTest = WorldTest;

TEST_F(DroneTest, CreationTakesThreeDrawsAndPlacesOnTheDrawnEdge) {
  bool seen[4] = {};
  for (unsigned seed = 1; seed <= 64; ++seed) {
    std::srand(seed);
    const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand(), after = std::rand();
    std::srand(seed);
    Drone* d = CreateDrone(seed % 3);
    EXPECT_EQ(std::rand(), after) << "seed " << seed;
    const int edge = r2 % 4;
    seen[edge] = true;
    const float x[] = {0, 640, float(r3 % 640), float(r3 % 640)};
    const float y[] = {float(r3 % 480), float(r3 % 480), 480, 0};
    const Drone expected{x[edge], y[edge], 0, 0, float(r1 % 360), 0, int(seed % 3), false};
    EXPECT_TRUE(SameDrone(*d, expected)) << "seed " << seed;
    delete d;
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2] && seen[3]);
}

TEST_F(DroneTest, FlockingMatchesAndRepelsInListOrder) {
  // At rest, 10 pixels apart: only the push, 0.05 / 10, away from the neighbour.
  Drone* a = AddDrone(0, 110, 100);
  AddDrone(0, 100, 100);
  FlockDrone(*a);
  EXPECT_FLOAT_EQ(a->vx, 0.005f);
  EXPECT_EQ(a->vy, 0.0f);
  // Matching takes each difference from the velocity the previous neighbour left: vx 1 goes
  // to 0.99 then 0.9801, and the second neighbour matches against the first one's push.
  ClearLists();
  Drone* m = AddDrone(0, 0, 0, 1.0f, 0.0f);
  AddDrone(0, 0, 1);
  AddDrone(0, 0, -1);
  FlockDrone(*m);
  EXPECT_FLOAT_EQ(m->vx, 0.9801f);
  EXPECT_NEAR(m->vy, 0.0005f, 1e-8f);
}

TEST_F(DroneTest, ChasersAccelerateTowardTheShipAndTurnSlowly) {
  const struct {
    float shipX, shipY, droneY, heading, vx, vy, turnRate;
  } cases[] = {
      {300, 400, 0, 100, 0.006f, 0.008f, 0.00001f},    // vy / vx above 1: no target, turns left
      {400, 300, 0, 100, 0.008f, 0.006f, -0.00001f},   // target acos(0.75), below the heading
      {400, 300, 0, 0.5f, 0.008f, 0.006f, 0.00001f},   // ... above it
      {0, 400, 0, 100, 0.0f, 0.01f, -0.00001f},        // vx 0: target pi
      {0, 400, 0, 3.1415927f, 0.0f, 0.01f, 0.00001f},  // equal to the target: not above it
  };
  for (const auto& c : cases) {
    Ship().x = c.shipX;
    Ship().y = c.shipY;
    Drone d{0, c.droneY, 0, 0, c.heading, 0, 0, false};
    UpdateDrone(d);
    EXPECT_FLOAT_EQ(d.vx, c.vx);
    EXPECT_FLOAT_EQ(d.vy, c.vy);
    EXPECT_EQ(d.x, d.vx);
    EXPECT_EQ(d.turnRate, c.turnRate) << c.shipX << ", " << c.heading;
    EXPECT_EQ(d.heading, c.heading + c.turnRate);
  }
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
  EXPECT_EQ(d.heading, float(r % 360));
  EXPECT_EQ(d.turnRate, 0.0f);
  // Climbing at 10 a tick, the ship is aimed at 100 pixels above it.
  Ship().vx = 0.0f;
  Ship().vy = 10.0f;
  d = Drone{0, 240, 0, 0, 0, 0, 1, false};
  UpdateDrone(d);
  EXPECT_FLOAT_EQ(d.vy / d.vx, 100.0f / 320.0f);

  // A lone drone on a long chase approaches 0.5 a tick, a leading one 0.25.
  for (int kind = 0; kind < 3; ++kind) {
    Drone far{-8000, 240, 0, 0, 0, 0, kind, false};
    for (int i = 0; i < 3000; ++i) UpdateDrone(far);
    EXPECT_NEAR(std::hypot(far.vx, far.vy), kind == 1 ? 0.25f : 0.5f, 1e-4f) << kind;
  }
}

TEST_F(DroneTest, DeadDronePushesOnlyTheDronesBeforeIt) {
  auto passWith = [this](bool deadBefore, bool deadAfter) {
    ClearLists();
    if (deadBefore) AddDrone(0, 105, 300)->dead = true;
    AddDrone(0, 100, 300);
    if (deadAfter) AddDrone(0, 105, 300)->dead = true;
    RunDronePass();
    EXPECT_EQ(g_drones.size(), 1u);
    return *g_drones.front();
  };
  const Drone alone = passWith(false, false);
  const Drone before = passWith(true, false);
  const Drone after = passWith(false, true);
  EXPECT_TRUE(SameDrone(before, alone));
  EXPECT_LT(after.vx, alone.vx);
}

TEST_F(DroneTest, DronesOnOnePointOrOnTheirAimPointStayNumbers) {
  // Two at rest on one point skip each other and flock with the rest as usual.
  Drone* a = AddDrone(0, 0, 0);
  AddDrone(2, 0, 0);
  AddDrone(1, 30, 40, 0.2f, 0.1f);
  FlockDrone(*a);
  const Drone withTwin = *a;
  ClearLists();
  a = AddDrone(0, 0, 0);
  AddDrone(1, 30, 40, 0.2f, 0.1f);
  FlockDrone(*a);
  EXPECT_EQ(withTwin.vx, a->vx);
  EXPECT_EQ(withTwin.vy, a->vy);
  EXPECT_NE(a->vx, 0.0f);

  // On its aim point a drone gains no speed that tick.
  Drone onShip{320, 240, 0.5f, 0, 0, 0, 0, false}, onAim{320, 240, 0, 0, 0, 0, 1, false};
  UpdateDrone(onShip);
  UpdateDrone(onAim);
  EXPECT_EQ(onShip.vx, 0.5f * 0.98f);
  EXPECT_EQ(onAim.vx, 0.0f);
  EXPECT_TRUE(std::isfinite(onShip.heading) && std::isfinite(onAim.vy));

  // Whole ticks with a crowd on two points: every drone stays a number.
  ClearLists();
  for (int i = 0; i < 12; ++i) AddDrone(i % 3, i < 6 ? 0 : 640, i < 6 ? 0 : 100);
  for (int t = 0; t < 50; ++t) UpdateWorld();
  for (const Drone* d : g_drones) EXPECT_TRUE(std::isfinite(d->x) && std::isfinite(d->vy));
}
