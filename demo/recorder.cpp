#include "demo/recorder.h"

#include <cstdio>

#include "demo/checkpoint.h"
#include "game/maths.h"
#include "game/world.h"

bool StartRecorder(const char* path, Recorder* recorder, std::string* error, uint64_t draws,
                   int best) {
  recorder->steps = 0;
  recorder->recorded = 0;
  recorder->keys = 0;
  recorder->games = {{0, draws, best, 0, false, {}}};
  if (!CreateRecording(path, draws, best, &recorder->file, error)) return false;
  // Where the recording says its session begins.
  UseLibraryMaths(false);
  SetRandomDraws(draws);
  g_bestScore = best;
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

std::string SessionSoFar(Recorder* recorder) {
  RecordingFile& file = recorder->file;
  if (!RecordedWhole(*recorder) || (file.fd >= 0 && !FlushRecording(&file))) return "";
  // Read back with stdio: iostreams would double the size of the page's WebAssembly.
  std::FILE* in = std::fopen(file.path.c_str(), "rb");
  if (in == nullptr) return "";
  std::string text;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) text.append(chunk, n);
  const bool read = std::ferror(in) == 0;
  std::fclose(in);
  if (!read) return "";
  // A closed file has its closing record already.
  if (file.fd < 0) return text;
  return text + ClosingLine(file, TakeCheckpoint(recorder->steps));
}

bool RecordedWhole(const Recorder& recorder) {
  return recorder.file.failure.empty();
}

void DiscardRecorder(Recorder* recorder) {
  DiscardRecording(&recorder->file);
}
