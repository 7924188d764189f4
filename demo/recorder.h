// Writing a game to a file as it is played: every key handed to the game, with the step it
// came before, and a checkpoint every second and at the end of every game.
#pragma once

#include <string>

#include "demo/recording.h"

struct Recorder {
  RecordingFile file;
  int64_t steps;  // steps run since start-up, game over or not
};

// Start-up of a recorded game: the file created and its first line written, then a new
// game. False, with *error and no game, when the file cannot be written.
bool StartRecorder(const char* path, Recorder* recorder, std::string* error);

// A key about to be handed to OnKeyDown or OnKeyUp.
void RecordKey(Recorder* recorder, bool down, int sym);

// One tick of the world, then what the file needs of it. The file is handed to the system
// once a second; nothing here waits for the disk.
void RecordedStep(Recorder* recorder);

// The closing record, then the file closed; false, with *error, when any of it was lost.
bool StopRecorder(Recorder* recorder, std::string* error);
