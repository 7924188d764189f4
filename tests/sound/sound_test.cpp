// What the sound hears of a tick where the kept games would meet it only by chance, and the
// mixer at the worst tick the last tier can bring.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/player.h"
#include "game/world.h"
#include "sound/cues.h"
#include "sound/mixer.h"
#include "sound/stream.h"

namespace {

// The cues in a line: each sort of event with its count, then the states.
std::string Describe(const TickCues& c) {
  std::string s;
  auto event = [&s](const std::string& name, const CueEvent& e) {
    if (e.count > 0) s += " " + name + " x" + std::to_string(e.count);
  };
  if (c.newGame) s += " new";
  for (int k = 0; k < kKinds; ++k) event("kill" + std::to_string(k), c.kills[k]);
  event("appeared", c.lasersAppeared);
  event("deadly", c.lasersDeadly);
  event("harmless", c.lasersHarmless);
  if (c.wave != 0) s += " wave " + std::to_string(c.wave);
  if (c.died) s += " died";
  if (c.beamFiring) s += " beam";
  if (c.thrust) s += " thrust";
  return s.empty() ? s : s.substr(1);
}

}  // namespace

// The kept games' sound pins what a tick is heard as, but for what they meet only by chance:
// built by hand, ticked and heard.
TEST(Cues, TheLastEnergyAndADeathOnAWaveTickAreHeard) {
  const struct {
    const char* what;
    void (*before)();
    std::string heard;
  } cases[] = {
      {"firing on the last energy",
       [] {
         g_player->beamOn = true;
         g_player->energy = 0;
       },
       "beam"},
      {"a death on a wave tick of the last tier, whose waves all bring a laser",
       [] {
         g_tick = 10004;
         g_spawnInterval = 5;
         g_drones.push_back(new Drone{323, 240, 0, 0, 0, 0, 2, false});
       },
       "appeared x1 wave 5 died"},
  };
  for (const auto& c : cases) {
    NewGame();
    g_tick = 5;
    c.before();
    WorldGlance glance;
    TakeGlance(&glance);
    UpdateWorld();
    EXPECT_EQ(Describe(FindCues(glance)), c.heard) << c.what;
  }
  FreeWorld();
}

// The last tier at its worst: crowds of every kind dying at both edges, the ship hit as a
// wave comes and lasers change, the beam and the engine going. Each sort of event is one
// voice however many there were; the limiter keeps every sample under its ceiling, and the
// loud part still reaches it.
TEST(Mixer, TheWorstTickOfTheLastTierNeverClips) {
  TickCues worst = {};
  worst.kills[0] = {40, 0};
  worst.kills[1] = {40, 40 * 640};
  worst.kills[2] = {12, 12 * 320};
  worst.lasersAppeared = {2, 200};
  worst.lasersDeadly = {3, 900};
  worst.lasersHarmless = {2, 700};
  worst.wave = 5;
  worst.died = true;
  worst.beamFiring = true;
  worst.thrust = true;
  worst.energy = 3;
  worst.shipX = 600;
  SoundBank bank;
  BuildSoundBank(&bank);
  Mixer mixer;
  StartMixer(&mixer, &bank, 1.0f);
  std::vector<int16_t> frames(kSampleRate * 2);
  PlayCues(&mixer, worst);
  EXPECT_EQ(mixer.started, 8u) << "a crowd is one voice, not one a drone";
  // Again and again, four voices a tick: the voices fill, and the oldest give way.
  for (int tick = 0; tick < 5; ++tick) PlayCues(&mixer, worst);
  for (const Voice& v : mixer.voices) EXPECT_GE(v.order, mixer.started - kVoices);
  MixFrames(&mixer, frames.data(), kSampleRate);
  const int ceiling = static_cast<int>(kCeiling * 32767.0f + 0.5f);
  int peak = 0;
  for (const int16_t s : frames) peak = std::max(peak, std::abs(static_cast<int>(s)));
  EXPECT_LE(peak, ceiling);
  EXPECT_GE(peak, ceiling - 2);
}

// A device that falls behind takes the ticks it lags by together, and still hears every cue
// of them; m fades the sound out over a tick, since a cut clicks.
TEST(Stream, ALateDeviceHearsEveryCueAndMFadesTheSoundOut) {
  SoundBank bank;
  BuildSoundBank(&bank);
  SoundStream stream;
  StartStream(&stream, &bank, false);
  TickCues cues[5] = {};
  cues[0].newGame = true;
  cues[1].kills[0] = cues[2].kills[1] = cues[3].kills[2] = {1, 100};
  cues[4].died = true;
  for (const TickCues& c : cues) SendCues(&stream, c);
  int16_t frames[kFramesPerTick * 2 * 2];
  for (int tick = 0; tick < 3; ++tick) StreamFrames(&stream, frames, kFramesPerTick);
  EXPECT_EQ(stream.mixer.started, 5u) << "each sound of five ticks, three of them at once";
  stream.muted = true;
  StreamFrames(&stream, frames, 2 * kFramesPerTick);
  auto peak = [&frames](int fromFrame, int toFrame) {
    int p = 0;
    for (int i = 2 * fromFrame; i < 2 * toFrame; ++i) p = std::max(p, std::abs(frames[i]));
    return p;
  };
  EXPECT_GT(peak(0, 50), 1000) << "cut at once";
  EXPECT_EQ(peak(kFramesPerTick, 2 * kFramesPerTick), 0) << "still heard a tick later";
}
