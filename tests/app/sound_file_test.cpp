// A recording's sound made offline: the kept games to the byte, and what is left of a WAV file
// that cannot be made.
#include "app/sound_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "demo/recording.h"
#include "game/world.h"

namespace {

const std::string kDir = DEMO_TEST_DIR;

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

uint64_t Digest(const std::string& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

// A recording that loads, its checkpoints every second up to its end at `steps`, but that no
// game matches: its replay goes astray at step 100.
void WriteAstray(const std::string& path, int64_t steps) {
  RecordingFile out;
  std::string error;
  std::remove(path.c_str());
  ASSERT_TRUE(CreateRecording(path.c_str(), 0, 0, &out, &error)) << error;
  for (int64_t step = kCheckpointEvery; step <= steps; step += kCheckpointEvery) {
    WriteCheckpoint(&out, {step});
  }
  ASSERT_TRUE(CloseRecording(&out, {steps})) << out.failure;
}

}  // namespace

// The bytes of the kept games' sound, header and all, pinned; the same from a second render
// in the same process.
TEST(SoundFile, KeptGamesSoundTheSameToTheByteEveryTime) {
  const struct {
    const char* file;
    uint64_t digest;
  } kept[] = {{"ordinary.rec", 1969335432792998705u}, {"deep.rec", 15572806432994515581u}};
  for (const auto& k : kept) EXPECT_EQ(Digest(Render(kDir + "/" + k.file)), k.digest) << k.file;
  EXPECT_EQ(Digest(Render(kDir + "/ordinary.rec")), kept[0].digest) << "a second render";
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
