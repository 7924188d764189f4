// The ship: controls, damping, walls, the beam and its energy, the two ways to die, and
// the keys around a restart.
#include <cmath>

#include "game/player.h"
#include "tests/game/world_fixture.h"

namespace {

// Ticks the ship alone, kept at the centre so that the walls never interfere.
void HoldAt(int ticks) {
  for (int i = 0; i < ticks; ++i) {
    UpdatePlayer();
    g_player->x = 320.0f;
    g_player->y = 240.0f;
  }
}

float Speed(const Player& p) { return std::sqrt(p.vx * p.vx + p.vy * p.vy); }

}  // namespace

using PlayerTest = WorldTest;

TEST_F(PlayerTest, HeldKeysApproachTheirTopSpeeds) {
  OnKeyDown(kKeyUp);
  HoldAt(2000);
  EXPECT_NEAR(Speed(Ship()), 1.225f, 1e-4f);
  EXPECT_GT(Ship().vy, 0.0f);

  NewGame();
  OnKeyDown(kKeyDown);
  HoldAt(2000);
  EXPECT_NEAR(Speed(Ship()), 0.735f, 1e-4f);
  EXPECT_LT(Ship().vy, 0.0f);

  NewGame();
  OnKeyDown(kKeyLeft);
  HoldAt(2000);
  EXPECT_NEAR(Ship().turnRate, 0.0343f, 1e-4f);  // counter-clockwise

  NewGame();
  OnKeyDown(kKeyRight);
  HoldAt(2000);
  EXPECT_NEAR(Ship().turnRate, -0.0343f, 1e-4f);
}

TEST_F(PlayerTest, OppositeKeysNetOut) {
  OnKeyDown(kKeyUp);
  OnKeyDown(kKeyDown);
  OnKeyDown(kKeyLeft);
  OnKeyDown(kKeyRight);
  UpdatePlayer();
  EXPECT_EQ(Ship().turnRate, 0.0f);
  EXPECT_EQ(Ship().heading, 0.0f);
  EXPECT_NEAR(Ship().vy, 0.01f * 0.98f, 1e-7f);  // 0.025 forward, 0.015 back, then damped
  EXPECT_EQ(Ship().vx, 0.0f);
}

TEST_F(PlayerTest, WallsBounceOnlyPastTheirLimits) {
  // vx is damped to exactly -1 before the wall step.
  const float minusOneBeforeDamping = -1.0f / 0.98f;
  Ship().x = 12.5f;
  Ship().vx = minusOneBeforeDamping;
  UpdatePlayer();
  EXPECT_EQ(Ship().vx, 0.9f * 1.0f);
  EXPECT_EQ(Ship().x, 12.5f + 0.9f);

  Ship().x = 13.0f;  // lands exactly on 12: no bounce
  Ship().vx = minusOneBeforeDamping;
  UpdatePlayer();
  EXPECT_EQ(Ship().vx, -1.0f);
  EXPECT_EQ(Ship().x, 12.0f);

  Ship().y = 466.0f;  // lands on 467: no bounce
  Ship().vy = -minusOneBeforeDamping;
  UpdatePlayer();
  EXPECT_EQ(Ship().y, 467.0f);
  Ship().vy = -minusOneBeforeDamping;  // would land on 468
  UpdatePlayer();
  EXPECT_LT(Ship().vy, 0.0f);
  EXPECT_LT(Ship().y, 467.0f);
}

TEST_F(PlayerTest, BeamKillsAheadOnItsLineWithStrictRadii) {
  // The ship at (320, 240) faces +y.
  Drone* ahead = AddDrone(0, 320, 300);
  Drone* far = AddDrone(1, 320, 100000);          // no length limit
  Drone* abeam = AddDrone(2, 328, 240);           // t = 0, within the kind-2 radius
  Drone* behind = AddDrone(0, 320, 200);
  Drone* edge0 = AddDrone(0, 324, 300);           // exactly 4 off the line
  Drone* inside0 = AddDrone(1, 316.5f, 300);      // 3.5 off
  Drone* edge2 = AddDrone(2, 308, 300);           // exactly 12 off
  Drone* inside2 = AddDrone(2, 331.5f, 300);      // 11.5 off
  Drone* nearNose = AddDrone(0, 320, 245);        // between the ship and its drawn nose
  Ship().beamOn = true;
  UpdatePlayer();
  EXPECT_TRUE(ahead->dead);
  EXPECT_TRUE(far->dead);
  EXPECT_FALSE(abeam->dead);
  EXPECT_FALSE(behind->dead);
  EXPECT_FALSE(edge0->dead);
  EXPECT_TRUE(inside0->dead);
  EXPECT_FALSE(edge2->dead);
  EXPECT_TRUE(inside2->dead);
  EXPECT_TRUE(nearNose->dead);
  EXPECT_EQ(Ship().score, 50 + 10 + 10 + 51 + 50);
  EXPECT_FALSE(g_gameOver);
}

TEST_F(PlayerTest, BeamAimsAlongTheTurnedHeading) {
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
  Drone* target = AddDrone(0, 320, 300);
  Ship().energy = 1.0f;
  OnKeyDown(kKeyFire);
  UpdatePlayer();
  EXPECT_TRUE(target->dead);
  EXPECT_EQ(Ship().energy, 0.0f);
  EXPECT_FALSE(Ship().beamOn);
  UpdatePlayer();
  EXPECT_EQ(Ship().energy, 1.0f);

  // Pressing z with nothing left fires for one tick and dips below 0.
  Ship().energy = 0.0f;
  OnKeyDown(kKeyFire);
  UpdatePlayer();
  EXPECT_EQ(Ship().energy, -1.0f);
  EXPECT_FALSE(Ship().beamOn);
  UpdatePlayer();
  EXPECT_EQ(Ship().energy, 0.0f);

  // Refill stops at 100; brightness climbs 0.05 a tick to just above 1 and stops there.
  NewGame();
  HoldAt(5);
  EXPECT_EQ(Ship().energy, 100.0f);
  OnKeyDown(kKeyFire);
  HoldAt(20);
  EXPECT_EQ(Ship().beamIntensity, 1.0000001f);
  HoldAt(1);
  EXPECT_EQ(Ship().beamIntensity, 1.0000001f);
  EXPECT_EQ(Ship().energy, 79.0f);
  OnKeyUp(kKeyFire);
  HoldAt(21);
  EXPECT_LE(Ship().beamIntensity, 0.0f);
  EXPECT_GT(Ship().beamIntensity, -0.05f - 1e-6f);
  EXPECT_EQ(Ship().energy, 100.0f);
}

TEST_F(PlayerTest, DroneContactAtStrictRadii) {
  const struct {
    int kind;
    float dx;
    bool dies;
  } cases[] = {{0, 2.0f, false}, {0, 1.9f, true},  {1, 2.0f, false},
               {1, 1.9f, true},  {2, 6.0f, false}, {2, 5.9f, true}};
  for (const auto& c : cases) {
    NewGame();
    AddDrone(c.kind, 320.0f + c.dx, 240.0f);
    UpdatePlayer();
    EXPECT_EQ(g_gameOver, c.dies) << "kind " << c.kind << " at " << c.dx;
  }
  // A drone the beam kills in the same tick still touches.
  NewGame();
  AddDrone(0, 320.0f, 241.0f);
  Ship().beamOn = true;
  UpdatePlayer();
  EXPECT_TRUE(g_drones.front()->dead);
  EXPECT_TRUE(g_gameOver);
}

TEST_F(PlayerTest, LaserKillsOnlyInItsLethalAgesAndAlongItsWholeLine) {
  const struct {
    int age;
    bool dies;
  } ages[] = {{100, false}, {101, true}, {150, true}, {199, true}, {200, false}};
  for (const auto& a : ages) {
    NewGame();
    AddLaser(0, 241, 640, 241, a.age);  // 1 pixel above the ship
    UpdatePlayer();
    EXPECT_EQ(g_gameOver, a.dies) << "age " << a.age;
  }
  NewGame();
  AddLaser(0, 242, 640, 242, 150);  // exactly 2 pixels away
  UpdatePlayer();
  EXPECT_FALSE(g_gameOver);

  // A short segment far from the ship still kills along its line.
  NewGame();
  AddLaser(0, 0, 10, 10, 150);
  Ship().x = 300.0f;
  Ship().y = 300.5f;
  UpdatePlayer();
  EXPECT_TRUE(g_gameOver);

  // Both ends on one corner: no line, so never lethal, even with the ship on that point.
  NewGame();
  AddLaser(0, 0, 0, 0, 150);
  Ship().x = 0.0f;
  Ship().y = 0.0f;
  UpdatePlayer();
  EXPECT_FALSE(g_gameOver);
}

TEST_F(PlayerTest, BestScoreTakesOnlyAGreaterScore) {
  g_bestScore = 500;
  Ship().score = 400;
  AddDrone(0, 320, 240);
  UpdatePlayer();
  EXPECT_TRUE(g_gameOver);
  EXPECT_EQ(g_bestScore, 500);

  NewGame();
  Ship().score = 600;
  AddDrone(0, 320, 240);
  AddDrone(0, 320, 260);  // the beam's kill in the dying tick counts toward the best
  Ship().beamOn = true;
  UpdatePlayer();
  EXPECT_EQ(g_bestScore, 650);
}

TEST_F(PlayerTest, ControlsAreASetOfDirections) {
  SetControl(true, {0, 1});
  SetControl(true, {0, 1});
  SetControl(true, {0.00005f, 0.99995f});  // within 0.0001: the same direction
  EXPECT_EQ(Ship().controls.size(), 1u);
  SetControl(false, {1, 0});  // not held
  EXPECT_EQ(Ship().controls.size(), 1u);
  SetControl(true, {0, 1.0002f});  // not the same
  EXPECT_EQ(Ship().controls.size(), 2u);
  SetControl(false, {0, 1.00005f});
  ASSERT_EQ(Ship().controls.size(), 1u);
  EXPECT_EQ(Ship().controls.front().y, 1.0002f);

  // Presses keep their order; other keys do nothing; releases remove.
  NewGame();
  for (int sym : {kKeyLeft, kKeyUp, 97, kKeyUp, kKeyRight, kKeyDown}) OnKeyDown(sym);
  ASSERT_EQ(Ship().controls.size(), 4u);
  EXPECT_EQ(Ship().controls.front().x, -1.0f);
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

  // The restarting key neither steers nor fires.
  OnKeyDown(kKeyFire);
  EXPECT_FALSE(g_gameOver);
  EXPECT_FALSE(Ship().beamOn);
  EXPECT_TRUE(Ship().controls.empty());
  EXPECT_TRUE(g_drones.empty());

  // Up was held across the restart: its release removes nothing, and it steers only once
  // pressed again.
  OnKeyUp(kKeyUp);
  UpdatePlayer();
  EXPECT_EQ(Ship().vy, 0.0f);
  OnKeyDown(kKeyUp);
  UpdatePlayer();
  EXPECT_GT(Ship().vy, 0.0f);

  NewGame();
  g_gameOver = true;
  OnKeyDown(kKeyLeft);
  EXPECT_FALSE(g_gameOver);
  EXPECT_TRUE(Ship().controls.empty());
}
