// A video of a recorded game made offline, with no window and no display:
// --check FILE --video OUT, with --scale, --from and --to.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/options.h"

// Whether CheckWithVideo can make the video that options ask for: a format it writes, a
// recording it reads, and play within --from and --to (no GIF too long). False, with *line
// saying why not, as CheckWithVideo would say it; nothing is drawn or written.
bool VideoPlanned(const Options& options, std::string* line);

// Each picture as it goes into the video: RGBA, rows from the bottom up.
using PictureSeen = std::function<void(const uint8_t* rgba)>;

// Replays options.check as CheckRecording does, drawing every step as the window would, and
// writes options.video from options.from to options.to: 50 pictures a second, picture k the
// one drawn after step 2k + 2 (the second of its two), with the sound that --wav writes from
// the same moment on. *line is what CheckRecording would say, or why no video was made. True
// only for an exact replay written whole; otherwise no video is left behind.
bool CheckWithVideo(const Options& options, std::string* line, const PictureSeen& seen = nullptr);
