// The recording reader on any bytes: it loads them or says in one line what is wrong, and a
// file that loads never justifies more steps than its checkpoint lines.
#include <cstdlib>
#include <string>

#include "demo/recording.h"
#include "tests/fuzz/as_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AsFiles(data, size, [](const char* path) {
    Recording recording;
    std::string error;
    const bool loaded = LoadRecording(path, &recording, &error);
    if (loaded != error.empty() || error.find('\n') != std::string::npos) std::abort();
    const int64_t lines = static_cast<int64_t>(recording.checkpoints.size()) + 1;
    if (loaded && JustifiedSteps(recording) >= lines * kCheckpointEvery) std::abort();
  });
  return 0;
}
