// driftbeam-board-check: one submitted game checked in a process of its own, as the board's
// workers run it. The game's text comes on standard input; the answer goes out on standard
// output as its first line "STATUS SCORE STEPS", then the link of the game that ranks or the
// line that refuses it, then, with --file, the game as a recording file.
//   driftbeam-board-check --rank   a submission: a link or a recording's text
//   driftbeam-board-check --file   a ranked game's link, written out as a recording file
// The check limits its own processor time, in proportion to the game's length, once it has
// read the game and before it replays any of it.
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "board/prove.h"
#include "demo/link.h"
#include "game/world.h"

namespace {

constexpr size_t kMostInput = 2 << 20;  // twice what the server lets a request carry

void LimitSeconds(int seconds) {
  const rlimit limit = {static_cast<rlim_t>(seconds), static_cast<rlim_t>(seconds) + 1};
  setrlimit(RLIMIT_CPU, &limit);
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool file = argc == 2 && std::strcmp(argv[1], "--file") == 0;
  if (argc != 2 || (!file && std::strcmp(argv[1], "--rank") != 0)) {
    std::fprintf(stderr, "usage: driftbeam-board-check --rank | --file < GAME\n");
    return 2;
  }
  std::string text;
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) {
    if (text.size() + n > kMostInput) return 2;
    text.append(buffer, n);
  }
  Recording recording = {};
  Proof proof;
  if (ReadGame(text, &recording, &proof)) {
    LimitSeconds(CheckSeconds(recording));
    proof = ProveGame(recording);
  }
  std::printf("%d %d %lld\n%s\n", proof.status, proof.score, static_cast<long long>(proof.steps),
              proof.status == 201 ? EncodeLink(proof.game).c_str() : proof.line.c_str());
  if (file && proof.status == 201) std::fputs(RecordingText(proof.file).c_str(), stdout);
  FreeWorld();
  return std::fflush(stdout) == 0 ? 0 : 1;
}
