// A fresh game for every test, torn down afterwards so that leak checkers see every record
// freed, and a random generator of the tests' own, apart from the game's std::rand.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/world.h"

struct TestRng {
  uint64_t state;
  uint32_t Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state >> 33);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
  float Between(float lo, float hi) { return lo + (hi - lo) * (Next() % 1000001) / 1000000.0f; }
};

class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bestScore = 0;
    NewGame();
    std::srand(1);
  }
  void TearDown() override {
    FreeWorld();
    g_gameOver = false;
    g_bestScore = 0;
  }

  Player& Ship() { return *g_player; }

  static Drone* AddDrone(int kind, float x, float y, float vx = 0.0f, float vy = 0.0f) {
    g_drones.push_back(new Drone{x, y, vx, vy, 0.0f, 0.0f, kind, false});
    return g_drones.back();
  }
  static Laser* AddLaser(float x0, float y0, float x1, float y1, int age) {
    g_lasers.push_back(new Laser{x0, y0, x1, y1, false, age, 0.5f, 10.0f});
    return g_lasers.back();
  }
};

// Bit for bit, field by field, leaving out the padding after the flags.
inline bool SameDrone(const Drone& a, const Drone& b) {
  return std::memcmp(&a, &b, offsetof(Drone, dead) + sizeof a.dead) == 0;
}
inline bool SameLaser(const Laser& a, const Laser& b) {
  return std::memcmp(&a, &b, offsetof(Laser, done) + sizeof a.done) == 0 &&
         std::memcmp(&a.age, &b.age, sizeof(Laser) - offsetof(Laser, age)) == 0;
}

// Empties the lists as NewGame would, keeping the ship.
inline void ClearLists() {
  for (Drone* d : g_drones) delete d;
  g_drones.clear();
  for (Laser* l : g_lasers) delete l;
  g_lasers.clear();
}
