// The link reader on any text: it reads a game or says in a few words why not; a game it reads
// is written back to the same link, and replays to an end with one line.
#include <cstdlib>
#include <string>

#include "demo/link.h"
#include "demo/replay.h"
#include "game/world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Recording game;
  std::string error;
  const bool read = DecodeLink(text, &game, &error);
  if (read != error.empty() || error.find('\n') != std::string::npos) std::abort();
  if (!read) return 0;
  if (game.end.step > kMostLinkSteps || DecodeLink(EncodeLink(game), &game, &error) == false) {
    std::abort();
  }
  Replay replay;
  StartReplay(game, &replay);
  while (!replay.over) ReplayStep(&replay);
  const std::string line = ReplayVerdict("link", replay);
  FreeWorld();
  if (replay.steps > game.end.step || line.find('\n') != std::string::npos) std::abort();
  return 0;
}
