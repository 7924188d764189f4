// The whole check on any bytes: whatever keys a file that loads holds, its replay ends, within
// the steps its lines justify, with one line that names the file.
#include <cstdlib>
#include <cstring>
#include <string>

#include "demo/replay.h"
#include "game/world.h"
#include "tests/fuzz/as_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AsFiles(data, size, [](const char* path) {
    std::string line;
    CheckRecording(path, &line);
    FreeWorld();
    const size_t named = std::strlen(path);
    if (line.compare(0, named, path) != 0 || line.compare(named, 2, ": ") != 0 ||
        line.find('\n') != std::string::npos) {
      std::abort();
    }
  });
  return 0;
}
