// The game's sounds, synthesized once at start-up from a few numbers each: oscillators,
// pitch slides, noise from a generator of their own, envelopes. No sample file ships.
#pragma once

#include <vector>

constexpr int kSampleRate = 48000;  // frames a second

enum SoundId {
  kSoundNewGame,        // a rising arpeggio
  kSoundKill0,          // the red diamond pops
  kSoundKill1,          // the yellow triangle ticks
  kSoundKill2,          // the large diamond thuds
  kSoundLaserAppears,   // a soft rising shimmer as a laser fades in
  kSoundLaserDeadly,    // a buzzing warning: the laser kills from now on
  kSoundLaserHarmless,  // a short falling tone: it no longer does
  kSoundWave,           // a two-note chime
  kSoundDeath,          // a long roaring blast
  kSoundBeam,           // the beam's hum, a one-second loop
  kSoundThrust,         // the engine's rumble, a one-second loop
  kSoundCount
};

// Every sound, mono, kSampleRate samples a second. The two loops are kSampleRate samples
// long and run on from their last sample into their first without a click.
struct SoundBank {
  std::vector<float> sounds[kSoundCount];
};

// Builds every sound. The same numbers on every machine: only + - * / and square roots.
void BuildSoundBank(SoundBank* bank);
