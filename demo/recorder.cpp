#include "demo/recorder.h"

#include "demo/checkpoint.h"
#include "game/maths.h"
#include "game/world.h"

bool StartRecorder(const char* path, Recorder* recorder, std::string* error) {
  recorder->steps = 0;
  recorder->recorded = 0;
  recorder->keys = 0;
  recorder->games = {{0, 0, 0, 0, false, {}}};
  if (!CreateRecording(path, 0, 0, &recorder->file, error)) return false;
  // As at start-up, where the recording says its session begins.
  UseLibraryMaths(false);
  g_bestScore = 0;
  NewGame();
  return true;
}

void RecordKey(Recorder* recorder, bool down, int sym) {
  WriteKey(&recorder->file, {recorder->steps, down, sym});
  ++recorder->keys;
  // After "game over" a key press starts the next game, from where the sequence stands.
  if (down && g_gameOver) {
    recorder->games.push_back(
        {recorder->steps, RandomDraws(), g_bestScore, recorder->keys, false, {}});
  }
}

bool RecordedStep(Recorder* recorder, std::string* error) {
  const bool ended = StepWorld();
  ++recorder->steps;
  const bool second = recorder->steps % kCheckpointEvery == 0;
  if (ended || second) {
    const Checkpoint checkpoint = TakeCheckpoint(recorder->steps);
    WriteCheckpoint(&recorder->file, checkpoint);
    if (ended) {
      recorder->games.back().ended = true;
      recorder->games.back().end = checkpoint;
    }
  }
  if (!second || !RecordedWhole(*recorder)) return true;
  if (FlushRecording(&recorder->file)) {
    recorder->recorded = recorder->steps;
    return true;
  }
  *error = recorder->file.failure + "; the game goes on, recorded up to step " +
           std::to_string(recorder->recorded);
  return false;
}

bool StopRecorder(Recorder* recorder, std::string* error) {
  const bool whole = RecordedWhole(*recorder);
  if (CloseRecording(&recorder->file, TakeCheckpoint(recorder->steps)) || !whole) return true;
  *error = recorder->file.failure;
  return false;
}

bool RecordedWhole(const Recorder& recorder) {
  return recorder.file.failure.empty();
}

void DiscardRecorder(Recorder* recorder) {
  DiscardRecording(&recorder->file);
}
