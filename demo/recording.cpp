#include "demo/recording.h"

#include <cerrno>
#include <climits>
#include <cstring>

namespace {

constexpr char kMagic[] = "driftbeam-recording";
constexpr uint32_t kChainStart = 2166136261u;  // FNV-1a's offset basis
constexpr size_t kChecksumLength = 10;         // " *" and eight hex digits

// FNV-1a over the line and its end, carried on from every line before it.
uint32_t Chain(uint32_t hash, const std::string& body) {
  for (const unsigned char c : body + '\n') {
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

enum class LineEnd { kNewline, kTooLong, kCut, kNone };

// One line without its newline. A line longer than any the game writes is not read on: a
// damaged file may have no newline for megabytes.
LineEnd ReadLine(std::FILE* file, std::string* line) {
  line->clear();
  for (int c; (c = std::getc(file)) != EOF;) {
    if (c == '\n') return LineEnd::kNewline;
    if (line->size() == kMaxLineLength) return LineEnd::kTooLong;
    line->push_back(static_cast<char>(c));
  }
  return line->empty() ? LineEnd::kNone : LineEnd::kCut;
}

std::vector<std::string> Split(const std::string& body) {
  std::vector<std::string> tokens(1);
  for (const char c : body) {
    if (c == ' ') {
      tokens.emplace_back();
    } else {
      tokens.back().push_back(c);
    }
  }
  return tokens;
}

// Digits only, no sign: a negative or absurd number is damage, not a value to clamp.
bool ReadCount(const std::string& token, int64_t max, int64_t* value) {
  if (token.empty() || token.size() > 10) return false;
  int64_t v = 0;
  for (const char c : token) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > max) return false;
  *value = v;
  return true;
}

bool ReadInt(const std::string& token, int64_t max, int* value) {
  int64_t v = 0;
  if (!ReadCount(token, max, &v)) return false;
  *value = static_cast<int>(v);
  return true;
}

bool ReadHex(const std::string& token, size_t digits, uint64_t* value) {
  if (token.size() != digits) return false;
  uint64_t v = 0;
  for (const char c : token) {
    const char* hex = "0123456789abcdef";
    const char* at = std::strchr(hex, c);
    if (c == '\0' || at == nullptr) return false;
    v = v * 16 + static_cast<uint64_t>(at - hex);
  }
  *value = v;
  return true;
}

// "c STEP tick T score S best B energy BITS world DIGEST", and the same after "e".
bool ReadCheckpoint(const std::vector<std::string>& t, Checkpoint* c) {
  uint64_t energy = 0;
  const bool read = t.size() == 12 && ReadCount(t[1], kMaxSteps, &c->step) && t[2] == "tick" &&
                    ReadInt(t[3], kMaxSteps, &c->tick) && t[4] == "score" &&
                    ReadInt(t[5], INT_MAX, &c->score) && t[6] == "best" &&
                    ReadInt(t[7], INT_MAX, &c->best) && t[8] == "energy" &&
                    ReadHex(t[9], 8, &energy) && t[10] == "world" && ReadHex(t[11], 16, &c->world);
  c->energy = static_cast<uint32_t>(energy);
  return read;
}

bool ReadKey(const std::vector<std::string>& t, KeyRecord* key) {
  int64_t sym = 0;
  if (t.size() != 4 || !ReadCount(t[1], kMaxSteps, &key->step)) return false;
  if ((t[2] != "d" && t[2] != "u") || !ReadCount(t[3], kMaxKeySym, &sym)) return false;
  key->down = t[2] == "d";
  key->sym = static_cast<int>(sym);
  return true;
}

bool ReadHeader(const std::vector<std::string>& t, Recording* recording) {
  if (t.size() != 5 + kFingerprintValues || t[2] != "game" || t[4] != "rand") return false;
  if (t[3].empty() || t[3].size() > 32) return false;
  recording->gameVersion = t[3];
  for (int i = 0; i < kFingerprintValues; ++i) {
    uint64_t value = 0;
    if (!ReadHex(t[5 + i], 8, &value)) return false;
    recording->fingerprint[i] = static_cast<uint32_t>(value);
  }
  return true;
}

// The order the game writes in, which is the only order a replay can honour: steps never go
// back, a checkpoint at step N comes before the keys handed over after it, one comes at
// every hundredth step, and nothing follows the closing record. So a replay never runs
// more steps than its lines justify.
struct Order {
  int64_t last = 0;  // step of the latest record
  int64_t nextHundred = kCheckpointEvery;

  bool Key(int64_t step) {
    if (step < last || step >= nextHundred) return false;
    last = step;
    return true;
  }
  bool Checkpoint(int64_t step) {
    if (step <= last || step > nextHundred) return false;
    if (step == nextHundred) nextHundred += kCheckpointEvery;
    last = step;
    return true;
  }
  bool End(int64_t step) { return step >= last && step < nextHundred; }
};

// Reads the records after the first line. False, with the line's number, where one is
// damaged or out of order; a last line cut short ends the recording there.
bool ReadRecords(std::FILE* file, uint32_t chain, Recording* recording, int* badLine) {
  Order order;
  std::string line;
  for (int number = 2;; ++number) {
    const LineEnd end = ReadLine(file, &line);
    if (end == LineEnd::kNone) return true;
    *badLine = number;
    if (end == LineEnd::kTooLong || recording->complete) return false;
    uint64_t checksum = 0;
    const size_t size = line.size();
    std::string body;
    bool whole = size > kChecksumLength && line.compare(size - kChecksumLength, 2, " *") == 0 &&
                 ReadHex(line.substr(size - 8), 8, &checksum);
    if (whole) {
      body = line.substr(0, size - kChecksumLength);
      whole = Chain(chain, body) == checksum;
    }
    if (!whole) return end == LineEnd::kCut;  // the game was killed in the middle of a line
    chain = static_cast<uint32_t>(checksum);
    const std::vector<std::string> t = Split(body);
    KeyRecord key;
    Checkpoint checkpoint;
    if (t[0] == "k" && ReadKey(t, &key) && order.Key(key.step)) {
      recording->keys.push_back(key);
    } else if (t[0] == "c" && ReadCheckpoint(t, &checkpoint) && order.Checkpoint(checkpoint.step)) {
      recording->checkpoints.push_back(checkpoint);
    } else if (t[0] == "e" && ReadCheckpoint(t, &checkpoint) && order.End(checkpoint.step)) {
      recording->end = checkpoint;
      recording->complete = true;
    } else {
      return false;
    }
  }
}

std::string Describe(const char* what, int line) {
  return std::string(what) + " at line " + std::to_string(line);
}

bool Load(std::FILE* file, Recording* recording, std::string* error) {
  std::string line;
  const LineEnd end = ReadLine(file, &line);
  if (std::ferror(file)) return false;
  const std::string magic = std::string(kMagic) + ' ';
  if (end != LineEnd::kNewline || line.compare(0, magic.size(), magic) != 0) {
    *error = "not a recording";
    return true;
  }
  const size_t size = line.size();
  const std::vector<std::string> t = Split(line.substr(0, size - kChecksumLength));
  if (t.size() > 1 && t[1] != std::to_string(kFormatVersion)) {
    *error = "a recording in a format this driftbeam does not read";
    return true;
  }
  uint64_t checksum = 0;
  if (size <= kChecksumLength || line.compare(size - kChecksumLength, 2, " *") != 0 ||
      !ReadHex(line.substr(size - 8), 8, &checksum) || !ReadHeader(t, recording) ||
      Chain(kChainStart, line.substr(0, size - kChecksumLength)) != checksum) {
    *error = Describe("damaged", 1);
    return true;
  }
  int badLine = 0;
  const bool read = ReadRecords(file, static_cast<uint32_t>(checksum), recording, &badLine);
  if (std::ferror(file)) return false;
  if (!read) *error = Describe("damaged", badLine);
  return true;
}

void WriteLine(RecordingFile* out, const std::string& body) {
  out->chain = Chain(out->chain, body);
  std::fprintf(out->file, "%s *%08x\n", body.c_str(), out->chain);
}

std::string CheckpointBody(char tag, const Checkpoint& c) {
  char body[kMaxLineLength];
  std::snprintf(body, sizeof body, "%c %lld tick %d score %d best %d energy %08x world %016llx",
                tag, static_cast<long long>(c.step), c.tick, c.score, c.best, c.energy,
                static_cast<unsigned long long>(c.world));
  return body;
}

}  // namespace

bool operator==(const Checkpoint& a, const Checkpoint& b) {
  return a.step == b.step && a.tick == b.tick && a.score == b.score && a.best == b.best &&
         a.energy == b.energy && a.world == b.world;
}

int64_t JustifiedSteps(const Recording& recording) {
  if (recording.complete) return recording.end.step;
  return recording.checkpoints.empty() ? 0 : recording.checkpoints.back().step;
}

bool LoadRecording(const char* path, Recording* recording, std::string* error) {
  *recording = Recording();
  error->clear();
  std::FILE* file = std::fopen(path, "r");
  bool read = file != nullptr && Load(file, recording, error);
  if (!read) *error = std::string("cannot be read: ") + std::strerror(errno);
  if (file != nullptr) std::fclose(file);
  return read && error->empty();
}

bool CreateRecording(const char* path, const uint32_t fingerprint[], RecordingFile* out,
                     std::string* error) {
  out->file = std::fopen(path, "w");
  if (out->file == nullptr) {
    *error = std::string("cannot write ") + path + ": " + std::strerror(errno);
    return false;
  }
  out->chain = kChainStart;
  char body[kMaxLineLength];
  std::snprintf(body, sizeof body, "%s %d game %s rand %08x %08x %08x %08x", kMagic, kFormatVersion,
                DRIFTBEAM_VERSION, fingerprint[0], fingerprint[1], fingerprint[2], fingerprint[3]);
  WriteLine(out, body);
  return true;
}

void WriteKey(RecordingFile* out, const KeyRecord& key) {
  WriteLine(out,
            "k " + std::to_string(key.step) + (key.down ? " d " : " u ") + std::to_string(key.sym));
}

void WriteCheckpoint(RecordingFile* out, const Checkpoint& checkpoint) {
  WriteLine(out, CheckpointBody('c', checkpoint));
}

void FlushRecording(RecordingFile* out) {
  std::fflush(out->file);
}

bool CloseRecording(RecordingFile* out, const Checkpoint& end, std::string* error) {
  WriteLine(out, CheckpointBody('e', end));
  const bool lost = std::ferror(out->file) != 0;
  const int saved = errno;
  const bool closed = std::fclose(out->file) == 0;
  out->file = nullptr;
  if (!lost && closed) return true;
  *error = std::string("the recording could not be written whole: ") +
           std::strerror(lost ? saved : errno);
  return false;
}
