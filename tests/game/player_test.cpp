// The ship's exact limits, each pinned on the boundary and just inside it, and the keys
// around a restart.
#include "game/player.h"

#include "tests/game/world_fixture.h"

using PlayerTest = WorldTest;

// 50 pixels a tick is damped to exactly 49, so each row lands on a wall or half a pixel past.
TEST_F(PlayerTest, WallsTurnTheShipBackOnlyPastTheirLimits) {
  const struct {
    float x, y, vx, vy;
    bool bounces;
  } rows[] = {
      {61, 240, -50, 0, false}, {60.5f, 240, -50, 0, true},  // left, 12
      {578, 240, 50, 0, false}, {578.5f, 240, 50, 0, true},  // right, 627
      {320, 91, 0, -50, false}, {320, 90.5f, 0, -50, true},  // bottom, 42
      {320, 418, 0, 50, false}, {320, 418.5f, 0, 50, true},  // top, 467
  };
  for (const auto& r : rows) {
    Ship() = Player{r.x, r.y, r.vx, r.vy, {}, 0, 0, 0, false, 100, 0};
    UpdatePlayer();
    EXPECT_EQ(Ship().vx * r.vx + Ship().vy * r.vy < 0, r.bounces) << r.x << ", " << r.y;
  }
}

// One tick of the resting ship at (320, 240), facing +y, with one drone, or with one laser of
// an age along y from edge to edge: whether the beam kills the drone, or either kills the ship.
TEST_F(PlayerTest, BeamContactAndLasersHitStrictlyWithinTheirLimits) {
  const struct {
    float x, y;
    int kind, laserAge;  // laserAge 0: a drone of the kind
    bool beam, hit;
  } rows[] = {
      {324, 300, 0, 0, true, false},  {316.5f, 300, 0, 0, true, true},   // beam radius 4
      {332, 300, 2, 0, true, false},  {308.5f, 300, 2, 0, true, true},   // beam radius 12
      {328, 240, 2, 0, true, false},  {320, 200, 0, 0, true, false},     // abeam, behind
      {322, 240, 0, 0, false, false}, {321.9f, 240, 0, 0, false, true},  // contact radius 2
      {326, 240, 2, 0, false, false}, {325.9f, 240, 2, 0, false, true},  // contact radius 6
      {320, 240, 3, 0, false, false}, {320, 240, -1, 0, false, false},   // no such kind
      {0, 240, 0, 100, false, false}, {0, 240, 0, 101, false, true},     // lethal ages
      {0, 240, 0, 199, false, true},  {0, 240, 0, 200, false, false},
      {0, 242, 0, 150, false, false}, {0, 241, 0, 150, false, true},  // within 2 pixels
  };
  for (const auto& r : rows) {
    NewGame();
    Drone* drone = r.laserAge ? nullptr : AddDrone(r.kind, r.x, r.y);
    if (r.laserAge) g_lasers.push_back(new Laser{0, r.y, 640, r.y, false, r.laserAge, 0, 0});
    Ship().beamOn = r.beam;
    UpdatePlayer();
    // With the beam on, a hit is the drone's death; without it, the ship's.
    EXPECT_EQ(drone != nullptr && drone->dead, r.beam && r.hit)
        << r.kind << " " << r.x << ", " << r.y;
    EXPECT_EQ(g_gameOver, !r.beam && r.hit) << r.kind << " " << r.x << ", " << r.y;
  }
}

// The beam goes off once a tick empties it, so pressing z on an empty beam fires one tick.
TEST_F(PlayerTest, EnergyDipsAtMostOneBelowEmpty) {
  const float rows[][2] = {{1, 0}, {0, -1}};  // energy before, after one firing tick
  for (const auto& r : rows) {
    NewGame();
    Ship().energy = r[0];
    OnKeyDown(kKeyFire);
    UpdatePlayer();
    EXPECT_EQ(Ship().energy, r[1]);
    EXPECT_FALSE(Ship().beamOn) << r[0];
  }
}

// Killed by a drone its beam kills in the same tick, whose points count toward the best score
// only when they beat it. A release still reaches the dead ship; any press after a death
// starts a new game and does nothing else.
TEST_F(PlayerTest, DeathBestScoreAndTheKeysAroundARestart) {
  g_bestScore = 500;
  const struct { int key, score, best; } rows[] = {{kKeyFire, 460, 510}, {kKeyUp, 0, 510}};
  for (const auto& r : rows) {
    Ship().score = r.score;
    OnKeyDown(kKeyFire);
    OnKeyDown(kKeyUp);
    AddDrone(0, 320, 241);
    UpdatePlayer();
    EXPECT_TRUE(g_gameOver);
    EXPECT_EQ(g_bestScore, r.best);
    OnKeyUp(kKeyFire);
    OnKeyUp(kKeyUp);
    EXPECT_FALSE(Ship().beamOn);
    EXPECT_TRUE(Ship().controls.empty());
    OnKeyDown(r.key);
    EXPECT_FALSE(g_gameOver) << r.key;
    EXPECT_FALSE(Ship().beamOn) << r.key;
    EXPECT_TRUE(Ship().controls.empty()) << r.key;
  }
  OnKeyDown(kKeyUp);  // a keyboard and a pad both holding up make one control
  OnKeyDown(kKeyUp);
  EXPECT_EQ(Ship().controls.size(), 1u);
  FreeWorld();
  OnKeyUp(kKeyUp);  // a release before the first game has no ship to reach
}
