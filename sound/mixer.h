// The mixer: a tick's cues become voices, voices become 16-bit stereo frames at 48,000 a
// second, 480 to a tick. Plain numbers in, the same samples out on every machine.
#pragma once

#include <cstdint>

#include "sound/cues.h"
#include "sound/synth.h"

constexpr int kFramesPerTick = kSampleRate / 100;  // one 10 ms tick of sound
constexpr int kVoices = 24;                        // sounds at once; the oldest gives way
constexpr float kCeiling = 0.97f;                  // the limiter's ceiling, full scale 1

// One sound playing from the bank.
struct Voice {
  const std::vector<float>* sound;  // null: the voice is free
  int position;                     // the next sample to play
  float left, right;                // gains, placement and loudness together
  uint32_t order;                   // when it started: the smallest is the oldest
};

// A loop held while its cue lasts: the beam, the engine.
struct HeldLoop {
  double position;   // in the loop, in samples, fractional
  float level;       // now, 0 to 1, gliding toward `target`
  float target;      // as the last cue asked
  float rate;        // playback speed: 1 is the loop's own pitch
  float targetRate;  // as the last cue asked
  float warble;      // 0 to 1: how deep the beam throbs as its energy runs out
  double lfo;        // the throb's phase, in cycles
  float pan;         // 0 left to 1 right
};

struct Mixer {
  const SoundBank* bank;
  Voice voices[kVoices];
  uint32_t started;                 // voices started so far
  uint32_t ticks;                   // cues played so far, a tick's or a few merged
  uint32_t lastStart[kSoundCount];  // the tick each sound last started, for the gaps
  HeldLoop beam;
  HeldLoop thrust;
  float volume;        // master volume now, gliding toward `volumeTarget`
  float volumeTarget;  // 0 is silence, 1 full
  float limiter;       // the limiter's gain now, 1 when it rests
};

// A silent mixer over `bank`, which must outlive it, at the given master volume.
void StartMixer(Mixer* mixer, const SoundBank* bank, float volume);

// Sets the master volume, reached within a tick so that it never clicks.
void SetVolume(Mixer* mixer, float volume);

// Starts what the cues call for and sets the beam and the engine going or fading out.
// Many kills of one kind in one tick are one voice, louder, at their mean place.
void PlayCues(Mixer* mixer, const TickCues& cues);

// Renders the next `frames` frames, left then right, into `out`.
void MixFrames(Mixer* mixer, int16_t* out, int frames);

// Nothing is sounding or fading: every frame from here on is silence until the next cue.
bool MixerIdle(const Mixer& mixer);
