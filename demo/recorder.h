// Writing a game to a file as it is played: every key handed to the game, with the step it
// came before, and a checkpoint every second and at the end of every game.
#pragma once

#include <string>
#include <vector>

#include "demo/link.h"
#include "demo/recording.h"

struct Recorder {
  RecordingFile file;
  int64_t steps;                // steps run since start-up, game over or not
  int64_t recorded;             // steps that the file holds for certain: up to its last flush
  size_t keys;                  // keys written
  std::vector<GameMark> games;  // each game of the session so far, the first at start-up
};

// Start-up of a recorded game: the file created and its first line written, then a new
// game. False, with *error and no game, when the file cannot be written or is a kept game.
// A session that goes on where another stopped (the page plays again after Escape) starts
// `draws` into the random sequence with `best` as its best score, and its file says so.
bool StartRecorder(const char* path, Recorder* recorder, std::string* error, uint64_t draws = 0,
                   int best = 0);

// A key about to be handed to OnKeyDown or OnKeyUp.
void RecordKey(Recorder* recorder, bool down, int sym);

// One tick of the world, then what the file needs of it. The file is handed to the system
// once a second; nothing here waits for the disk. False at the one step where the file stops
// taking lines, with *error saying why; the game goes on, no longer written down.
bool RecordedStep(Recorder* recorder, std::string* error);

// The closing record, then the file closed. False, with *error, when that is where writing
// fails; a failure told before is not told again.
bool StopRecorder(Recorder* recorder, std::string* error);

// The session's file as it would read had the session ended now: every line so far, then a
// closing record of the world as it stands, while the file itself goes on. Empty when the file
// no longer holds the whole session or cannot be read back.
std::string SessionSoFar(Recorder* recorder);

// Whether the file holds the whole session.
bool RecordedWhole(const Recorder& recorder);

// Closes and removes the file of a session that never began.
void DiscardRecorder(Recorder* recorder);
