#include "sound/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float kScreenWidth = 640.0f;
constexpr float kEdgePan = 0.1f;  // even at the screen's edge the far ear hears a little
constexpr int kLoudestCrowd = 6;  // more kills of a kind in one tick sound no louder
constexpr float kGlide = 1.0f / kFramesPerTick;  // level change per frame: a tick end to end
constexpr float kRateGlide = 0.002f;             // the beam's pitch follows within 10 ms
constexpr float kRelease = 1.0f / 4800.0f;       // the limiter lets go over a tenth of a second
constexpr float kLimiterRest = 0.99999f;         // near enough to 1 to be 1
constexpr double kThrobHz = 14.0;                // how fast the beam throbs near empty
constexpr float kThrobBelow = 30.0f;             // energy where the throb starts
constexpr float kLowestBeamRate = 0.55f;         // the beam's pitch, empty, against full

// Ticks a sound waits before it starts again. In the last tier a wave comes every fifth tick
// with a laser that turns deadly a second later: started every time, the chime, the shimmer
// and the warning would each stand as one long tone. Kills and the rest always sound.
uint32_t GapOf(int id) {
  switch (id) {
    case kSoundLaserAppears:
    case kSoundLaserDeadly:
    case kSoundLaserHarmless:
      return 10;
    case kSoundWave:
      return 20;
    default:
      return 0;
  }
}

float PanOf(float x) {
  const float across = std::min(std::max(x / kScreenWidth, 0.0f), 1.0f);
  return kEdgePan + (1.0f - 2.0f * kEdgePan) * across;
}

// A free voice, or else the oldest, which is the one a listener misses least.
void Start(Mixer* m, SoundId id, float gain, float x) {
  if (m->ticks - m->lastStart[id] < GapOf(id)) return;
  m->lastStart[id] = m->ticks;
  Voice* voice = &m->voices[0];
  for (Voice& v : m->voices) {
    if (v.sound == nullptr) {
      voice = &v;
      break;
    }
    if (v.order < voice->order) voice = &v;
  }
  const float pan = PanOf(x);
  *voice = {&m->bank->sounds[id], 0, gain * std::sqrt(1.0f - pan), gain * std::sqrt(pan),
            m->started++};
}

// Louder with the crowd, but by its square root: forty pops are not forty times as loud.
void StartEvent(Mixer* m, SoundId id, const CueEvent& event) {
  if (event.count == 0) return;
  const float gain = std::sqrt(static_cast<float>(std::min(event.count, kLoudestCrowd)));
  Start(m, id, gain, event.sumX / static_cast<float>(event.count));
}

float Toward(float now, float target, float step) {
  return now < target ? std::min(now + step, target) : std::max(now - step, target);
}

void AddVoice(Voice* v, float* left, float* right, int n) {
  const float* s = v->sound->data() + v->position;
  const int count = std::min(n, static_cast<int>(v->sound->size()) - v->position);
  for (int i = 0; i < count; ++i) {
    left[i] += s[i] * v->left;
    right[i] += s[i] * v->right;
  }
  v->position += count;
  if (v->position >= static_cast<int>(v->sound->size())) v->sound = nullptr;
}

void AddLoop(HeldLoop* loop, const std::vector<float>& sound, float* left, float* right, int n) {
  if (loop->level == 0.0f && loop->target == 0.0f) return;
  const float toLeft = std::sqrt(1.0f - loop->pan);
  const float toRight = std::sqrt(loop->pan);
  const int size = static_cast<int>(sound.size());
  for (int i = 0; i < n; ++i) {
    loop->level = Toward(loop->level, loop->target, kGlide);
    loop->rate += (loop->targetRate - loop->rate) * kRateGlide;
    const int at = static_cast<int>(loop->position);
    const float along = static_cast<float>(loop->position - at);
    const float a = sound[at];
    const float b = sound[at + 1 == size ? 0 : at + 1];
    const float throb = static_cast<float>(loop->lfo < 0.5 ? loop->lfo : 1.0 - loop->lfo);
    const float s = (a + (b - a) * along) * loop->level * (1.0f - loop->warble * 2.0f * throb);
    left[i] += s * toLeft;
    right[i] += s * toRight;
    loop->position += loop->rate;
    if (loop->position >= size) loop->position -= size;
    loop->lfo += kThrobHz / kSampleRate;
    if (loop->lfo >= 1.0) loop->lfo -= 1.0;
  }
}

// A held loop that starts from silence starts at its pitch, not gliding from the last one.
void Hold(HeldLoop* loop, bool on, float rate, float x) {
  loop->target = on ? 1.0f : 0.0f;
  loop->targetRate = rate;
  if (loop->level == 0.0f) loop->rate = rate;
  loop->pan = PanOf(x);
}

int16_t ToSample(float v) {
  const float scaled = std::min(std::max(v * 32767.0f, -32767.0f), 32767.0f);
  return static_cast<int16_t>(scaled + (scaled < 0.0f ? -0.5f : 0.5f));
}

// Up to one tick of frames.
void MixBlock(Mixer* m, int16_t* out, int n) {
  if (MixerIdle(*m)) {
    // Silence: a change of volume or the limiter's release cannot be heard.
    std::memset(out, 0, sizeof(int16_t) * 2 * n);
    m->volume = m->volumeTarget;
    m->limiter = 1.0f;
    return;
  }
  float left[kFramesPerTick] = {};
  float right[kFramesPerTick] = {};
  for (Voice& v : m->voices) {
    if (v.sound != nullptr) AddVoice(&v, left, right, n);
  }
  AddLoop(&m->beam, m->bank->sounds[kSoundBeam], left, right, n);
  AddLoop(&m->thrust, m->bank->sounds[kSoundThrust], left, right, n);
  for (int i = 0; i < n; ++i) {
    m->volume = Toward(m->volume, m->volumeTarget, kGlide);
    const float l = left[i] * m->volume;
    const float r = right[i] * m->volume;
    // The gain drops at once to what keeps this frame under the ceiling, so that nothing
    // ever clips, and comes back slowly, so that the drop is not heard as a flutter.
    const float peak = std::max(std::fabs(l), std::fabs(r));
    if (peak * m->limiter > kCeiling) m->limiter = kCeiling / peak;
    out[2 * i] = ToSample(l * m->limiter);
    out[2 * i + 1] = ToSample(r * m->limiter);
    m->limiter += (1.0f - m->limiter) * kRelease;
    if (m->limiter > kLimiterRest) m->limiter = 1.0f;
  }
}

}  // namespace

void StartMixer(Mixer* mixer, const SoundBank* bank, float volume) {
  *mixer = {};
  mixer->bank = bank;
  for (int id = 0; id < kSoundCount; ++id) mixer->lastStart[id] = 0u - GapOf(id);  // long ago
  mixer->beam.rate = mixer->beam.targetRate = 1.0f;
  mixer->thrust.rate = mixer->thrust.targetRate = 1.0f;
  mixer->volume = mixer->volumeTarget = volume;
  mixer->limiter = 1.0f;
}

void SetVolume(Mixer* mixer, float volume) {
  mixer->volumeTarget = volume;
}

void PlayCues(Mixer* mixer, const TickCues& cues) {
  ++mixer->ticks;
  const float middle = kScreenWidth / 2.0f;
  if (cues.newGame) Start(mixer, kSoundNewGame, 1.0f, middle);
  for (int kind = 0; kind < kKinds; ++kind) {
    StartEvent(mixer, static_cast<SoundId>(kSoundKill0 + kind), cues.kills[kind]);
  }
  StartEvent(mixer, kSoundLaserAppears, cues.lasersAppeared);
  StartEvent(mixer, kSoundLaserDeadly, cues.lasersDeadly);
  StartEvent(mixer, kSoundLaserHarmless, cues.lasersHarmless);
  if (cues.wave != 0) {
    // As the waves come faster the chime grows softer, so that it urges rather than din.
    const float gain = 0.3f + 0.7f * std::min(static_cast<float>(cues.wave - 5) / 15.0f, 1.0f);
    Start(mixer, kSoundWave, gain, middle);
  }
  if (cues.died) Start(mixer, kSoundDeath, 1.0f, cues.shipX);
  // The beam sinks in pitch as its energy drains, and throbs as it nears empty.
  const float energy = std::min(std::max(cues.energy, 0.0f), 100.0f);
  Hold(&mixer->beam, cues.beamFiring, kLowestBeamRate + (1.0f - kLowestBeamRate) * energy / 100.0f,
       cues.shipX);
  mixer->beam.warble = energy < kThrobBelow ? (kThrobBelow - energy) / kThrobBelow * 0.7f : 0.0f;
  Hold(&mixer->thrust, cues.thrust, 1.0f, cues.shipX);
}

void MixFrames(Mixer* mixer, int16_t* out, int frames) {
  while (frames > 0) {
    const int n = std::min(frames, kFramesPerTick);
    MixBlock(mixer, out, n);
    out += 2 * n;
    frames -= n;
  }
}

bool MixerIdle(const Mixer& mixer) {
  for (const Voice& v : mixer.voices) {
    if (v.sound != nullptr) return false;
  }
  for (const HeldLoop* loop : {&mixer.beam, &mixer.thrust}) {
    if (loop->level != 0.0f || loop->target != 0.0f) return false;
  }
  return true;
}
