// A fresh game for every test, freed afterwards so that a leak checker sees every record go.
#pragma once

#include <gtest/gtest.h>

#include "game/maths.h"
#include "game/world.h"

class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NewGame();
    SetRandomDraws(0);
  }
  void TearDown() override { FreeWorld(); }

  static Player& Ship() { return *g_player; }
  static Drone* AddDrone(int kind, float x, float y, float v = 0) {
    g_drones.push_back(new Drone{x, y, v, -v / 2, 0, 0, kind, false});
    return g_drones.back();
  }
};
