// Playing a recording back against the world, step by step, and checking a whole file.
#pragma once

#include <string>

#include "demo/recording.h"

struct Replay {
  const Recording* recording;
  size_t key;         // the next key record to hand over
  size_t checkpoint;  // the next checkpoint to meet
  int64_t steps;      // steps run since start-up
  int games;          // games begun, the first at start-up
  bool over;          // nothing more to run: the recording's end, or a fault
  std::string fault;  // why it ended short, in a few words; empty for a whole, exact replay
};

// Start-up of a replayed game: the random sequence reset and compared with the recording's,
// the best score back to none, a new game.
void StartReplay(const Recording& recording, Replay* replay);

// Hands over the keys recorded before the next step, runs it, and compares the world with
// the recording wherever it has, or should have, a checkpoint.
void ReplayStep(Replay* replay);

// What --check says of a replay run to its end: the games, the best score and the steps,
// and that it replays exactly; or the file and where it went wrong.
std::string ReplayVerdict(const char* path, const Replay& replay);

// Replays a whole file, or a link, as fast as the tick allows. *line says what it holds and
// that it replays exactly, or names the file (or the link) and what is wrong with it.
bool CheckRecording(const char* path, std::string* line);
