// Videos of recordings drawn offscreen: the pictures that go into them are the window's, from
// the first step or from any later one, and a replay that goes astray leaves no video.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/video_file.h"
#include "demo/recording.h"
#include "game/world.h"
#include "tests/render/pictures.h"

namespace {

const std::string kOrdinary = DEMO_TEST_DIR "/ordinary.rec";

// The gl tier's digest: the RGB bytes, rows from the bottom up.
uint64_t Digest(const uint8_t* rgba) {
  uint64_t h = 14695981039346656037u;
  for (int i = 0; i < 640 * 480 * 4; ++i) {
    if (i % 4 != 3) h = (h ^ rgba[i]) * 1099511628211u;
  }
  return h;
}

// Makes a video and returns the digests of its pictures, in order.
std::vector<uint64_t> Pictures(const std::string& recording, int64_t from, int64_t to,
                               bool exact = true) {
  Options options;
  options.check = recording;
  options.video = "video_test.mp4";
  options.from = from;
  options.to = to;
  std::vector<uint64_t> digests;
  std::string line;
  EXPECT_EQ(CheckWithVideo(options, &line, [&](const uint8_t* p) { digests.push_back(Digest(p)); }),
            exact)
      << line;
  FreeWorld();
  EXPECT_EQ(std::remove(options.video.c_str()) == 0, exact) << "a video only where exact";
  return digests;
}

}  // namespace

// Picture k is the window's after step 2k + 2; a clip cut from 6 s to 7 s begins with the
// picture at 6 s, trails and all, and holds 50 of them.
TEST(Video, PicturesAreTheWindowsFromAnyStart) {
  const std::vector<uint64_t> whole = Pictures(kOrdinary, 0, 1000);
  ASSERT_EQ(whole.size(), 500u);
  for (const auto& [step, digest] : kPictures) {
    if (step <= 1000 && step % 2 == 0) {
      EXPECT_EQ(whole[step / 2 - 1], digest) << "step " << step;
    }
  }
  const std::vector<uint64_t> cut = Pictures(kOrdinary, 600, 700);
  ASSERT_EQ(cut.size(), 50u);
  EXPECT_EQ(cut[0], whole[300]);
}

// A checkpoint that the replay does not meet: the pictures drawn up to it go, with the file.
TEST(Video, AReplayThatGoesAstrayLeavesNoVideo) {
  const char* path = "video_test.rec";
  std::remove(path);
  RecordingFile out;
  std::string error;
  ASSERT_TRUE(CreateRecording(path, 0, 0, &out, &error)) << error;
  WriteCheckpoint(&out, {100, 99});
  ASSERT_TRUE(CloseRecording(&out, {100}));
  EXPECT_GT(Pictures(path, 0, -1, false).size(), 0u);
  std::remove(path);
}
