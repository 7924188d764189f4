// What a recording pins of a game: the world at its checkpoints, and for a recording made by
// 1.0.0 the C library's random sequence it was played with.
#pragma once

#include <cstdint>

#include "demo/recording.h"

// Puts the game on the C library's maths, as 1.0.0 played, and returns the first values of
// the C library's random sequence, which starts afresh before the game's first draw.
void TakeRandFingerprint(uint32_t fingerprint[kFingerprintValues]);

// The world once `step` steps have run.
Checkpoint TakeCheckpoint(int64_t step);

// One tick of the world; true when it ended the game.
bool StepWorld();
