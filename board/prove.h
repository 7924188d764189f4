// What a submitted game proves: read from a link or a recording's text, replayed under the
// game's rules as --check does, and cut down to the one game that ranks. The replay needs the
// world, so this runs in a checker process of its own, never in the server's threads.
#pragma once

#include <cstdint>
#include <string>

#include "demo/link.h"
#include "demo/recording.h"

// The longest game that ranks: as long as the longest link, which is how the board keeps it.
constexpr int64_t kMostRankedSteps = kMostLinkSteps;

struct Proof {
  int status = 0;    // 201: it ranks; 413: longer than 30 minutes; 422: refused
  std::string line;  // why it is refused, in the check's own words
  int score = 0;
  int64_t steps = 0;    // the steps of its one game
  Recording game = {};  // that game, as a link holds it: keys and the closing checkpoint
  Recording file = {};  // the same game as a recording file, with every checkpoint
};

// Reads a submission's game: a link (a whole address, or what follows its '#') or the text of
// a recording file, whose first game is the one submitted. Only a game from the start of a
// session ranks. False, with proof's status and line, when it cannot rank whatever it holds.
// Touches no world.
bool ReadGame(const std::string& text, Recording* recording, Proof* proof);

// The CPU seconds a check of this recording may take: in proportion to the steps it can run.
int CheckSeconds(const Recording& recording);

// Replays the game up to the end of its first game and says whether that game ranks.
Proof ProveGame(const Recording& recording);
