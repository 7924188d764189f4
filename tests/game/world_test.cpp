// A new game, the frozen world after a death, and the order of one tick.
#include <cstring>

#include "game/drones.h"
#include "game/player.h"
#include "tests/game/world_fixture.h"

TEST_F(WorldTest, NewGameFreesEverythingAndKeepsTheBestScore) {
  FreeWorld();
  NewGame();  // the first game: nothing to free
  AddDrone(0, 1, 1);
  AddDrone(2, 3, 3);
  AddLaser(0, 0, 640, 10, 5);
  SetControl(true, {0, 1});
  Ship() = Player{1, 2, 3, 4, Ship().controls, 700, 5, 6, true, 7, 8};
  g_tick = 1234;
  g_spawnInterval = 9;
  g_gameOver = true;
  g_bestScore = 650;

  NewGame();
  const Player& p = Ship();
  const float fields[] = {p.x, p.y, p.vx, p.vy, p.heading, p.turnRate, p.energy, p.beamIntensity};
  const float fresh[] = {320, 240, 0, 0, 0, 0, 100, 0};
  EXPECT_EQ(std::memcmp(fields, fresh, sizeof fresh), 0);
  EXPECT_TRUE(p.controls.empty() && p.score == 0 && !p.beamOn);
  EXPECT_TRUE(g_drones.empty() && g_lasers.empty());
  EXPECT_TRUE(g_tick == 0 && g_spawnInterval == 100 && !g_gameOver);
  EXPECT_EQ(g_bestScore, 650);
}

TEST_F(WorldTest, TickWhileGameOverChangesNothing) {
  AddDrone(0, 100, 100, 0.5f, 0.25f);
  AddDrone(1, 200, 100, 0.1f, 0.0f);  // would draw from std::rand if it moved
  AddLaser(0, 0, 640, 480, 120)->done = true;
  SetControl(true, {0, 1});
  Ship().beamOn = true;
  g_tick = 99;  // the next running tick would bring a wave
  g_gameOver = true;
  const Player ship = Ship();
  const Drone d0 = *g_drones.front(), d1 = *g_drones.back();
  const Laser l0 = *g_lasers.front();

  UpdateWorld();
  EXPECT_EQ(std::memcmp(&ship.x, &Ship().x, 4 * sizeof(float)), 0);
  EXPECT_TRUE(ship.energy == Ship().energy && ship.heading == Ship().heading);
  EXPECT_TRUE(SameDrone(d0, *g_drones.front()) && SameDrone(d1, *g_drones.back()));
  EXPECT_TRUE(SameLaser(l0, *g_lasers.front()));
  EXPECT_EQ(g_tick, 99);
  const int next = std::rand();  // no draw was taken
  std::srand(1);
  EXPECT_EQ(next, std::rand());
}

TEST_F(WorldTest, DeadDronesAndDoneLasersLeaveInTheirOwnTime) {
  // Dead drones at the front are removed and the live ones after them updated in order.
  AddDrone(0, 10, 100)->dead = true;
  AddDrone(0, 20, 100)->dead = true;
  Drone* a = AddDrone(0, 100, 300);
  UpdateWorld();
  ASSERT_EQ(g_drones.size(), 1u);
  EXPECT_EQ(g_drones.front(), a);
  EXPECT_NE(a->x, 100.0f);
  // The beam kills the second of two drones: the first is still pushed by it in the same
  // tick, and the pass then removes it.
  ClearLists();
  Drone* first = AddDrone(0, 300, 400);
  AddDrone(0, 320, 400);  // straight ahead of the ship
  Ship().beamOn = true;
  Drone alone = *first;
  UpdateDrone(alone);
  UpdateWorld();
  ASSERT_EQ(g_drones.size(), 1u);
  EXPECT_LT(first->vx, alone.vx);  // pushed away from its dead neighbour on its right
  EXPECT_EQ(Ship().score, 50);
  // A laser marked done in a tick is still listed for that tick's frame, gone by the next.
  Laser* laser = AddLaser(0, 0, 640, 20, 249);
  laser->intensity = 0.005f;
  UpdateWorld();
  ASSERT_EQ(g_lasers.size(), 1u);
  EXPECT_TRUE(laser->done);
  UpdateWorld();
  EXPECT_TRUE(g_lasers.empty());
}

TEST_F(WorldTest, TickOfADeathStillRunsToItsEndWithTheWaveBonusAfterTheBestScore) {
  Ship().score = 300;
  g_bestScore = 250;
  AddDrone(0, 320.5f, 240);  // touching the ship
  g_tick = 99;               // this tick brings the first wave
  UpdateWorld();
  EXPECT_TRUE(g_gameOver);
  EXPECT_EQ(g_bestScore, 300);
  EXPECT_EQ(Ship().score, 400);
  EXPECT_TRUE(g_tick == 100 && g_spawnInterval == 99);
  EXPECT_EQ(g_drones.size() + g_lasers.size(), 2u);  // the drone, and the wave's record
  EXPECT_NE(g_drones.front()->x, 320.5f);            // drones still move in that tick
}
