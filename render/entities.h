// The ship, the drones and the lasers on screen: flat translucent shapes and lines, drawn
// in screen pixels from the frame's identity modelview matrix. They only read the world.
#pragma once

#include "game/world.h"

// The ship at g_player's place and heading, and its beam, as bright as beamIntensity.
void DrawPlayer();

// One drone, shaped and coloured by its kind; a kind outside 0 to 2 draws nothing.
void DrawDrone(const Drone& d);

// One laser as a line of its width, as bright as a tenth of its intensity. Leaves the line
// width at 1.
void DrawLaser(const Laser& l);
