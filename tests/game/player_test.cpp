// The ship: controls, damping, walls, the beam and its energy, the two ways to die, and the
// keys around a restart.
#include "game/player.h"

#include <cmath>

#include "tests/game/world_fixture.h"

namespace {

// Ticks the ship alone, put back at the centre each time so that the walls never interfere.
void HoldAt(int ticks) {
  for (int i = 0; i < ticks; ++i) {
    UpdatePlayer();
    g_player->x = 320.0f;
    g_player->y = 240.0f;
  }
}

}  // namespace

using PlayerTest = WorldTest;

TEST_F(PlayerTest, HeldKeysApproachTheirTopSpeedsAndOppositesNetOut) {
  const struct {
    int key;
    float vy, turnRate;
  } cases[] = {{kKeyUp, 1.225f, 0},
               {kKeyDown, -0.735f, 0},
               {kKeyLeft, 0, 0.0343f},
               {kKeyRight, 0, -0.0343f}};
  for (const auto& c : cases) {
    NewGame();
    OnKeyDown(c.key);
    HoldAt(2000);
    EXPECT_NEAR(Ship().vy, c.vy, 1e-4f) << c.key;  // thrust keeps the heading at 0
    EXPECT_NEAR(Ship().turnRate, c.turnRate, 1e-4f) << c.key;
  }
  NewGame();
  for (int key : {kKeyUp, kKeyDown, kKeyLeft, kKeyRight}) OnKeyDown(key);
  UpdatePlayer();
  EXPECT_EQ(Ship().turnRate, 0.0f);
  EXPECT_NEAR(Ship().vy, 0.01f * 0.98f, 1e-7f);  // 0.025 forward, 0.015 back, then damped
}

TEST_F(PlayerTest, WallsBounceOnlyPastTheirLimits) {
  const float minusOne = -1.0f / 0.98f;  // damped to exactly -1 before the wall step
  Ship().x = 12.5f;
  Ship().vx = minusOne;
  UpdatePlayer();
  EXPECT_EQ(Ship().vx, 0.9f);
  EXPECT_EQ(Ship().x, 12.5f + 0.9f);

  Ship().x = 13.0f;  // lands exactly on 12: no bounce
  Ship().vx = minusOne;
  Ship().y = 466.0f;  // lands exactly on 467: no bounce
  Ship().vy = -minusOne;
  UpdatePlayer();
  EXPECT_EQ(Ship().x, 12.0f);
  EXPECT_EQ(Ship().y, 467.0f);
  Ship().vy = -minusOne;  // would land on 468
  UpdatePlayer();
  EXPECT_LT(Ship().vy, 0.0f);
  EXPECT_LT(Ship().y, 467.0f);
}

TEST_F(PlayerTest, BeamKillsAheadOnItsLineWithStrictRadii) {
  // The ship at (320, 240) faces +y. Each drone: kind, position, whether the beam takes it.
  const struct {
    int kind;
    float x, y;
    bool dies;
  } drones[] = {
      {0, 320, 300, true},  {1, 320, 100000, true},  // no length limit
      {2, 328, 240, false},                          // abeam (t = 0), within kind 2's radius
      {0, 320, 200, false},                          // behind
      {0, 324, 300, false}, {1, 316.5f, 300, true},  // exactly 4 off the line, and 3.5
      {2, 308, 300, false}, {2, 331.5f, 300, true},  // exactly 12 off, and 11.5
      {0, 320, 245, true},                           // between the ship and its drawn nose
  };
  for (const auto& d : drones) AddDrone(d.kind, d.x, d.y);
  Ship().beamOn = true;
  UpdatePlayer();
  auto it = g_drones.begin();
  for (const auto& d : drones) EXPECT_EQ((*it++)->dead, d.dies) << d.x << ", " << d.y;
  EXPECT_EQ(Ship().score, 50 + 10 + 10 + 51 + 50);

  NewGame();
  Ship().heading = 1.5707964f;  // facing -x
  AddDrone(0, 200, 240);
  AddDrone(0, 320, 300);
  Ship().beamOn = true;
  UpdatePlayer();
  EXPECT_TRUE(g_drones.front()->dead);
  EXPECT_FALSE(g_drones.back()->dead);
}

TEST_F(PlayerTest, EnergyAndBrightness) {
  // With 1 left the beam fires once, its kill counts, and it goes off.
  AddDrone(0, 320, 300);
  Ship().energy = 1.0f;
  OnKeyDown(kKeyFire);
  UpdatePlayer();
  EXPECT_TRUE(g_drones.front()->dead);
  EXPECT_EQ(Ship().energy, 0.0f);
  EXPECT_FALSE(Ship().beamOn);
  UpdatePlayer();
  EXPECT_EQ(Ship().energy, 1.0f);
  // Pressing z with nothing left fires for one tick and dips to -1.
  Ship().energy = 0.0f;
  OnKeyDown(kKeyFire);
  HoldAt(1);
  EXPECT_EQ(Ship().energy, -1.0f);
  EXPECT_FALSE(Ship().beamOn);
  HoldAt(1);
  EXPECT_EQ(Ship().energy, 0.0f);

  // Refill stops at 100; brightness climbs 0.05 a tick to just above 1, stops there, and
  // falls back to at most one step below 0.
  NewGame();
  OnKeyDown(kKeyFire);
  HoldAt(21);
  EXPECT_EQ(Ship().beamIntensity, 1.0000001f);
  OnKeyUp(kKeyFire);
  HoldAt(30);
  EXPECT_EQ(Ship().energy, 100.0f);
  EXPECT_LE(Ship().beamIntensity, 0.0f);
  EXPECT_GT(Ship().beamIntensity, -0.05f - 1e-6f);
}

TEST_F(PlayerTest, DronesAndLasersKillOnlyWithinTheirLimits) {
  const struct {
    int kind;
    float dx;
    bool dies;
  } drones[] = {{0, 2, false},   {0, 1.9f, true}, {1, 2, false},
                {1, 1.9f, true}, {2, 6, false},   {2, 5.9f, true}};
  for (const auto& d : drones) {
    NewGame();
    AddDrone(d.kind, 320 + d.dx, 240);
    UpdatePlayer();
    EXPECT_EQ(g_gameOver, d.dies) << "kind " << d.kind << " at " << d.dx;
  }
  NewGame();
  AddDrone(0, 320, 241);  // the beam kills it in this tick, and it still touches
  Ship().beamOn = true;
  UpdatePlayer();
  EXPECT_TRUE(g_drones.front()->dead && g_gameOver);

  // A laser 1 pixel away kills from age 101 to 199; one exactly 2 away never does.
  const struct {
    int age;
    float y;
    bool dies;
  } lasers[] = {
      {100, 241, false}, {101, 241, true}, {199, 241, true}, {200, 241, false}, {150, 242, false}};
  for (const auto& l : lasers) {
    NewGame();
    AddLaser(0, l.y, 640, l.y, l.age);
    UpdatePlayer();
    EXPECT_EQ(g_gameOver, l.dies) << "age " << l.age << " at " << l.y;
  }
  // A short segment kills along its whole line; both ends on one point make no line at all.
  NewGame();
  AddLaser(0, 0, 10, 10, 150);
  Ship().x = 300.0f;
  Ship().y = 300.5f;
  UpdatePlayer();
  EXPECT_TRUE(g_gameOver);
  NewGame();
  AddLaser(0, 0, 0, 0, 150);
  Ship().x = 0.0f;
  Ship().y = 0.0f;
  UpdatePlayer();
  EXPECT_FALSE(g_gameOver);
}

TEST_F(PlayerTest, BestScoreTakesOnlyAGreaterScoreWithTheKillsOfTheLastTick) {
  g_bestScore = 500;
  Ship().score = 400;
  AddDrone(0, 320, 240);
  UpdatePlayer();
  EXPECT_TRUE(g_gameOver);
  EXPECT_EQ(g_bestScore, 500);
  NewGame();
  Ship().score = 600;
  AddDrone(0, 320, 240);
  AddDrone(0, 320, 260);
  Ship().beamOn = true;
  UpdatePlayer();
  EXPECT_EQ(g_bestScore, 650);
}

TEST_F(PlayerTest, ControlsAreASetOfDirections) {
  SetControl(true, {0, 1});
  SetControl(true, {0.00005f, 0.99995f});  // within 0.0001: the same direction
  SetControl(false, {1, 0});               // not held
  EXPECT_EQ(Ship().controls.size(), 1u);
  SetControl(true, {0, 1.0002f});
  SetControl(false, {0, 1.00005f});
  ASSERT_EQ(Ship().controls.size(), 1u);
  EXPECT_EQ(Ship().controls.front().y, 1.0002f);

  NewGame();
  for (int sym : {kKeyLeft, kKeyUp, int{'a'}, kKeyUp, kKeyRight, kKeyDown}) OnKeyDown(sym);
  ASSERT_EQ(Ship().controls.size(), 4u);
  EXPECT_EQ(Ship().controls.front().x, -1.0f);  // in the order pressed
  EXPECT_EQ(Ship().controls.back().y, -1.0f);
  for (int sym : {kKeyLeft, kKeyUp, kKeyRight, kKeyDown}) OnKeyUp(sym);
  EXPECT_TRUE(Ship().controls.empty());
}

TEST_F(PlayerTest, KeysAroundARestart) {
  OnKeyDown(kKeyUp);
  OnKeyDown(kKeyFire);
  AddDrone(0, 320, 240);
  UpdatePlayer();
  ASSERT_TRUE(g_gameOver);
  OnKeyUp(kKeyFire);  // releases still reach the dead ship
  EXPECT_FALSE(Ship().beamOn);

  OnKeyDown(kKeyFire);  // restarts, and neither steers nor fires
  EXPECT_FALSE(g_gameOver || Ship().beamOn);
  EXPECT_TRUE(Ship().controls.empty() && g_drones.empty());
  // Up was held across the restart: its release removes nothing; it steers once pressed again.
  OnKeyUp(kKeyUp);
  UpdatePlayer();
  EXPECT_EQ(Ship().vy, 0.0f);
  OnKeyDown(kKeyUp);
  UpdatePlayer();
  EXPECT_GT(Ship().vy, 0.0f);
}
