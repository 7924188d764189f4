// The command line, read once at start-up into one plain record; start-up reads only that.
#pragma once

#include <cstdint>
#include <string>

constexpr int kMaxScale = 8;  // 5120 x 3840: past any screen there is

struct Options {
  int scale = 1;            // the window is 640 x 480 times this
  bool fullscreen = false;  // the whole screen, the picture as large as it fits
  std::string record;       // write the game played to this file
  std::string replay;       // play this recording back in the window
  std::string check;        // replay this recording without a window and say if it holds
  std::string wav;          // with check: write the recording's sound to this file
  std::string video;        // with check: write a video of the recording to this file
  int64_t from = 0;         // with video: where it starts, in steps of play (hundredths of a s)
  int64_t to = -1;          // with video: where it ends, in steps; -1 with the recording
  bool mute = false;        // start without sound
};

enum class ParseResult { kRun, kHelp, kVersion, kUsageError };

// Reads the arguments. For kUsageError, *error holds one line naming the problem.
ParseResult ParseOptions(int argc, char* argv[], Options* options, std::string* error);

// What --help prints.
extern const char kUsage[];
