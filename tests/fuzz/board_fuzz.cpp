// What the board reads of a request before a game is checked: the body as a submission, and
// the same bytes (and sealed, as a recording's lines would be) as a submission's game, proved
// when it reads. Whatever the bytes, each answers with a status and one line, a name that
// passes holds 1 to 20 characters, and a game that ranks is written back as a link that reads.
#include <cstdlib>
#include <string>

#include "board/prove.h"
#include "board/submission.h"
#include "demo/link.h"
#include "game/world.h"
#include "tests/fuzz/as_file.h"

namespace {

void Game(const std::string& text) {
  Recording recording = {};
  Proof proof;
  if (!ReadGame(text, &recording, &proof)) {
    if ((proof.status != 413 && proof.status != 422) || proof.line.empty()) std::abort();
    return;
  }
  proof = ProveGame(recording);
  FreeWorld();
  // The checker's answer is lines: a line with a newline in it would be read as two.
  if (proof.line.find('\n') != std::string::npos) std::abort();
  if (proof.status != 201) return;
  Recording again;
  std::string error;
  if (proof.steps > kMostRankedSteps || !DecodeLink(EncodeLink(proof.game), &again, &error)) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Submission submission;
  std::string error;
  const bool read = ReadSubmission(bytes, &submission, &error);
  if (read != error.empty() || error.find('\n') != std::string::npos) std::abort();
  if (read && (submission.name.empty() || submission.name.size() > 4 * kMostNameCharacters)) {
    std::abort();
  }
  if (read) Game(submission.game);
  Game(bytes);
  const std::string sealed = Sealed(bytes);
  if (sealed != bytes) Game(sealed);
  return 0;
}
