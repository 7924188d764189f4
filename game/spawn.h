// The spawn schedule: what a wave holds at each stage of a game, and how often waves come.
#pragma once

// Creates the wave that is due on g_tick, adds its bonus to the score and shortens the
// interval. The tick calls it when g_tick is a multiple of g_spawnInterval.
void SpawnWave();
