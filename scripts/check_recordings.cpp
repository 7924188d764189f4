// Replays each recording named on the command line, as driftbeam --check does, with nothing
// but the game and the recording code: the same check, built for a processor without SDL.
#include <cstdio>
#include <string>

#include "demo/replay.h"
#include "game/world.h"

int main(int argc, char* argv[]) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::string line;
    const bool exact = CheckRecording(argv[i], &line);
    FreeWorld();
    std::printf("%s\n", line.c_str());
    if (!exact) status = 1;
  }
  return argc > 1 ? status : 2;
}
