#include "tests/fuzz/as_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The chain the game writes, worked out here on its own: FNV-1a over each line's text and
// its newline, carried from line to line.
uint32_t Chain(uint32_t hash, const std::string& body) {
  for (const unsigned char c : body + '\n') {
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

}  // namespace

// Every line that has a newline gets the checksum it should have, in place of the one it ends
// with, if any; a last line without one stays as it is, cut off.
std::string Sealed(const std::string& bytes) {
  const size_t kTail = 10;  // " *" and eight hex digits
  uint32_t chain = 2166136261u;
  std::string out;
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string body = bytes.substr(start, end - start);
    if (body.size() >= kTail && body.compare(body.size() - kTail, 2, " *") == 0) {
      body.resize(body.size() - kTail);
    }
    chain = Chain(chain, body);
    char tail[16];
    std::snprintf(tail, sizeof tail, " *%08x\n", chain);
    out += body + tail;
  }
  return out + bytes.substr(start);
}

namespace {

// One file in memory for the whole run, opened by its name under /proc as a player's file is.
const char* Hold(const std::string& bytes) {
  static const int fd = memfd_create("recording", 0);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (fd < 0 || ftruncate(fd, 0) != 0 ||
      pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
    std::perror("fuzz: a file in memory");
    std::abort();
  }
  return path.c_str();
}

}  // namespace

void AsFiles(const uint8_t* data, size_t size, const std::function<void(const char*)>& use) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  use(Hold(bytes));
  const std::string sealed = Sealed(bytes);
  if (sealed != bytes) use(Hold(sealed));
}
