// The command line on any arguments: it runs as one of the three sessions with a scale that
// exists, or names a fault.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The bytes split at NULs, as the arguments reach a program; a shell's worth at most.
  std::vector<std::string> args = {"driftbeam"};
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (size_t start = 0; start <= bytes.size() && args.size() < 64;) {
    const size_t end = std::min(bytes.find('\0', start), bytes.size());
    args.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  Options options;
  std::string error;
  switch (ParseOptions(static_cast<int>(args.size()), argv.data(), &options, &error)) {
    case ParseResult::kUsageError:
      if (error.empty()) std::abort();
      break;
    case ParseResult::kRun: {
      const int sessions =
          !options.record.empty() + !options.replay.empty() + !options.check.empty();
      if (options.scale < 1 || options.scale > kMaxScale || sessions > 1 ||
          (options.fullscreen && options.scale != 1) ||
          (!options.video.empty() && options.check.empty()) ||
          (options.to >= 0 && options.to <= options.from)) {
        std::abort();
      }
      break;
    }
    default:
      break;
  }
  return 0;
}
