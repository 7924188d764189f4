#include "sound/synth.h"

#include <cmath>
#include <cstdint>

namespace {

enum class Wave { kSine, kSquare, kSaw, kTriangle, kNoise };

// One oscillator of a sound.
struct Layer {
  Wave wave;
  double hz;         // pitch at the start; for noise, how often a new value is drawn
  double octaves;    // pitch slide over the whole sound: up when positive
  double duty;       // square: the high part of each cycle
  double vibratoHz;  // pitch wobble
  double vibrato;    // its depth, a fraction of the pitch
  double lowpassHz;  // 0: no filter
  double gain;       // peak level, full scale being 1
  double notes[3];   // pitch steps through the sound in equal parts (an arpeggio); 0 ends
};

// A sound: its envelope and up to two layers; a layer of gain 0 is silent.
struct Recipe {
  double attack;   // seconds rising from silence
  double sustain;  // seconds held at full level
  double decay;    // seconds falling back, fast at first
  bool loop;       // one second, played round and round instead of the envelope
  Layer layers[2];
};

constexpr double kPi = 3.14159265358979323846;
constexpr double kLn2 = 0.69314718055994530942;
constexpr int kLoopBlend = 480;  // samples over which a loop's end is blended into its start

// The levels are set against each other so that a busy tick stays clear of the limiter: a
// kill sits well under the death, the warning above the shimmer that precedes it.
constexpr Recipe kRecipes[kSoundCount] = {
    // kSoundNewGame: C, E, G on a soft square, with a sine an octave down.
    {0.004,
     0.22,
     0.12,
     false,
     {{Wave::kSquare, 523.25, 0, 0.5, 0, 0, 3500, 0.16, {1.0, 1.25, 1.5}},
      {Wave::kSine, 261.63, 0, 0, 0, 0, 0, 0.14, {1.0, 1.25, 1.5}}}},
    // kSoundKill0: a square falling an octave and a half, over a burst of noise.
    {0.002,
     0.02,
     0.12,
     false,
     {{Wave::kSquare, 720, -1.5, 0.3, 0, 0, 6000, 0.2, {1.0}},
      {Wave::kNoise, 5000, -2, 0, 0, 0, 0, 0.07, {1.0}}}},
    // kSoundKill1: a short, high, rising tick, so the many small ones do not drown the rest.
    {0.001,
     0.01,
     0.06,
     false,
     {{Wave::kTriangle, 1500, 0.7, 0, 0, 0, 0, 0.22, {1.0}},
      {Wave::kSine, 3000, 0.7, 0, 0, 0, 0, 0.05, {1.0}}}},
    // kSoundKill2: a low square sinking under a falling roar.
    {0.003,
     0.06,
     0.35,
     false,
     {{Wave::kSquare, 180, -1.6, 0.5, 0, 0, 1500, 0.26, {1.0}},
      {Wave::kNoise, 2500, -2.5, 0, 0, 0, 3000, 0.26, {1.0}}}},
    // kSoundLaserAppears: two sines a fifth apart, rising slowly as the laser fades in.
    {0.25,
     0.05,
     0.25,
     false,
     {{Wave::kSine, 220, 1.5, 0, 7, 0.02, 0, 0.09, {1.0}},
      {Wave::kSine, 330, 1.5, 0, 7, 0.02, 0, 0.05, {1.0}}}},
    // kSoundLaserDeadly: a warbling saw over a thin square, bright and hard to miss.
    {0.005,
     0.12,
     0.15,
     false,
     {{Wave::kSaw, 880, -0.3, 0, 30, 0.06, 5000, 0.14, {1.0}},
      {Wave::kSquare, 440, -0.3, 0.25, 30, 0.06, 0, 0.07, {1.0}}}},
    // kSoundLaserHarmless: one falling sine, quiet.
    {0.01,
     0.02,
     0.18,
     false,
     {{Wave::kSine, 660, -1, 0, 0, 0, 0, 0.1, {1.0}}, {Wave::kSine, 0, 0, 0, 0, 0, 0, 0, {1.0}}}},
    // kSoundWave: a bell of two notes a fifth apart, with its octave.
    {0.002,
     0.0,
     0.3,
     false,
     {{Wave::kSine, 1046.5, 0, 0, 0, 0, 0, 0.14, {1.0, 1.5}},
      {Wave::kSine, 2093, 0, 0, 0, 0, 0, 0.05, {1.0, 1.5}}}},
    // kSoundDeath: noise sinking five octaves, over a square sinking two: nothing else in
    // the game is this long or this loud.
    {0.005,
     0.3,
     1.6,
     false,
     {{Wave::kNoise, 6000, -5.5, 0, 0, 0, 3000, 0.55, {1.0}},
      {Wave::kSquare, 110, -2, 0.5, 0, 0, 800, 0.3, {1.0}}}},
    // kSoundBeam: a saw and a square an octave and a hertz apart, beating once a second.
    // Whole hertz, so that a one-second loop holds whole cycles.
    {0,
     1,
     0,
     true,
     {{Wave::kSaw, 110, 0, 0, 0, 0, 2500, 0.1, {1.0}},
      {Wave::kSquare, 221, 0, 0.5, 0, 0, 2500, 0.05, {1.0}}}},
    // kSoundThrust: low noise, filtered into a rumble.
    {0,
     1,
     0,
     true,
     {{Wave::kNoise, 900, 0, 0, 0, 0, 350, 0.12, {1.0}},
      {Wave::kSine, 0, 0, 0, 0, 0, 0, 0, {1.0}}}},
};

// 2 to the x, from the series of e^x: libm's exp may round differently from one C library
// to the next, and the sounds must be the same everywhere.
double Exp2(double x) {
  const double whole = std::floor(x);
  const double f = (x - whole) * kLn2;
  double term = 1.0;
  double sum = 1.0;
  for (int i = 1; i < 18; ++i) {
    term *= f / i;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(whole));
}

// The sine of a phase counted in cycles, from its series over a quarter cycle, for the
// same reason.
double Sine(double phase) {
  double x = phase - std::floor(phase);  // 0 to 1
  if (x > 0.75) {
    x -= 1.0;
  } else if (x > 0.25) {
    x = 0.5 - x;  // sin(pi - t) = sin t
  }
  const double t = x * 2.0 * kPi;  // -pi/2 to pi/2
  const double t2 = t * t;
  double sum = 1.0;  // t - t^3/3! + ... + t^19/19!, nested
  for (int n = 18; n >= 2; n -= 2) sum = 1.0 - t2 / (n * (n + 1)) * sum;
  return t * sum;
}

// The synthesizer's own noise: xorshift, a 32-bit state, a value from -1 to 1.
struct Noise {
  uint32_t state;
  double Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<double>(state) / 2147483648.0 - 1.0;
  }
};

// The correction that takes the click out of a jump in a wave: the jump, spread over the
// samples either side of it, so that high notes do not fold back as false tones.
double Blep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

// Adds one layer, shaped by `envelope`, into `out`.
void AddLayer(const Layer& layer, const std::vector<double>& envelope, uint32_t seed,
              std::vector<float>* out) {
  const int length = static_cast<int>(out->size());
  int notes = 0;
  while (notes < 3 && layer.notes[notes] != 0.0) ++notes;
  Noise noise = {seed};
  double held = noise.Next();
  double phase = 0.0;
  double vibratoPhase = 0.0;
  double filtered = 0.0;
  const double w = 2.0 * kPi * layer.lowpassHz / kSampleRate;
  const double pole = w / (1.0 + w);                  // a one-pole low-pass, close to its cutoff
  const double slide = Exp2(layer.octaves / length);  // the pitch's change per sample
  double glide = 1.0;
  for (int i = 0; i < length; ++i) {
    const double note = layer.notes[static_cast<int>(static_cast<double>(i) / length * notes)];
    double hz = layer.hz * glide * note;
    glide *= slide;
    if (layer.vibrato != 0.0) {
      hz *= 1.0 + layer.vibrato * Sine(vibratoPhase);
      vibratoPhase += layer.vibratoHz / kSampleRate;
    }
    const double dt = hz / kSampleRate;
    double v = 0.0;
    switch (layer.wave) {
      case Wave::kSine:
        v = Sine(phase);
        break;
      case Wave::kSquare: {
        double falls = phase - layer.duty;
        if (falls < 0.0) falls += 1.0;
        v = (phase < layer.duty ? 1.0 : -1.0) + Blep(phase, dt) - Blep(falls, dt);
        break;
      }
      case Wave::kSaw:
        v = 2.0 * phase - 1.0 - Blep(phase, dt);
        break;
      case Wave::kTriangle:
        v = phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
        break;
      case Wave::kNoise:
        v = held;
        break;
    }
    phase += dt;
    if (phase >= 1.0) {
      phase -= std::floor(phase);
      held = noise.Next();
    }
    if (layer.lowpassHz > 0.0) {
      filtered += (v - filtered) * pole;
      v = filtered;
    }
    (*out)[i] += static_cast<float>(v * layer.gain * envelope[i]);
  }
}

std::vector<double> Envelope(const Recipe& r, int length) {
  std::vector<double> envelope(length, 1.0);
  if (r.loop) return envelope;
  const int attack = static_cast<int>(r.attack * kSampleRate);
  const int decayFrom = static_cast<int>((r.attack + r.sustain) * kSampleRate);
  for (int i = 0; i < length; ++i) {
    if (i < attack) {
      envelope[i] = static_cast<double>(i) / attack;
    } else if (i >= decayFrom) {
      const double left = 1.0 - static_cast<double>(i - decayFrom) / (length - decayFrom);
      envelope[i] = left * left;
    }
  }
  return envelope;
}

}  // namespace

void BuildSoundBank(SoundBank* bank) {
  for (int id = 0; id < kSoundCount; ++id) {
    const Recipe& r = kRecipes[id];
    const int length = r.loop ? kSampleRate + kLoopBlend
                              : static_cast<int>((r.attack + r.sustain + r.decay) * kSampleRate);
    std::vector<float>& sound = bank->sounds[id];
    sound.assign(length, 0.0f);
    const std::vector<double> envelope = Envelope(r, length);
    for (int l = 0; l < 2; ++l) {
      if (r.layers[l].gain == 0.0) continue;
      AddLayer(r.layers[l], envelope, 0x9E3779B9u * (2 * id + l + 1), &sound);
    }
    if (!r.loop) continue;
    // The second that follows the loop, blended into its first samples, carries the wave
    // (and a filter's memory) across the seam.
    for (int i = 0; i < kLoopBlend; ++i) {
      const float in = static_cast<float>(i) / kLoopBlend;
      sound[i] = sound[i] * in + sound[kSampleRate + i] * (1.0f - in);
    }
    sound.resize(kSampleRate);
  }
}
