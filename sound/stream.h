// The cues handed from the game's loop to a sound device's thread, and the device's frames
// made from them a tick at a time. Neither side ever waits for the other: the cues pass
// through a ring that one side only writes and the other only reads.
#pragma once

#include <atomic>
#include <cstdint>

#include "sound/cues.h"
#include "sound/mixer.h"

constexpr int kQueuedTicks = 64;  // cues waiting for the device, at most: 640 ms of play
constexpr int kMostBehind = 2;    // ticks the sound may trail the game by before catching up

struct SoundStream {
  Mixer mixer;                        // the device's side only, once started
  TickCues queue[kQueuedTicks];       // a ring: slot n % kQueuedTicks holds the n-th cues
  std::atomic<uint32_t> sent{0};      // cues the loop has handed over
  std::atomic<uint32_t> taken{0};     // cues the device has taken
  std::atomic<uint32_t> heard{0};     // cues taken whose sounds have all been handed out
  bool wasSilent;                     // the tick of sound being handed out is silence
  std::atomic<bool> muted{false};     // the player's m
  int16_t chunk[kFramesPerTick * 2];  // the tick of sound being handed out
  int chunkLeft;                      // its frames not yet handed out
};

// Starts a silent stream over `bank`, which must outlive it. Before the device starts.
void StartStream(SoundStream* stream, const SoundBank* bank, bool muted);

// The loop's side: one tick's cues. When the device has fallen 64 ticks behind, as it does
// while it is paused, the cues are dropped: sounds that late are better not heard.
void SendCues(SoundStream* stream, const TickCues& cues);

// The loop's side: whether some cue sent is still to be heard to its end. The device tells
// only between ticks of sound, after a tick of silence, so a cue sent a moment ago always
// counts as still to come.
bool StreamPlaying(const SoundStream& stream);

// The device's side: the next `frames` frames, left then right. Each tick's cues start the
// tick of sound they belong to, so that sounds keep the spacing of their events; a device
// whose clock runs slower than the game's takes the cues it lags by together.
void StreamFrames(SoundStream* stream, int16_t* out, int frames);
