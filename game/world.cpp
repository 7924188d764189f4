#include "game/world.h"

#include "game/drone_pass.h"
#include "game/lasers.h"
#include "game/player.h"
#include "game/spawn.h"

Player* g_player = nullptr;
std::list<Drone*> g_drones;
std::list<Laser*> g_lasers;
int g_tick = 0;
int g_spawnInterval = 0;
bool g_gameOver = false;
int g_bestScore = 0;

namespace {

constexpr int kFirstSpawnInterval = 100;  // ticks to the first wave: one second

void FreeEntities() {
  for (Drone* drone : g_drones) delete drone;
  g_drones.clear();
  for (Laser* laser : g_lasers) delete laser;
  g_lasers.clear();
  ReleaseDronePass();
}

// A laser marked done is removed one tick late, so that its last frame still draws it.
void RunLaserPass() {
  for (auto it = g_lasers.begin(); it != g_lasers.end();) {
    Laser* laser = *it;
    if (laser->done) {
      delete laser;
      it = g_lasers.erase(it);
    } else {
      UpdateLaser(*laser);
      ++it;
    }
  }
}

}  // namespace

void NewGame() {
  delete g_player;
  g_player = new Player{320.0f, 240.0f, 0.0f, 0.0f, {}, 0, 0.0f, 0.0f, false, 100.0f, 0.0f};
  g_tick = 0;
  g_gameOver = false;
  FreeEntities();
  g_spawnInterval = kFirstSpawnInterval;
}

void UpdateWorld() {
  if (g_gameOver) return;  // frozen until a key starts a new game
  UpdatePlayer();          // may end the game; the tick still runs to its end
  g_tick += 1;
  if (g_tick % g_spawnInterval == 0) SpawnWave();
  RunPipelinedDronePass();
  RunLaserPass();  // a laser done in this tick stays listed, and is drawn, until the next
}

void FreeWorld() {
  delete g_player;
  g_player = nullptr;
  FreeEntities();
}

Vec2 EdgePoint(int edge, int r) {
  switch (edge) {
    case 0:
      return {0.0f, static_cast<float>(r % 480)};
    case 1:
      return {640.0f, static_cast<float>(r % 480)};
    case 2:
      return {static_cast<float>(r % 640), 480.0f};
    default:
      return {static_cast<float>(r % 640), 0.0f};
  }
}
