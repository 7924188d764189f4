#include "demo/recorder.h"

#include "demo/checkpoint.h"
#include "game/world.h"

bool StartRecorder(const char* path, Recorder* recorder, std::string* error) {
  uint32_t fingerprint[kFingerprintValues];
  TakeRandFingerprint(fingerprint);
  recorder->steps = 0;
  if (!CreateRecording(path, fingerprint, &recorder->file, error)) return false;
  g_bestScore = 0;  // as at start-up, where every replay begins
  NewGame();
  return true;
}

void RecordKey(Recorder* recorder, bool down, int sym) {
  WriteKey(&recorder->file, {recorder->steps, down, sym});
}

void RecordedStep(Recorder* recorder) {
  const bool ended = StepWorld();
  ++recorder->steps;
  const bool second = recorder->steps % kCheckpointEvery == 0;
  if (ended || second) WriteCheckpoint(&recorder->file, TakeCheckpoint(recorder->steps));
  if (second) FlushRecording(&recorder->file);
}

bool StopRecorder(Recorder* recorder, std::string* error) {
  return CloseRecording(&recorder->file, TakeCheckpoint(recorder->steps), error);
}
