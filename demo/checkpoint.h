// What a recording pins of a game: the C library's random sequence it was played with, and
// the world at its checkpoints.
#pragma once

#include <cstdint>

#include "demo/recording.h"

// Resets std::rand to the sequence the game starts with (an unseeded rand is srand(1)'s)
// and returns its first values; call before the game's first draw, so no game changes.
void TakeRandFingerprint(uint32_t fingerprint[kFingerprintValues]);

// The world once `step` steps have run.
Checkpoint TakeCheckpoint(int64_t step);

// One tick of the world; true when it ended the game.
bool StepWorld();
