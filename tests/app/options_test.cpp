// The command line as a table: what each runs with, or the one line that names its fault.
#include "app/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(Options, EachCommandLineRunsAsAskedOrNamesItsFault) {
  const ParseResult kRun = ParseResult::kRun, kBad = ParseResult::kUsageError;
  const struct {
    std::vector<std::string> args;
    ParseResult result;
    int scale;
    bool fullscreen;
    std::string error;  // a part of the message
    bool mute = false;
    int64_t from = 0;  // steps
    int64_t to = -1;
  } cases[] = {
      {{}, kRun, 1, false, ""},
      {{"--scale", "3"}, kRun, 3, false, ""},
      {{"--scale=8", "--scale", "2"}, kRun, 2, false, ""},  // the last one counts
      {{"--fullscreen", "--fullscreen"}, kRun, 1, true, ""},
      {{"--full"}, kRun, 1, true, ""},  // a prefix that names one option
      {{"-h", "--bogus"}, ParseResult::kHelp, 1, false, ""},
      {{"--version"}, ParseResult::kVersion, 1, false, ""},
      {{"--scale", "0"}, kBad, 1, false, "from 1 to 8, not '0'"},
      {{"--scale", "-1"}, kBad, 1, false, "not '-1'"},
      {{"--scale", "2x"}, kBad, 1, false, "not '2x'"},
      {{"--scale="}, kBad, 1, false, "not ''"},
      {{"--scale"}, kBad, 1, false, "option '--scale' needs a value"},
      {{"--bogus=1"}, kBad, 1, false, "unknown option '--bogus'"},
      {{"--fullscreen=yes"}, kBad, 1, false, "'--fullscreen' takes no value"},
      {{"--scale", "2", "extra"}, kBad, 1, false, "unexpected argument 'extra'"},
      {{"--scale", "2", "--fullscreen"}, kBad, 1, false, "cannot be used together"},
      {{"--record", "a", "--replay", "b"}, kBad, 1, false, "--record and --replay cannot"},
      {{"--check", "a", "--record", "b"}, kBad, 1, false, "--record and --check cannot"},
      {{"--check", "a", "--fullscreen"}, kBad, 1, false, "--check and --fullscreen cannot"},
      {{"--check", "a", "--scale", "2"}, kBad, 1, false, "--check and --scale cannot"},
      {{"--record", ""}, kBad, 1, false, "'--record' needs a file name"},
      {{"--replay", "a", "--scale", "2"}, kRun, 2, false, ""},
      {{"--mute", "--replay", "a"}, kRun, 1, false, "", true},
      {{"--check", "a", "--wav", "b"}, kRun, 1, false, ""},
      {{"--wav", "b"}, kBad, 1, false, "--wav needs --check"},
      {{"--wav", "b", "--replay", "a"}, kBad, 1, false, "--wav needs --check"},
      {{"--check", "a", "--mute"}, kBad, 1, false, "--check and --mute cannot"},
      {{"--check", "a", "--wav="}, kBad, 1, false, "'--wav' needs a file name"},
      {{"--check", "a", "--video", "b", "--scale", "2", "--from", "12.5", "--to", "13.01"},
       kRun,
       2,
       false,
       "",
       false,
       1250,
       1301},
      {{"--check", "a", "--video", "b", "--to", "0.1"}, kRun, 1, false, "", false, 0, 10},
      {{"--check", "a", "--video", "b", "--from", "1.234"}, kBad, 1, false, "not '1.234'"},
      {{"--check", "a", "--video", "b", "--from", ".5"}, kBad, 1, false, "not '.5'"},
      {{"--check", "a", "--video", "b", "--to", "5."}, kBad, 1, false, "not '5.'"},
      {{"--check", "a", "--video", "b", "--to", "-1"}, kBad, 1, false, "not '-1'"},
      {{"--check", "a", "--video", "b", "--from", "3", "--to", "3"},
       kBad,
       1,
       false,
       "--to must come after --from"},
      {{"--check", "a", "--from", "3"}, kBad, 1, false, "--from needs --video"},
      {{"--video", "b", "--replay", "a"}, kBad, 1, false, "--video needs --check"},
      {{"--check", "a", "--video", "b", "--wav", "b"}, kBad, 1, false, "the same file"},
      {{"--check", "a", "--video", "b", "--wav", "./b"}, kBad, 1, false, "the same file"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> strings = c.args;
    strings.insert(strings.begin(), "driftbeam");
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    Options options;
    std::string error;
    const ParseResult result =
        ParseOptions(static_cast<int>(strings.size()), argv.data(), &options, &error);
    const std::string line = ::testing::PrintToString(c.args);
    EXPECT_EQ(result, c.result) << line;
    if (result == kRun) {
      EXPECT_EQ(options.scale, c.scale) << line;
      EXPECT_EQ(options.fullscreen, c.fullscreen) << line;
      EXPECT_EQ(options.mute, c.mute) << line;
      EXPECT_EQ(options.from, c.from) << line;
      EXPECT_EQ(options.to, c.to) << line;
    } else if (result == kBad) {
      EXPECT_NE(error.find(c.error), std::string::npos) << line << ": " << error;
    }
  }
}
