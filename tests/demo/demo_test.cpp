// Recordings: kept games that must replay exactly, pinning the whole simulation from
// start-up through several games into the last tier; and every kind of bad file, refused
// with one line that names what is wrong.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "demo/checkpoint.h"
#include "demo/replay.h"
#include "game/player.h"
#include "game/world.h"
#include "tests/fuzz/as_file.h"

namespace {

const std::string kDir = DEMO_TEST_DIR;
// A scratch file of the test's own: ctest runs the tests side by side in one folder.
std::string Scratch(const char* extension = ".rec") {
  return std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + extension;
}

std::string Check(const std::string& path) {
  std::string line;
  CheckRecording(path.c_str(), &line);
  FreeWorld();
  return line;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spill(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A file of records as the game would chain them, whatever their numbers say: the keys,
// then the checkpoints, then the closing record.
std::string Written(std::vector<KeyRecord> keys, std::vector<Checkpoint> checkpoints = {},
                    Checkpoint end = {0, 0, 0, 0, 0x42c80000, 0}) {
  RecordingFile out;
  std::string error;
  std::remove(Scratch().c_str());
  EXPECT_TRUE(CreateRecording(Scratch().c_str(), 0, 0, &out, &error)) << error;
  for (const KeyRecord& key : keys) WriteKey(&out, key);
  for (const Checkpoint& checkpoint : checkpoints) WriteCheckpoint(&out, checkpoint);
  EXPECT_TRUE(CloseRecording(&out, end)) << out.failure;
  return Slurp(Scratch());
}

}  // namespace

TEST(Recordings, KeptGamesReplayExactlyAndTheSameEveryTime) {
  const struct {
    const char* file;
    const char* line;
  } kept[] = {
      {"ordinary.rec", "4 games, best score 7800, 5783 steps: replays exactly"},
      {"deep.rec", "1 game, best score 205938, 10855 steps: replays exactly"},
      // Made by 1.0.0 on the C library's maths, which they still replay with.
      {"1.0/ordinary.rec", "4 games, best score 7800, 5783 steps: replays exactly"},
      {"1.0/deep.rec", "1 game, best score 205938, 10855 steps: replays exactly"},
  };
  for (const auto& k : kept) {
    const std::string path = kDir + "/" + k.file;
    EXPECT_EQ(Check(path), path + ": " + k.line);
    EXPECT_EQ(Check(path), path + ": " + k.line) << "a second check in the same process";
  }
}

TEST(Recordings, EveryDamagedOrForeignFileIsRefusedWithWhatIsWrong) {
  const std::string good = Slurp(kDir + "/ordinary.rec");
  const size_t second = good.find('\n') + 1;
  const size_t middle = good.find('\n', good.size() / 2) + 1;
  std::string flipped = good;
  flipped[middle + 2] ^= 1;
  const struct {
    const char* what;
    std::string text;
    const char* fault;
  } cases[] = {
      {"empty", "", "not a recording"},
      {"plain text", "driftbeam is a game\n", "not a recording"},
      {"bytes put in front", "#" + good, "not a recording"},
      {"a newer format", "driftbeam-recording 3 game 9.0 rand 0 *00000000\n", "format"},
      {"draws past any session",
       Sealed("driftbeam-recording 2 game 1.1.0 draws 1" + std::string(18, '0') + " best 0\n"),
       "damaged at line 1"},
      {"cut in the middle", good.substr(0, middle + 5), ", where the recording ends: the game "},
      {"one byte changed", flipped, "damaged at line"},
      {"a line lost", good.substr(0, second) + good.substr(good.find('\n', second) + 1),
       "damaged at line 2"},
      {"something after the end", good + good.substr(second), "damaged at line"},
      {"a line of a megabyte", good.substr(0, second) + std::string(1 << 20, 'k'),
       "damaged at line 2"},
      {"steps out of order", Written({{5, true, kKeyUp}, {4, false, kKeyUp}}), "damaged at line 3"},
      {"a step of 2^40", Written({{int64_t{1} << 40, true, kKeyUp}}), "damaged at line 2"},
      {"a negative step", Written({{-1, true, kKeyUp}}), "damaged at line 2"},
      {"an unknown key", Written({{0, true, 5000}}), "damaged at line 2"},
      {"a negative key", Written({{0, true, -5}}), "damaged at line 2"},
      {"a step with no checkpoint before it", Written({{100, true, kKeyUp}}), "damaged at line 2"},
      {"a checkpoint after keys of its step", Written({{50, true, kKeyUp}}, {{50}}),
       "damaged at line 3"},
      {"an end past its checkpoints", Written({}, {}, {250}), "damaged at line 2"},
      {"a checkpoint that differs", Written({}, {{100, 99}}, {100}),
       "differs from the recording at step 100"},
      {"a game end where none was", Written({}, {{50}}, {60}),
       "differs from the recording at step 50"},
      {"a key moved", Written({{0, true, kKeyUp}}), "differs from the recording at step 0"},
      {"another C library's random sequence",
       Sealed("driftbeam-recording 1 game 1.0.0 rand 00000001 00000002 00000003 00000004\n"
              "e 0 tick 0 score 0 best 0 energy 42c80000 world 0000000000000000\n"),
       "another C library's random sequence"},
  };
  for (const auto& c : cases) {
    Spill(Scratch(), c.text);
    const std::string line = Check(Scratch());
    EXPECT_NE(line.find(c.fault), std::string::npos) << c.what << ": " << line;
    EXPECT_EQ(line.find('\n'), std::string::npos) << c.what;
  }
  // Files that are no recording to read: refused at once, even where no end would come.
  const std::string fifo = Scratch(".fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const char* kFiles[][2] = {{".", "Is a directory"},
                             {"no/such.rec", "No such file"},
                             {"/dev/zero", "not a regular"},
                             {"/dev/urandom", "not a regular"},
                             {fifo.c_str(), "not a regular"}};
  for (const auto& f : kFiles) {
    EXPECT_NE(Check(f[0]).find(std::string(": cannot be read: ") + f[1]), std::string::npos)
        << f[0];
  }
  std::remove(fifo.c_str());
  std::remove(Scratch().c_str());
}

// A kept game is never written over, but an empty file holds none; a pipe with no reader is
// refused, not waited on.
TEST(Recordings, ANewRecordingLeavesAKeptFileAloneAndNeverWaits) {
  RecordingFile out;
  std::string error;
  Spill(Scratch(), "");
  EXPECT_TRUE(CreateRecording(Scratch().c_str(), 0, 0, &out, &error)) << error;
  DiscardRecording(&out);
  Spill(Scratch(), "a kept game");
  EXPECT_FALSE(CreateRecording(Scratch().c_str(), 0, 0, &out, &error));
  EXPECT_EQ(error, "already exists; remove it first to record a new game in its place");
  EXPECT_EQ(Slurp(Scratch()), "a kept game");
  ASSERT_EQ(mkfifo(Scratch(".fifo").c_str(), 0600), 0);
  EXPECT_FALSE(CreateRecording(Scratch(".fifo").c_str(), 0, 0, &out, &error));
  EXPECT_EQ(error, "cannot be written: No such device or address");
  std::remove(Scratch(".fifo").c_str());
  std::remove(Scratch().c_str());
}
