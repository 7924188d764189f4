#include "app/options.h"

#include <getopt.h>

#include <cstring>
#include <filesystem>

const char kUsage[] =
    "Usage: driftbeam [OPTION]...\n"
    "A single-screen arcade game: steer a ship with inertia, fire a beam at flocking drones,\n"
    "keep clear of the lasers.\n"
    "\n"
    "  -h, --help           show this help and exit\n"
    "      --version        show the version and exit\n"
    "      --scale N        a window N times as large, N from 1 to 8 (default 1: 640x480)\n"
    "      --fullscreen     fill the screen at its own resolution, the picture centred\n"
    "      --mute           start without sound\n"
    "      --record FILE    write the game as it is played to FILE; a file that exists is\n"
    "                       never written over: to record in its place, remove it first\n"
    "      --replay FILE    play the recording in FILE back in the window, then exit; FILE\n"
    "                       may be a link to a game shared from the page instead\n"
    "      --check FILE     replay FILE (or a link) without a window: its games, best score\n"
    "                       and steps, and whether it replays exactly (exit status 0) or not (1)\n"
    "      --wav OUT        with --check: also write the recording's sound to OUT, a WAV file;\n"
    "                       a file that holds anything, or the recording, is never written\n"
    "                       over: to write one in its place, remove it first\n"
    "      --video OUT      with --check: also write a video of it to OUT, with its sound:\n"
    "                       .mp4 (H.264, AAC), .webm (VP9, Opus) or .gif (60 s at most);\n"
    "                       --scale N makes it 640N x 480N\n"
    "      --from S         with --video: start S seconds into the recording (such as 12.5)\n"
    "      --to S           with --video: end S seconds into the recording\n"
    "\n"
    "Controls: arrow keys steer (Up thrust, Down reverse, Left and Right turn), z fires the\n"
    "beam while held, m turns the sound off and on, p pauses and resumes (so does a window\n"
    "losing the keyboard), any key starts a new game after \"game over\", Escape quits. A\n"
    "gamepad plays too: the d-pad or the left stick steers, any button fires, resumes a paused\n"
    "game and, after \"game over\", starts a new game.\n";

namespace {

// Two names of one file, whether or not it exists yet: a.mp4 and ./a.mp4, or through a link.
bool SamePath(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code error;
  // Made absolute first: a relative name none of whose folders exists comes back as it is.
  const fs::path first = fs::weakly_canonical(fs::absolute(a, error), error);
  if (error) return a == b;
  const fs::path second = fs::weakly_canonical(fs::absolute(b, error), error);
  return error ? a == b : first == second;
}

enum : int {
  kOptVersion = 256,
  kOptScale,
  kOptFullscreen,
  kOptRecord,
  kOptReplay,
  kOptCheck,
  kOptWav,
  kOptMute,
  kOptVideo,
  kOptFrom,
  kOptTo
};

constexpr option kLongOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kOptVersion},
    {"scale", required_argument, nullptr, kOptScale},
    {"fullscreen", no_argument, nullptr, kOptFullscreen},
    {"record", required_argument, nullptr, kOptRecord},
    {"replay", required_argument, nullptr, kOptReplay},
    {"check", required_argument, nullptr, kOptCheck},
    {"wav", required_argument, nullptr, kOptWav},
    {"mute", no_argument, nullptr, kOptMute},
    {"video", required_argument, nullptr, kOptVideo},
    {"from", required_argument, nullptr, kOptFrom},
    {"to", required_argument, nullptr, kOptTo},
    {nullptr, 0, nullptr, 0},
};

// A whole number in [1, kMaxScale], digits only: no sign, no space, no unit.
bool ReadScale(const char* text, int* scale) {
  const size_t length = std::strlen(text);
  if (length == 0 || length > 3 || std::strspn(text, "0123456789") != length) return false;
  const int value = std::atoi(text);
  if (value < 1 || value > kMaxScale) return false;
  *scale = value;
  return true;
}

// Seconds of play as steps: digits, and at most two decimals after a point, since a step is
// a hundredth of a second; no sign, no exponent, nothing past the longest recording.
bool ReadSeconds(const char* text, int64_t* steps) {
  const char* point = std::strchr(text, '.');
  const size_t whole = point == nullptr ? std::strlen(text) : static_cast<size_t>(point - text);
  const size_t decimals = point == nullptr ? 0 : std::strlen(point + 1);
  if (whole == 0 || whole > 7 || std::strspn(text, "0123456789") != whole || decimals > 2 ||
      (point != nullptr && (decimals == 0 || std::strspn(point + 1, "0123456789") != decimals))) {
    return false;
  }
  *steps = std::atoll(text) * 100;
  if (decimals > 0) *steps += std::atoi(point + 1) * (decimals == 1 ? 10 : 1);
  return true;
}

// The option as the player typed it, up to any "=value".
std::string Typed(const char* arg) {
  const char* equals = std::strchr(arg, '=');
  return equals == nullptr ? std::string(arg) : std::string(arg, equals);
}

// getopt_long takes any unambiguous prefix of a long option; one that fits several is not
// unknown, and saying so would send the player looking in the wrong place.
bool Ambiguous(const std::string& typed) {
  if (typed.compare(0, 2, "--") != 0) return false;
  int matches = 0;
  for (const option* o = kLongOptions; o->name != nullptr; ++o) {
    if (std::strncmp(o->name, typed.c_str() + 2, typed.size() - 2) == 0) ++matches;
  }
  return matches > 1;
}

}  // namespace

ParseResult ParseOptions(int argc, char* argv[], Options* options, std::string* error) {
  *options = Options();
  bool scaleGiven = false;
  opterr = 0;  // the messages are ours: one line, then the pointer to --help
  optind = 0;  // start afresh, whatever an earlier parse left
  for (;;) {
    int index = -1;
    const int c = getopt_long(argc, argv, ":h", kLongOptions, &index);
    if (c == -1) break;
    const std::string typed = Typed(argv[optind - 1]);
    switch (c) {
      case 'h':
        return ParseResult::kHelp;
      case kOptVersion:
        return ParseResult::kVersion;
      case kOptScale:
        if (!ReadScale(optarg, &options->scale)) {
          *error = "--scale takes a whole number from 1 to " + std::to_string(kMaxScale) +
                   ", not '" + optarg + "'";
          return ParseResult::kUsageError;
        }
        scaleGiven = true;
        break;
      case kOptFullscreen:
        options->fullscreen = true;
        break;
      case kOptMute:
        options->mute = true;
        break;
      case kOptFrom:
      case kOptTo:
        if (!ReadSeconds(optarg, c == kOptFrom ? &options->from : &options->to)) {
          *error = typed + " takes seconds, such as 12 or 12.5, not '" + optarg + "'";
          return ParseResult::kUsageError;
        }
        break;
      case kOptRecord:
      case kOptReplay:
      case kOptCheck:
      case kOptWav:
      case kOptVideo:
        // Named from the table: given apart, an empty name leaves nothing of the option typed.
        if (*optarg == '\0') {
          *error = std::string("option '--") + kLongOptions[index].name + "' needs a file name";
          return ParseResult::kUsageError;
        }
        (c == kOptRecord   ? options->record
         : c == kOptReplay ? options->replay
         : c == kOptCheck  ? options->check
         : c == kOptWav    ? options->wav
                           : options->video) = optarg;
        break;
      case ':':
        *error = "option '" + typed + "' needs a value";
        return ParseResult::kUsageError;
      default:
        if (typed.compare(0, 2, "--") != 0) {
          *error = std::string("unknown option '-") + static_cast<char>(optopt) + "'";
        } else if (optopt != 0) {  // a known long option that takes no value was given one
          *error = "option '" + typed + "' takes no value";
        } else if (Ambiguous(typed)) {
          *error = "ambiguous option '" + typed + "'";
        } else {
          *error = "unknown option '" + typed + "'";
        }
        return ParseResult::kUsageError;
    }
  }
  if (optind < argc) {
    *error = std::string("unexpected argument '") + argv[optind] + "'";
    return ParseResult::kUsageError;
  }
  // A recorded game is played, or a recording is watched or checked: one of the three.
  const struct {
    bool given;
    const char* name;
  } conflicts[][2] = {
      {{scaleGiven, "--scale"}, {options->fullscreen, "--fullscreen"}},
      {{!options->record.empty(), "--record"}, {!options->replay.empty(), "--replay"}},
      {{!options->record.empty(), "--record"}, {!options->check.empty(), "--check"}},
      {{!options->replay.empty(), "--replay"}, {!options->check.empty(), "--check"}},
      // The window's size, or a video's.
      {{!options->check.empty() && options->video.empty(), "--check"}, {scaleGiven, "--scale"}},
      {{!options->check.empty(), "--check"}, {options->fullscreen, "--fullscreen"}},
      {{!options->check.empty(), "--check"}, {options->mute, "--mute"}},
  };
  for (const auto& pair : conflicts) {
    if (pair[0].given && pair[1].given) {
      *error = std::string(pair[0].name) + " and " + pair[1].name + " cannot be used together";
      return ParseResult::kUsageError;
    }
  }
  // The sound and the video of a recording are made offline, as fast as --check replays it.
  const struct {
    bool given;
    const char* name;
    bool needed;
    const char* needs;
  } needs[] = {{!options->wav.empty(), "--wav", !options->check.empty(), "--check"},
               {!options->video.empty(), "--video", !options->check.empty(), "--check"},
               {options->from > 0, "--from", !options->video.empty(), "--video"},
               {options->to >= 0, "--to", !options->video.empty(), "--video"}};
  for (const auto& n : needs) {
    if (n.given && !n.needed) {
      *error = std::string(n.name) + " needs " + n.needs;
      return ParseResult::kUsageError;
    }
  }
  if (options->to >= 0 && options->to <= options->from) {
    *error = "--to must come after --from";
    return ParseResult::kUsageError;
  }
  if (!options->video.empty() && SamePath(options->video, options->wav)) {
    *error = "--wav and --video cannot write the same file";
    return ParseResult::kUsageError;
  }
  return ParseResult::kRun;
}
