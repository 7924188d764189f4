// Drones: where they are made, how they flock, how each kind steers.
#pragma once

#include "game/world.h"

constexpr float kFlockMatch = 0.01f;  // how strongly a drone takes on a neighbour's velocity
constexpr float kFlockRepel = 0.05f;  // push away from a neighbour, over its squared distance

// A new drone of the given kind at rest on a random screen edge. Three random draws,
// in order: heading, edge, coordinate along the edge. The caller owns it.
Drone* CreateDrone(int kind);

// Matches a's velocity toward every other drone in g_drones and pushes it away from each,
// in list order, dead or alive. Changes only a's velocity.
void FlockDrone(Drone& a);

// Steers the drone toward its aim point by its kind's rule, then moves it one tick.
// A kind-1 drone takes one random draw for its heading.
void UpdateDrone(Drone& d);

// The drone pass written plainly: removes dead drones where it finds them and flocks, steers
// and moves each live one, front to back. The tick runs RunPipelinedDronePass, which must
// match this bit for bit.
void RunDronePass();
