// A recording's sound made offline: the kept games to the byte, what a listener hears in a
// game, and the game's random sequence left alone by everything the sound does.
#include "app/sound_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "demo/checkpoint.h"
#include "demo/recorder.h"
#include "game/world.h"
#include "sound/cues.h"
#include "sound/mixer.h"

namespace {

const std::string kDir = DEMO_TEST_DIR;
constexpr int kTickBytes = kFramesPerTick * 4;

// A scratch file of the test's own: the tests run side by side.
std::string Scratch(const char* extension) {
  return std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + extension;
}

// Renders a recording's sound, which must replay exactly, and returns the file's bytes.
std::string Render(const std::string& recording) {
  std::string line;
  EXPECT_TRUE(CheckWithSound(recording.c_str(), Scratch(".wav").c_str(), &line)) << line;
  FreeWorld();
  std::ifstream in(Scratch(".wav"), std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  std::remove(Scratch(".wav").c_str());
  return bytes;
}

std::string Le(uint32_t value, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(value >> (8 * i));
  return s;
}

uint64_t Digest(const std::string& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

int Sample(const std::string& wav, int frame, int channel) {
  const size_t at = 44 + 4 * static_cast<size_t>(frame) + 2 * channel;
  return static_cast<int16_t>(static_cast<unsigned char>(wav[at]) |
                              static_cast<unsigned char>(wav[at + 1]) << 8);
}

// The loudest sample, and the energy, of one channel over the ticks from `from` to `to`.
int Peak(const std::string& wav, int from, int to, int channel) {
  int peak = 0;
  for (int f = from * kFramesPerTick; f < to * kFramesPerTick; ++f) {
    peak = std::max(peak, std::abs(Sample(wav, f, channel)));
  }
  return peak;
}
double Energy(const std::string& wav, int from, int to, int channel) {
  double sum = 0;
  for (int f = from * kFramesPerTick; f < to * kFramesPerTick; ++f) {
    sum += std::pow(Sample(wav, f, channel), 2);
  }
  return sum;
}

}  // namespace

// 16-bit stereo PCM at 48,000 frames a second, a tick's 480 frames per step and then the
// tails; the same bytes from a second render in the same process.
TEST(SoundFile, KeptGamesSoundTheSameToTheByteEveryTime) {
  const struct {
    const char* file;
    int ticks;  // the steps, then the ticks until the last sound ends
    uint64_t digest;
  } kept[] = {{"ordinary.rec", 5783 + 140, 1969335432792998705u},
              {"deep.rec", 10855 + 160, 15572806432994515581u}};
  for (const auto& k : kept) {
    const std::string wav = Render(kDir + "/" + k.file);
    const uint32_t data = k.ticks * kTickBytes;
    EXPECT_EQ(wav.substr(0, 44), "RIFF" + Le(36 + data, 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) +
                                     Le(2, 2) + Le(48000, 4) + Le(192000, 4) + Le(4, 2) +
                                     Le(16, 2) + "data" + Le(data, 4))
        << k.file;
    EXPECT_EQ(wav.size(), 44 + data) << k.file;
    EXPECT_EQ(Digest(wav), k.digest) << k.file;
  }
  EXPECT_EQ(Digest(Render(kDir + "/ordinary.rec")), kept[0].digest) << "a second render";
}

// A game left to itself: the start, silence to the first wave, the ship's death, then once
// the blast ends nothing at all while the world stands still. And in a kept game, each kill
// over the beam's hum, on the side of the screen where the drone died.
TEST(SoundFile, EachEventIsHeardWhereItHappensAndSilenceWhereNothingDoes) {
  Recorder recorder;
  std::string error;
  ASSERT_TRUE(StartRecorder(Scratch(".rec").c_str(), &recorder, &error)) << error;
  while (!g_gameOver) ASSERT_TRUE(RecordedStep(&recorder, &error)) << error;
  const int death = static_cast<int>(recorder.steps) - 1;
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(RecordedStep(&recorder, &error)) << error;
  ASSERT_TRUE(StopRecorder(&recorder, &error)) << error;
  FreeWorld();
  std::string wav = Render(Scratch(".rec"));
  std::remove(Scratch(".rec").c_str());
  EXPECT_GT(Peak(wav, 0, 5, 0), 3000) << "the new game's jingle";
  EXPECT_EQ(Peak(wav, 35, 99, 0) + Peak(wav, 35, 99, 1), 0) << "before the first wave";
  EXPECT_GT(Peak(wav, 99, 100, 0), 1000) << "the first wave";
  EXPECT_GT(Peak(wav, death, death + 100, 0), 10000) << "the ship's death at step " << death;
  EXPECT_EQ(Peak(wav, death + 200, death + 301, 0) + Peak(wav, death + 200, death + 301, 1), 0);
  EXPECT_EQ(wav.size(), 44 + (death + 301) * static_cast<size_t>(kTickBytes)) << "no tail";

  wav = Render(kDir + "/ordinary.rec");
  const struct {
    int step;
    int x;  // where the drone died
  } kills[] = {{1220, 58}, {2573, 640}};
  for (const auto& k : kills) {
    // Three ticks of the kill against three of the beam alone, a few ticks earlier.
    const int side = k.x < 320 ? 0 : 1;
    const int was = k.step - 6;
    const int is = k.step;
    EXPECT_GT(Peak(wav, is, is + 3, side), 2 * Peak(wav, was, was + 3, side)) << k.step;
    auto toward = [&wav, side](int from) {
      return Energy(wav, from, from + 3, side) / Energy(wav, from, from + 3, 1 - side);
    };
    EXPECT_GT(toward(is), 1.5 * toward(was)) << k.step;
  }
}

// std::rand belongs to the game: one draw more anywhere changes every game after it.
TEST(SoundFile, SoundDrawsNothingFromTheGamesRandomSequence) {
  std::srand(7);
  int expected[4];
  for (int& r : expected) r = std::rand();
  std::srand(7);
  SoundBank bank;
  BuildSoundBank(&bank);
  Mixer mixer;
  StartMixer(&mixer, &bank, 1.0f);
  NewGame();
  WorldGlance glance;
  TakeGlance(&glance);
  TickCues all = FindCues(glance);
  all.newGame = all.died = all.beamFiring = all.thrust = true;
  all.kills[0] = all.kills[1] = all.kills[2] = {3, 900};
  all.lasersAppeared = all.lasersDeadly = all.lasersHarmless = {1, 10};
  all.wave = 50;
  PlayCues(&mixer, all);
  std::vector<int16_t> frames(kSampleRate * 4);
  MixFrames(&mixer, frames.data(), kSampleRate * 2);
  for (const int r : expected) EXPECT_EQ(std::rand(), r);
  FreeWorld();
}

// A recording that loads, its checkpoints every second up to its end at `steps`, but that no
// game matches: its replay goes astray at step 100.
void WriteAstray(const std::string& path, int64_t steps) {
  uint32_t fingerprint[kFingerprintValues];
  TakeRandFingerprint(fingerprint);
  RecordingFile out;
  std::string error;
  std::remove(path.c_str());
  ASSERT_TRUE(CreateRecording(path.c_str(), fingerprint, &out, &error)) << error;
  for (int64_t step = kCheckpointEvery; step <= steps; step += kCheckpointEvery) {
    WriteCheckpoint(&out, {step});
  }
  ASSERT_TRUE(CloseRecording(&out, {steps})) << out.failure;
}

// A replay gone astray leaves no WAV file, yet only a plain file is taken back, never a link
// or what it names. More than 4 GB of sound cannot be told in RIFF's 32-bit sizes: refused
// before a byte is written.
TEST(SoundFile, NothingIsLeftOfAFailureAndNothingButAPlainFileIsRemoved) {
  const std::string rec = Scratch(".rec"), wav = Scratch(".wav"), link = Scratch(".link");
  std::string line;
  WriteAstray(rec, 200);
  EXPECT_FALSE(CheckWithSound(rec.c_str(), wav.c_str(), &line));
  EXPECT_EQ(line, rec + ": differs from the recording at step 100");
  EXPECT_NE(access(wav.c_str(), F_OK), 0) << "a plain file is left";
  std::ofstream(wav).close();
  ASSERT_EQ(symlink(wav.c_str(), link.c_str()), 0);
  EXPECT_FALSE(CheckWithSound(rec.c_str(), link.c_str(), &line));
  struct stat status;
  EXPECT_TRUE(lstat(link.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) << "a link went";
  EXPECT_EQ(access(wav.c_str(), F_OK), 0) << "what a link names went";
  std::remove(link.c_str());
  std::remove(wav.c_str());
  // 2,300,500 ticks of 1,920 bytes: 4,416,960,000 bytes, past 2^32 by 122 million.
  WriteAstray(rec, 2300000);
  EXPECT_FALSE(CheckWithSound(rec.c_str(), wav.c_str(), &line));
  EXPECT_EQ(line, wav + ": the recording is too long for a WAV file");
  EXPECT_NE(access(wav.c_str(), F_OK), 0);
  std::remove(rec.c_str());
  FreeWorld();
}
