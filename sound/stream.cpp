#include "sound/stream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr float kVolume = 1.0f;  // the levels of the sounds are set for a full master volume

// The next tick of sound: the oldest cues waiting, with any that put the sound more than
// kMostBehind ticks behind the game folded into them.
void NextChunk(SoundStream* stream) {
  Mixer* mixer = &stream->mixer;
  SetVolume(mixer, stream->muted.load(std::memory_order_relaxed) ? 0.0f : kVolume);
  uint32_t taken = stream->taken.load(std::memory_order_relaxed);
  const uint32_t sent = stream->sent.load(std::memory_order_acquire);
  // Nothing waits, nothing sounds, and a whole tick of silence has gone out after the last
  // sound: every cue taken so far has been heard to its end.
  const bool silent = taken == sent && MixerIdle(*mixer);
  if (silent && stream->wasSilent) stream->heard.store(taken, std::memory_order_release);
  stream->wasSilent = silent;
  if (taken != sent) {
    TickCues cues = stream->queue[taken % kQueuedTicks];
    ++taken;
    for (; sent - taken > kMostBehind; ++taken) {
      MergeCues(&cues, stream->queue[taken % kQueuedTicks]);
    }
    stream->taken.store(taken, std::memory_order_release);
    PlayCues(mixer, cues);
  }
  MixFrames(mixer, stream->chunk, kFramesPerTick);
  stream->chunkLeft = kFramesPerTick;
}

}  // namespace

void StartStream(SoundStream* stream, const SoundBank* bank, bool muted) {
  StartMixer(&stream->mixer, bank, muted ? 0.0f : kVolume);
  stream->sent.store(0);
  stream->taken.store(0);
  stream->heard.store(0);
  stream->wasSilent = false;
  stream->muted.store(muted);
  stream->chunkLeft = 0;
}

void SendCues(SoundStream* stream, const TickCues& cues) {
  const uint32_t sent = stream->sent.load(std::memory_order_relaxed);
  if (sent - stream->taken.load(std::memory_order_acquire) >= kQueuedTicks) return;
  stream->queue[sent % kQueuedTicks] = cues;
  stream->sent.store(sent + 1, std::memory_order_release);
}

bool StreamPlaying(const SoundStream& stream) {
  return stream.heard.load(std::memory_order_acquire) !=
         stream.sent.load(std::memory_order_relaxed);
}

void StreamFrames(SoundStream* stream, int16_t* out, int frames) {
  while (frames > 0) {
    if (stream->chunkLeft == 0) NextChunk(stream);
    const int n = std::min(frames, stream->chunkLeft);
    const int16_t* from = stream->chunk + 2 * (kFramesPerTick - stream->chunkLeft);
    std::memcpy(out, from, sizeof(int16_t) * 2 * n);
    out += 2 * n;
    frames -= n;
    stream->chunkLeft -= n;
  }
}
