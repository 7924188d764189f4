// The sound half of the benchmark: the mixer's cost per second of sound, the sound's work in
// a tick of the last tier's crowd, and the audio thread's share of a core at "game over".
#pragma once

// Prints the sound's table. Uses SDL's dummy audio driver unless SDL_AUDIODRIVER names one.
void PrintSoundTable();
