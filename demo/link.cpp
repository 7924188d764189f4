#include "demo/link.h"

#include <sys/stat.h>

#include <climits>
#include <cstring>

#include "game/player.h"

namespace {

// The bytes, before base64url: a mark and a version, where the game began, its keys as step
// deltas and codes, its closing checkpoint, and FNV-1a over all of it, so that a character
// changed anywhere is told from another game. The mark makes every link start "2w", and tells
// another page's address from a damaged link.
constexpr unsigned char kLinkMark = 0xdb;
constexpr unsigned char kLinkVersion = 1;
constexpr int kChecksumBytes = 4;

// The keys a game is played with take one byte each: their index here, then the direction.
constexpr int kCommonKeys[] = {kKeyFire, kKeyUp, kKeyDown, kKeyRight, kKeyLeft};
constexpr int kCommonCount = 5;

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

uint32_t Fnv(const std::string& bytes) {
  uint32_t hash = 2166136261u;
  for (const unsigned char c : bytes) {
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

void PutNumber(std::string* out, uint64_t value) {
  for (; value >= 0x80; value >>= 7) out->push_back(static_cast<char>((value & 0x7f) | 0x80));
  out->push_back(static_cast<char>(value));
}

void PutFixed(std::string* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>(value >> (8 * i)));
}

int KeyCode(const KeyRecord& key) {
  int index = kCommonCount + key.sym;
  for (int i = 0; i < kCommonCount; ++i) {
    if (kCommonKeys[i] == key.sym) index = i;
  }
  return index << 1 | (key.down ? 1 : 0);
}

std::string Base64(const std::string& bytes) {
  std::string text;
  uint32_t bits = 0;
  int count = 0;
  for (const unsigned char c : bytes) {
    bits = bits << 8 | c;
    for (count += 8; count >= 6; count -= 6) text.push_back(kAlphabet[bits >> (count - 6) & 63]);
  }
  if (count > 0) text.push_back(kAlphabet[bits << (6 - count) & 63]);
  return text;
}

bool FromBase64(const std::string& text, std::string* bytes) {
  uint32_t bits = 0;
  int count = 0;
  for (const char c : text) {
    const char* at = c == '\0' ? nullptr : std::strchr(kAlphabet, c);
    if (at == nullptr) return false;
    bits = bits << 6 | static_cast<uint32_t>(at - kAlphabet);
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes->push_back(static_cast<char>(bits >> count));
    }
  }
  return true;
}

// Reads the bytes in order; any read past the end, or a number too large, spoils it.
struct Reader {
  const std::string& bytes;
  size_t at = 0;
  bool good = true;

  uint64_t Number(uint64_t most) {
    uint64_t value = 0;
    for (int shift = 0; good; shift += 7) {
      if (at == bytes.size() || shift > 63) break;
      const unsigned char c = static_cast<unsigned char>(bytes[at++]);
      value |= static_cast<uint64_t>(c & 0x7f) << shift;
      if ((c & 0x80) == 0) {
        good = value <= most && (shift == 0 || c != 0);  // one way to write each number
        return good ? value : 0;
      }
    }
    good = false;
    return 0;
  }
  uint64_t Fixed(int count) {
    if (bytes.size() - at < static_cast<size_t>(count)) good = false;
    if (!good) return 0;
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
      value |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[at++])) << (8 * i);
    }
    return value;
  }
};

bool ReadKey(Reader* in, int64_t* step, KeyRecord* key) {
  *step += static_cast<int64_t>(in->Number(kMostLinkSteps));
  const uint64_t code = in->Number((kCommonCount + kMaxKeySym) << 1 | 1);
  const int index = static_cast<int>(code >> 1);
  *key = {*step, (code & 1) != 0, index < kCommonCount ? kCommonKeys[index] : index - kCommonCount};
  return in->good && key->sym <= kMaxKeySym;
}

}  // namespace

Recording GameOfSession(const Recording& session, const GameMark& mark) {
  Recording game;
  game.format = kFormatVersion;
  game.gameVersion = session.gameVersion;
  game.draws = mark.draws;
  game.best = mark.best;
  // Keys handed over after its last step belong to what came after it.
  for (size_t k = mark.firstKey; k < session.keys.size(); ++k) {
    KeyRecord key = session.keys[k];
    if (key.step >= mark.end.step) break;
    key.step -= mark.firstStep;
    game.keys.push_back(key);
  }
  game.complete = true;
  game.end = mark.end;
  game.end.step -= mark.firstStep;
  game.endOnly = true;
  return game;
}

std::string EncodeLink(const Recording& game) {
  std::string bytes = {static_cast<char>(kLinkMark), static_cast<char>(kLinkVersion)};
  PutNumber(&bytes, game.draws);
  PutNumber(&bytes, static_cast<uint64_t>(game.best));
  PutNumber(&bytes, game.keys.size());
  int64_t step = 0;
  for (const KeyRecord& key : game.keys) {
    PutNumber(&bytes, static_cast<uint64_t>(key.step - step));
    PutNumber(&bytes, static_cast<uint64_t>(KeyCode(key)));
    step = key.step;
  }
  const Checkpoint& end = game.end;
  PutNumber(&bytes, static_cast<uint64_t>(end.step));
  PutNumber(&bytes, static_cast<uint64_t>(end.tick));
  PutNumber(&bytes, static_cast<uint64_t>(end.score));
  PutNumber(&bytes, static_cast<uint64_t>(end.best));
  PutFixed(&bytes, end.energy, 4);
  PutFixed(&bytes, end.world, 8);
  PutFixed(&bytes, Fnv(bytes), kChecksumBytes);
  return Base64(bytes);
}

bool DecodeLink(const std::string& text, Recording* game, std::string* error) {
  *game = Recording();
  // What follows the '#' of an address, without the blanks a paste may bring along.
  size_t from = text.rfind('#');
  from = from == std::string::npos ? 0 : from + 1;
  size_t to = text.size();
  while (from < to && std::strchr(" \t\r\n", text[from]) != nullptr) ++from;
  while (to > from && std::strchr(" \t\r\n", text[to - 1]) != nullptr) --to;
  if (to - from > kMostLinkLength) {
    *error = "longer than 30 minutes of play";
    return false;
  }
  std::string bytes;
  if (to == from || !FromBase64(text.substr(from, to - from), &bytes) ||
      bytes.size() <= 2 + kChecksumBytes || static_cast<unsigned char>(bytes[0]) != kLinkMark) {
    *error = "not a link to a game";
    return false;
  }
  const std::string body = bytes.substr(0, bytes.size() - kChecksumBytes);
  Reader sum{bytes, body.size()};
  if (sum.Fixed(kChecksumBytes) != Fnv(body)) {
    *error = "damaged";
    return false;
  }
  if (static_cast<unsigned char>(body[1]) != kLinkVersion) {
    *error = "a link in a format this driftbeam does not read";
    return false;
  }
  Reader in{body, 2};
  game->format = kFormatVersion;
  game->draws = in.Number(kMaxDraws);
  game->best = static_cast<int>(in.Number(INT_MAX));
  const uint64_t keys = in.Number(body.size());  // each takes two bytes at least
  int64_t step = 0;
  for (uint64_t k = 0; k < keys && in.good; ++k) {
    KeyRecord key;
    if (ReadKey(&in, &step, &key)) game->keys.push_back(key);
  }
  Checkpoint& end = game->end;
  end.step = static_cast<int64_t>(in.Number(INT64_MAX));
  end.tick = static_cast<int>(in.Number(kMaxSteps));
  end.score = static_cast<int>(in.Number(INT_MAX));
  end.best = static_cast<int>(in.Number(INT_MAX));
  end.energy = static_cast<uint32_t>(in.Fixed(4));
  end.world = in.Fixed(8);
  // The game ends after its last key: a key after its end would belong to another game.
  if (!in.good || in.at != body.size() ||
      (!game->keys.empty() && game->keys.back().step >= end.step)) {
    *error = "damaged";
    return false;
  }
  if (end.step == 0) {  // a game ends in a step of its own
    *error = "damaged";
    return false;
  }
  if (end.step > kMostLinkSteps) {
    *error = "longer than 30 minutes of play";
    return false;
  }
  game->complete = true;
  game->endOnly = true;
  return true;
}

bool LooksLikeLink(const std::string& argument) {
  return argument.find('#') != std::string::npos || argument.compare(0, 7, "http://") == 0 ||
         argument.compare(0, 8, "https://") == 0;
}

bool LoadGame(const std::string& argument, Recording* recording, std::string* name,
              std::string* error) {
  // A file of that name comes first: a bare link is taken for one only where no file is.
  struct stat status;
  const bool link = LooksLikeLink(argument) || (stat(argument.c_str(), &status) != 0 &&
                                                DecodeLink(argument, recording, error));
  *name = link ? "link" : argument;
  return link ? DecodeLink(argument, recording, error)
              : LoadRecording(argument.c_str(), recording, error);
}
