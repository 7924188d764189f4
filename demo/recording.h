// A recorded game as a text file: its records, reading a file whole and checked, and
// writing one line by line as the game goes. Plain C++ over files: no SDL, no OpenGL.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr int kFormatVersion = 2;          // written from 1.1.0 on: the game's own maths
constexpr int kLibraryMathsFormat = 1;     // written by 1.0.0, with the C library's maths
constexpr int64_t kCheckpointEvery = 100;  // steps between checkpoints: one a second of play
constexpr int64_t kMaxSteps = 1000000000;  // 115 days of play; a larger number is damage
constexpr int kMaxKeySym = 322;            // the last key symbol the keyboard interface has
constexpr int kFingerprintValues = 4;      // first values of the C library's rand after srand(1)
constexpr uint64_t kMaxDraws = 1000000000000000000;  // far past any session; more is damage
constexpr size_t kMaxLineLength = 200;               // longer than any line the game writes

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
  int format;                                // kFormatVersion, or 1.0.0's kLibraryMathsFormat
  std::string gameVersion;                   // the driftbeam that wrote it
  uint32_t fingerprint[kFingerprintValues];  // format 1: its C library's random sequence
  uint64_t draws;  // format 2: random draws taken before its first step; 0 for a session
  int best;        // format 2: the best score shown before its first step; 0 for a session
  std::vector<KeyRecord> keys;          // in the order they were handed over
  std::vector<Checkpoint> checkpoints;  // every 100 steps and at the end of every game
  bool complete;                        // the closing record was read
  Checkpoint end;                       // the closing record: the world after the last step
  bool endOnly;  // one game from a link: its closing record its only checkpoint, at its end
};

// The steps a replay of this recording may run: those its records justify.
int64_t JustifiedSteps(const Recording& recording);

// Reads and checks a whole file before anything of it is replayed. On failure, *error says
// what is wrong in a few words ("not a recording", "damaged at line 7"). A file cut short
// (a game that was killed) loads, without its closing record. Only a regular file is read,
// and only as much of it as it held when opened: a device or a pipe could go on for ever.
bool LoadRecording(const char* path, Recording* recording, std::string* error);

// The whole text of a recording file of format 2 holding these records: its first line, then
// the keys and checkpoints in the order a replay meets them, then the closing record, each
// line chained as the game chains it. For a game that is not at hand as a file, such as one
// read from a link once its checkpoints have been taken again.
std::string RecordingText(const Recording& recording);

// The file a game is written to as it goes. Every line carries a checksum chained over every
// line before it, so that a change anywhere is caught.
struct RecordingFile {
  int fd;               // -1 once closed
  uint32_t chain;       // checksum of everything written so far
  std::string lines;    // written but not yet handed to the system
  std::string path;     // for messages, and to take back a file that holds no game
  bool created;         // this game made the file
  std::string failure;  // why the file stopped taking lines; empty while every line went out
};

// Creates the file and writes its first line, for a session that starts `draws` random draws
// into the sequence with `best` as the best score (0 and 0 from start-up); false, with *error,
// when it cannot. A regular file that holds anything is refused: a kept game is never written
// over. A device or a pipe is written to as it is; a pipe that nothing reads is refused
// rather than waited for.
bool CreateRecording(const char* path, uint64_t draws, int best, RecordingFile* out,
                     std::string* error);
void WriteKey(RecordingFile* out, const KeyRecord& key);
void WriteCheckpoint(RecordingFile* out, const Checkpoint& checkpoint);
// Hands the lines written so far to the system, without waiting for the disk. False at the
// first failure, with out->failure saying why; nothing is written after it, so the file
// holds every line up to the last flush that went through.
bool FlushRecording(RecordingFile* out);
// Writes the closing record, hands it over and closes the file; false, with out->failure,
// when any of it failed, now or before.
bool CloseRecording(RecordingFile* out, const Checkpoint& end);
// The closing record as CloseRecording would write it now, its end and checksum included, for
// a copy of the file closed here while the file itself goes on.
std::string ClosingLine(const RecordingFile& out, const Checkpoint& end);
// Closes the file of a game that never began and removes it if this game made it.
void DiscardRecording(RecordingFile* out);
