// The tick's drone pass, pipelined: RunDronePass's results, bit for bit, in about half the time.
#pragma once

// Removes dead drones and flocks, steers and moves each live one in list order, exactly as
// RunDronePass does, while the next few drones already flock against the finished ones.
void RunPipelinedDronePass();

// Gives back the memory that the pass keeps from tick to tick, so that a new game holds
// nothing of the last. NewGame and FreeWorld call it.
void ReleaseDronePass();
