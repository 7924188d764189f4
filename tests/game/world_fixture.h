// A fresh game for every test, torn down afterwards so that leak checkers see every record
// freed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "game/world.h"

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
    Drone* d = new Drone{x, y, vx, vy, 0.0f, 0.0f, kind, false};
    g_drones.push_back(d);
    return d;
  }

  static Laser* AddLaser(float x0, float y0, float x1, float y1, int age) {
    Laser* l = new Laser{x0, y0, x1, y1, false, age, 0.5f, 10.0f};
    g_lasers.push_back(l);
    return l;
  }
};
