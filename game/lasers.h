// Lasers: made between two screen edges, they fade in, hold, fade out and finish.
#pragma once

#include "game/world.h"

// A new laser between two different edges. Four random draws, in order: first edge,
// second edge, first end's coordinate, second end's coordinate. The caller owns it.
Laser* CreateLaser();

// Ages the laser one tick: fading in up to age 99, full width to 150, then fading out
// until done is set at age 250.
void UpdateLaser(Laser& laser);
