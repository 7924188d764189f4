#include "app/video_file.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <vector>

#include "app/offscreen.h"
#include "app/output_file.h"
#include "app/replay_sound.h"
#include "clip/clip.h"
#include "demo/link.h"
#include "render/font.h"
#include "render/frame.h"
#include "render/present.h"

namespace {

constexpr int kStepsPerPicture = 100 / kClipFramesPerSecond;  // the game draws 100 a second
static_assert(kSampleRate == kClipSampleRate, "the mixer's sound goes into the video as it is");
constexpr int64_t kMostGifSteps = 6000;  // 60 s: a longer GIF is too large to pass around
constexpr double kProgressEvery = 0.25;  // seconds between two rewrites of the progress line

std::string Seconds(int64_t steps) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", steps / 100.0);
  return text;
}

// One line on a terminal, rewritten as the video grows; nothing where no one watches.
struct Progress {
  bool shown;
  int64_t total;  // steps of play in the clip, without the sound that rings out after them
  std::chrono::steady_clock::time_point start, last;

  void Show(int64_t done, bool final) {
    if (!shown || done < 0) return;
    done = std::min(done, total);
    const auto now = std::chrono::steady_clock::now();
    if (!final && std::chrono::duration<double>(now - last).count() < kProgressEvery) return;
    last = now;
    const double spent = std::chrono::duration<double>(now - start).count();
    std::fprintf(stderr, "\rdriftbeam: %s of %s rendered, %.1fx real time ", Seconds(done).c_str(),
                 Seconds(total).c_str(), spent > 0.0 ? done / 100.0 / spent : 0.0);
    if (final) std::fputc('\n', stderr);
  }
};

// Which pictures a clip holds. Picture k is drawn after step 2k + 2, and its sound starts
// after step 2k.
struct Span {
  int64_t first;  // the first picture
  int64_t end;    // one past the last, where the recording lasts that long
  int64_t steps;  // of play shown, without the sound that rings out after the last step
};

// The span that --from and --to ask for; false, with *line, where there is nothing to show
// or a GIF would run too long.
bool FindSpan(const Options& options, ClipFormat format, const Recording& recording,
              const std::string& name, Span* span, std::string* line) {
  const int64_t steps = JustifiedSteps(recording);
  span->first = (options.from + kStepsPerPicture - 1) / kStepsPerPicture;
  span->end = options.to < 0 ? std::numeric_limits<int64_t>::max() / kStepsPerPicture
                             : (options.to + kStepsPerPicture - 1) / kStepsPerPicture;
  span->steps = std::min(span->end * kStepsPerPicture, steps) - span->first * kStepsPerPicture;
  if (span->steps <= 0) {
    *line = options.from > 0 ? name + ": --from is past the end of play, at " + Seconds(steps)
                             : name + ": holds no play to show";
    return false;
  }
  if (format == ClipFormat::kGif && span->steps > kMostGifSteps) {
    *line = options.video + ": a GIF holds at most " + Seconds(kMostGifSteps) + ", not " +
            Seconds(span->steps) + ": cut it shorter with --from and --to";
    return false;
  }
  return true;
}

// What the video would hold: its format, the recording and the span; false, with *line, where
// there can be none.
bool Plan(const Options& options, ClipFormat* format, Recording* recording, std::string* name,
          Span* span, std::string* line) {
  if (!ClipFormatOf(options.video.c_str(), format)) {
    *line = options.video + ": a video is a .mp4, .webm or .gif file";
    return false;
  }
  std::string error;
  if (!LoadGame(options.check.c_str(), recording, name, &error)) {
    *line = *name + ": " + error;
    return false;
  }
  return FindSpan(options, *format, *recording, *name, span, line);
}

}  // namespace

bool VideoPlanned(const Options& options, std::string* line) {
  ClipFormat format;
  Recording recording;
  std::string name;
  Span span;
  return Plan(options, &format, &recording, &name, &span, line);
}

bool CheckWithVideo(const Options& options, std::string* line, const PictureSeen& seen) {
  const char* out = options.video.c_str();
  ClipFormat format;
  Recording recording;
  std::string name, error;
  Span span;
  if (!Plan(options, &format, &recording, &name, &span, line)) return false;

  const int width = 640 * options.scale;
  const int height = 480 * options.scale;
  if (!OpenOffscreen(width, height, &error)) {
    *line = "cannot render a video: " + error;
    return false;
  }
  BuildFont();
  SetPicture({0, 0, width, height}, width, height);
  Clip* clip = OpenClip(out, format, width, height, &error);
  if (clip == nullptr) {
    CloseOffscreen();
    RemoveOutput(out);
    *line = std::string(out) + ": " + error;
    return false;
  }

  Progress progress = {isatty(STDERR_FILENO) == 1, span.steps, {}, {}};
  progress.start = progress.last = std::chrono::steady_clock::now();
  ReplaySound sound;
  StartReplaySound(recording, &sound);
  std::vector<uint8_t> picture(static_cast<size_t>(width) * height * 4);
  int16_t frames[kFramesPerTick * 2];
  int64_t ticks = 0;  // sounded so far: every step, then the ticks of the last sounds
  bool written = true;
  auto addPicture = [&]() {
    ReadOffscreen(picture.data());
    if (seen) seen(picture.data());
    written = AddClipPicture(clip, picture.data());
  };
  // Every step is drawn, from the first on, since each frame fades the last: a clip that
  // starts late shows the trails the window showed. A GIF has no sound to wait for.
  while (written && ticks < span.end * kStepsPerPicture &&
         !(format == ClipFormat::kGif && sound.replay.over) && NextSoundTick(&sound, frames)) {
    if (!sound.replay.fault.empty()) break;
    if (sound.tailTicks == 0) DrawFrame();
    const bool inClip = ticks >= span.first * kStepsPerPicture;
    ++ticks;
    if (inClip) written = AddClipSound(clip, frames, kFramesPerTick);
    if (written && inClip && ticks % kStepsPerPicture == 0) addPicture();
    progress.Show(ticks - span.first * kStepsPerPicture, false);
  }
  // The picture of an odd last step stands until its sound is over.
  if (written && sound.replay.fault.empty() && ticks % kStepsPerPicture != 0 &&
      ticks < span.end * kStepsPerPicture) {
    addPicture();
  }
  // The check goes on past the clip's end: only a recording that replays exactly has a video.
  while (written && !sound.replay.over) ReplayStep(&sound.replay);
  progress.Show(ticks - span.first * kStepsPerPicture, true);
  CloseOffscreen();
  written = CloseClip(clip, &error) && written;
  *line = written ? ReplayVerdict(name.c_str(), sound.replay) : std::string(out) + ": " + error;
  if (written && sound.replay.fault.empty()) return true;
  RemoveOutput(out);
  return false;
}
