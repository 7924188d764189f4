#include "demo/recording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A file as large as it was when opened: one still being written is read as far as it went
// then, and never waited on.
struct Source {
  std::FILE* file;
  int64_t left;  // bytes not read yet
};

// One line without its newline. A line longer than any the game writes is not read on: a
// damaged file may have no newline for megabytes.
LineEnd ReadLine(Source* in, std::string* line) {
  line->clear();
  for (int c; in->left > 0 && (c = std::getc(in->file)) != EOF;) {
    --in->left;
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

// Up to 18 digits: the draws of a session, which a busy last tier takes by the million.
bool ReadDraws(const std::string& token, uint64_t* value) {
  if (token.empty() || token.size() > 18 || token.find_first_not_of("0123456789") != token.npos) {
    return false;
  }
  *value = std::stoull(token);
  return *value <= kMaxDraws;
}

// "driftbeam-recording 1 game V rand R0 R1 R2 R3", as 1.0.0 wrote it, or
// "driftbeam-recording 2 game V draws D best B".
bool ReadHeader(const std::vector<std::string>& t, Recording* recording) {
  if (t.size() < 4 || t[2] != "game" || t[3].empty() || t[3].size() > 32) return false;
  recording->gameVersion = t[3];
  if (recording->format == kFormatVersion) {
    return t.size() == 8 && t[4] == "draws" && ReadDraws(t[5], &recording->draws) &&
           t[6] == "best" && ReadInt(t[7], INT_MAX, &recording->best);
  }
  if (t.size() != 5 + kFingerprintValues || t[4] != "rand") return false;
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
bool ReadRecords(Source* in, uint32_t chain, Recording* recording, int* badLine) {
  Order order;
  std::string line;
  for (int number = 2;; ++number) {
    const LineEnd end = ReadLine(in, &line);
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

bool Load(Source* in, Recording* recording, std::string* error) {
  std::string line;
  const LineEnd end = ReadLine(in, &line);
  if (std::ferror(in->file)) return false;
  const std::string magic = std::string(kMagic) + ' ';
  if (end != LineEnd::kNewline || line.compare(0, magic.size(), magic) != 0) {
    *error = "not a recording";
    return true;
  }
  const size_t size = line.size();
  const std::vector<std::string> t = Split(line.substr(0, size - kChecksumLength));
  if (t.size() > 1 && t[1] == std::to_string(kFormatVersion)) {
    recording->format = kFormatVersion;
  } else if (t.size() > 1 && t[1] == std::to_string(kLibraryMathsFormat)) {
    recording->format = kLibraryMathsFormat;
  } else {
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
  const bool read = ReadRecords(in, static_cast<uint32_t>(checksum), recording, &badLine);
  if (std::ferror(in->file)) return false;
  if (!read) *error = Describe("damaged", badLine);
  return true;
}

std::string Cause(const char* what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

// The first failure is the one to tell: nothing is written after it, so that the file keeps
// a valid recording of everything flushed before.
bool Fail(RecordingFile* out, int error) {
  if (out->failure.empty()) out->failure = Cause("cannot be written", error);
  out->lines.clear();
  return false;
}

// The line as written after those chained into `chain`, which it carries on.
std::string Line(uint32_t chain, const std::string& body) {
  char end[16];
  std::snprintf(end, sizeof end, " *%08x\n", chain);
  return body + end;
}

void WriteLine(RecordingFile* out, const std::string& body) {
  out->chain = Chain(out->chain, body);
  if (!out->failure.empty()) return;
  out->lines += Line(out->chain, body);
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
  // A FIFO opens at once, whether or not anything writes to it.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat status;
  if (fd < 0 || fstat(fd, &status) != 0) {
    *error = Cause("cannot be read", errno);
    if (fd >= 0) close(fd);
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    *error = S_ISDIR(status.st_mode) ? Cause("cannot be read", EISDIR)
                                     : "cannot be read: not a regular file";
    close(fd);
    return false;
  }
  Source in = {fdopen(fd, "r"), static_cast<int64_t>(status.st_size)};
  if (in.file == nullptr) {
    *error = Cause("cannot be read", errno);
    close(fd);
    return false;
  }
  if (!Load(&in, recording, error)) *error = Cause("cannot be read", errno);
  std::fclose(in.file);
  return error->empty();
}

std::string RecordingText(const Recording& recording) {
  RecordingFile out = {-1, kChainStart, "", "", false, ""};
  char body[kMaxLineLength];
  std::snprintf(body, sizeof body, "%s %d game %s draws %llu best %d", kMagic, kFormatVersion,
                recording.gameVersion.c_str(), static_cast<unsigned long long>(recording.draws),
                recording.best);
  WriteLine(&out, body);
  // A checkpoint at a step comes before the keys handed over after that step.
  size_t k = 0;
  for (const Checkpoint& checkpoint : recording.checkpoints) {
    for (; k < recording.keys.size() && recording.keys[k].step < checkpoint.step; ++k) {
      WriteKey(&out, recording.keys[k]);
    }
    WriteCheckpoint(&out, checkpoint);
  }
  for (; k < recording.keys.size(); ++k) WriteKey(&out, recording.keys[k]);
  WriteLine(&out, CheckpointBody('e', recording.end));
  return out.lines;
}

bool CreateRecording(const char* path, uint64_t draws, int best, RecordingFile* out,
                     std::string* error) {
  *out = {-1, kChainStart, "", path, false, ""};
  struct stat status;
  if (stat(path, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
    *error = "already exists; remove it first to record a new game in its place";
    return false;
  }
  // Non-blocking: a FIFO that nothing reads is refused at once instead of holding up the
  // start, and one that stops reading fails a flush instead of stopping the game.
  const int flags = O_WRONLY | O_NONBLOCK | O_CLOEXEC;
  out->fd = open(path, flags | O_CREAT | O_EXCL, 0666);
  out->created = out->fd >= 0;
  if (out->fd < 0 && errno == EEXIST) out->fd = open(path, flags);
  if (out->fd < 0) {
    *error = Cause("cannot be written", errno);
    return false;
  }
  char body[kMaxLineLength];
  std::snprintf(body, sizeof body, "%s %d game %s draws %llu best %d", kMagic, kFormatVersion,
                DRIFTBEAM_VERSION, static_cast<unsigned long long>(draws), best);
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

bool FlushRecording(RecordingFile* out) {
  if (!out->failure.empty()) return false;
  for (size_t done = 0; done < out->lines.size();) {
    const ssize_t n = write(out->fd, out->lines.data() + done, out->lines.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(out, n < 0 ? errno : EIO);
    done += static_cast<size_t>(n);
  }
  out->lines.clear();
  return true;
}

bool CloseRecording(RecordingFile* out, const Checkpoint& end) {
  WriteLine(out, CheckpointBody('e', end));
  FlushRecording(out);
  // Some file systems report a lost write only here.
  if (close(out->fd) != 0 && errno != EINTR) Fail(out, errno);
  out->fd = -1;
  return out->failure.empty();
}

std::string ClosingLine(const RecordingFile& out, const Checkpoint& end) {
  const std::string body = CheckpointBody('e', end);
  return Line(Chain(out.chain, body), body);
}

void DiscardRecording(RecordingFile* out) {
  if (out->fd >= 0) close(out->fd);
  out->fd = -1;
  if (out->created) std::remove(out->path.c_str());
}
