#include "bench/sound.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/audio.h"
#include "game/player.h"
#include "game/world.h"
#include "sound/cues.h"
#include "sound/mixer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCrowds[] = {250, 1000, 2000, 4000};
constexpr int kCrowdTicks = 30;      // ticks timed per crowd
constexpr int kSecondsOfSound = 20;  // mixed per measurement of the mixer
constexpr double kGameOverSeconds = 5.0;
constexpr double kThreadBudget = 0.02;  // the audio thread's share of a core at "game over"

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Every cue at once, crowds of every kind: the busiest tick the mixer can be handed.
TickCues Busiest() {
  TickCues c = {};
  c.kills[0] = {40, 40 * 100.0f};
  c.kills[1] = {40, 40 * 540.0f};
  c.kills[2] = {10, 10 * 320.0f};
  c.lasersAppeared = c.lasersDeadly = c.lasersHarmless = {2, 640};
  c.wave = 5;
  c.died = c.beamFiring = c.thrust = true;
  c.energy = 20;
  c.shipX = 320;
  return c;
}

// Milliseconds to mix a second of sound: with nothing playing, or with every voice, the beam
// and the engine going all along.
double MixerMsPerSecond(const SoundBank& bank, bool busy) {
  Mixer mixer;
  StartMixer(&mixer, &bank, 1.0f);
  const TickCues busiest = Busiest();
  const TickCues quiet = {};
  int16_t frames[kFramesPerTick * 2];
  const auto start = Clock::now();
  for (int tick = 0; tick < kSecondsOfSound * 100; ++tick) {
    PlayCues(&mixer, busy ? busiest : quiet);
    MixFrames(&mixer, frames, kFramesPerTick);
  }
  return Ms(start, Clock::now()) / kSecondsOfSound;
}

// A game deep in the last tier with n drones about the screen, some on the line of a beam
// that fires, so that a crowd dies in most ticks.
void SetCrowd(int n) {
  NewGame();
  g_tick = 10000;
  g_spawnInterval = 5;
  g_player->beamOn = true;
  uint64_t state = 2718281828u;
  for (int i = 0; i < n; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const float x = (i % 8 == 0) ? 320.0f : static_cast<float>((state >> 33) % 640);
    const float y = 300.0f + static_cast<float>((state >> 20) % 180);
    g_drones.push_back(new Drone{x, y, 0, 0, 0, 0, static_cast<int>(i % 3), false});
  }
}

struct CrowdRow {
  int n;
  double median, worst;  // the sound's work in one tick, ms
  double tick;           // the tick itself, median ms
  int kills;             // drones killed over the ticks timed
};

// The sound's work around each tick (the glance, the cues, the voices they start, and the
// tick's 480 frames), apart from the tick itself.
CrowdRow MeasureCrowd(const SoundBank& bank, int n) {
  SetCrowd(n);
  Mixer mixer;
  StartMixer(&mixer, &bank, 1.0f);
  WorldGlance glance;
  int16_t frames[kFramesPerTick * 2];
  std::vector<double> sound, ticks;
  int kills = 0;
  for (int i = 0; i < kCrowdTicks && !g_gameOver; ++i) {
    const auto start = Clock::now();
    TakeGlance(&glance);
    const auto glanced = Clock::now();
    UpdateWorld();
    const auto ticked = Clock::now();
    const TickCues cues = FindCues(glance);
    PlayCues(&mixer, cues);
    MixFrames(&mixer, frames, kFramesPerTick);
    const auto end = Clock::now();
    for (const CueEvent& k : cues.kills) kills += k.count;
    sound.push_back(Ms(start, glanced) + Ms(ticked, end));
    ticks.push_back(Ms(glanced, ticked));
  }
  std::sort(sound.begin(), sound.end());
  std::sort(ticks.begin(), ticks.end());
  return {n, sound[sound.size() / 2], sound.back(), ticks[ticks.size() / 2], kills};
}

// The device's thread over a game that stands still at "game over", the loop handing it a
// tick's cues every 10 ms as the game does.
double ThreadShareAtGameOver() {
  NewGame();
  g_gameOver = true;
  if (!OpenSound(false)) return -1.0;
  const double cpuStart = SoundThreadSeconds();
  const auto start = Clock::now();
  const uint32_t end = SDL_GetTicks() + static_cast<uint32_t>(kGameOverSeconds * 1000);
  while (SDL_GetTicks() < end) {
    SoundBeforeStep();
    UpdateWorld();
    SoundAfterStep();
    SDL_Delay(10);
  }
  const double share = (SoundThreadSeconds() - cpuStart) / (Ms(start, Clock::now()) / 1000.0);
  CloseSound();
  return share;
}

}  // namespace

void PrintSoundTable() {
  SoundBank bank;
  const auto start = Clock::now();
  BuildSoundBank(&bank);
  const double build = Ms(start, Clock::now());
  std::printf("\nSound: the sounds synthesized at start-up in %.1f ms.\n", build);
  const double idle = MixerMsPerSecond(bank, false);
  const double busy = MixerMsPerSecond(bank, true);
  std::printf(
      "The mixer, per second of sound (48,000 stereo frames): %.3f ms with nothing playing,\n"
      "%.3f ms with all %d voices, the beam and the engine going (%.2f %% of a core).\n\n",
      idle, busy, kVoices, busy / 10.0);
  std::printf(
      "A tick of the last tier's crowd: the sound's work (glance, cues, voices, 480 frames)\n"
      "apart from the tick itself, %d ticks with the beam killing, median and worst.\n\n",
      kCrowdTicks);
  std::printf("      N | sound ms  worst ms | tick ms | kills\n");
  std::printf("  ------+--------------------+---------+------\n");
  for (const int n : kCrowds) {
    const CrowdRow r = MeasureCrowd(bank, n);
    std::printf("  %5d | %8.3f %9.3f | %7.3f | %5d\n", r.n, r.median, r.worst, r.tick, r.kills);
  }
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  const double share = ThreadShareAtGameOver();
  if (share < 0.0) {
    std::printf("\nThe audio thread: no device opened with the %s driver.\n",
                std::getenv("SDL_AUDIODRIVER"));
    FreeWorld();
    return;
  }
  std::printf(
      "\nThe audio thread at \"game over\" (%s driver, %.0f s): %.2f %% of a core, %s the %.0f %% "
      "allowed.\n",
      std::getenv("SDL_AUDIODRIVER"), kGameOverSeconds, 100.0 * share,
      share <= kThreadBudget ? "within" : "OVER", 100.0 * kThreadBudget);
  FreeWorld();
}
