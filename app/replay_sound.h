// A recording's sound made tick by tick as its replay runs, with no device: what a WAV file
// and a video of the recording both hold.
#pragma once

#include <cstdint>

#include "demo/replay.h"
#include "sound/cues.h"
#include "sound/mixer.h"

constexpr int kMostTailTicks = 500;  // 5 s of ringing out, longer than the longest sound

struct ReplaySound {
  SoundBank bank;
  Mixer mixer;
  WorldGlance glance;  // the world just before the step being run
  Replay replay;
  int tailTicks;  // ticks sounded since the last step, while the last sounds ring out
};

// Starts the replay of `recording`, which must outlive it, and the mixer, silent.
void StartReplaySound(const Recording& recording, ReplaySound* sound);

// Sounds the next tick into `frames` (kFramesPerTick stereo frames): a step of the replay
// while it runs, then the last sounds ringing out. False, with nothing done, once all is
// quiet after the last step.
bool NextSoundTick(ReplaySound* sound, int16_t* frames);
