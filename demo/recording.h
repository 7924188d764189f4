// A recorded game as a text file: its records, reading a file whole and checked, and
// writing one line by line as the game goes. Plain C++ over files: no SDL, no OpenGL.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr int kFormatVersion = 1;
constexpr int64_t kCheckpointEvery = 100;  // steps between checkpoints: one a second of play
constexpr int64_t kMaxSteps = 1000000000;  // 115 days of play; a larger number is damage
constexpr int kMaxKeySym = 322;            // the last key symbol the keyboard interface has
constexpr int kFingerprintValues = 4;      // first values of the C library's rand after srand(1)
constexpr size_t kMaxLineLength = 200;     // longer than any line the game writes

// A key event handed to OnKeyDown or OnKeyUp once `step` steps had run.
struct KeyRecord {
  int64_t step;
  bool down;
  int sym;
};

// The world once `step` steps had run: a few numbers to read, and a digest of every record
// of the ship, the drones and the lasers, floats by their bits.
struct Checkpoint {
  int64_t step = 0;
  int tick = 0;
  int score = 0;
  int best = 0;
  uint32_t energy = 0;  // the bits of the ship's energy
  uint64_t world = 0;
};
bool operator==(const Checkpoint& a, const Checkpoint& b);

struct Recording {
  std::string gameVersion;                   // the driftbeam that wrote it
  uint32_t fingerprint[kFingerprintValues];  // its C library's random sequence
  std::vector<KeyRecord> keys;               // in the order they were handed over
  std::vector<Checkpoint> checkpoints;       // every 100 steps and at the end of every game
  bool complete;                             // the closing record was read
  Checkpoint end;                            // the closing record: the world after the last step
};

// The steps a replay of this recording may run: those its records justify.
int64_t JustifiedSteps(const Recording& recording);

// Reads and checks a whole file before anything of it is replayed. On failure, *error says
// what is wrong in a few words ("not a recording", "damaged at line 7"). A file cut short
// (a game that was killed) loads, without its closing record.
bool LoadRecording(const char* path, Recording* recording, std::string* error);

// The file a game is written to as it goes. Every line carries a checksum chained over every
// line before it, so that a change anywhere is caught.
struct RecordingFile {
  std::FILE* file;
  uint32_t chain;  // checksum of everything written so far
};

// Creates the file and writes its first line; false, with *error, when it cannot.
bool CreateRecording(const char* path, const uint32_t fingerprint[], RecordingFile* out,
                     std::string* error);
void WriteKey(RecordingFile* out, const KeyRecord& key);
void WriteCheckpoint(RecordingFile* out, const Checkpoint& checkpoint);
// Hands what is buffered to the system, without waiting for the disk.
void FlushRecording(RecordingFile* out);
// Writes the closing record and closes the file; false, with *error, when anything written
// since the start was lost.
bool CloseRecording(RecordingFile* out, const Checkpoint& end, std::string* error);
