#include "app/sound_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "app/output_file.h"
#include "app/replay_sound.h"
#include "demo/link.h"

namespace {

constexpr int kBytesPerFrame = 4;  // two 16-bit samples
constexpr int kHeaderBytes = 44;
constexpr uint64_t kMostDataBytes = 0xFFFFFFFFull - (kHeaderBytes - 8);  // RIFF's sizes are 32-bit

void Put(unsigned char** at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) *(*at)++ = static_cast<unsigned char>(value >> (8 * i));
}

void Tag(unsigned char** at, const char* tag) {
  const size_t length = std::strlen(tag);
  std::memcpy(*at, tag, length);
  *at += length;
}

// WAV is little-endian whatever the machine, so every number is written out byte by byte.
struct WavFile {
  std::FILE* file;
  uint32_t dataBytes;
  int error;  // errno of the first failure, 0 while all is well

  void Bytes(const void* data, size_t size) {
    if (error == 0 && std::fwrite(data, 1, size, file) != size) error = errno != 0 ? errno : EIO;
  }
  void Header() {
    unsigned char header[kHeaderBytes];
    unsigned char* at = header;
    Tag(&at, "RIFF");
    Put(&at, kHeaderBytes - 8 + dataBytes, 4);
    Tag(&at, "WAVEfmt ");
    Put(&at, 16, 4);  // the format chunk's size
    Put(&at, 1, 2);   // PCM
    Put(&at, 2, 2);   // stereo
    Put(&at, kSampleRate, 4);
    Put(&at, kSampleRate * kBytesPerFrame, 4);
    Put(&at, kBytesPerFrame, 2);
    Put(&at, 16, 2);  // bits a sample
    Tag(&at, "data");
    Put(&at, dataBytes, 4);
    Bytes(header, sizeof header);
  }
  void Tick(const int16_t* frames) {
    unsigned char bytes[kFramesPerTick * kBytesPerFrame];
    unsigned char* at = bytes;
    for (int i = 0; i < kFramesPerTick * 2; ++i) Put(&at, static_cast<uint16_t>(frames[i]), 2);
    Bytes(bytes, sizeof bytes);
    dataBytes += sizeof bytes;
  }
  // The sizes are known only at the end; they go back into the header.
  void Close() {
    if (error == 0 && std::fseek(file, 0, SEEK_SET) != 0) error = errno;
    Header();
    if (std::fclose(file) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  }
};

}  // namespace

bool CheckWithSound(const char* path, const char* wavPath, std::string* line) {
  Recording recording;
  std::string name, error;
  if (!LoadGame(path, &recording, &name, &error)) {
    *line = name + ": " + error;
    return false;
  }
  const uint64_t mostBytes = static_cast<uint64_t>(JustifiedSteps(recording) + kMostTailTicks) *
                             kFramesPerTick * kBytesPerFrame;
  if (mostBytes > kMostDataBytes) {
    *line = std::string(wavPath) + ": the recording is too long for a WAV file";
    return false;
  }
  WavFile wav = {std::fopen(wavPath, "wb"), 0, 0};
  if (wav.file == nullptr) {
    *line = std::string(wavPath) + ": cannot write: " + std::strerror(errno);
    return false;
  }
  wav.Header();
  ReplaySound sound;
  StartReplaySound(recording, &sound);
  int16_t frames[kFramesPerTick * 2];
  while (NextSoundTick(&sound, frames)) wav.Tick(frames);
  wav.Close();
  *line = ReplayVerdict(name.c_str(), sound.replay);
  if (wav.error != 0) *line = std::string(wavPath) + ": cannot write: " + std::strerror(wav.error);
  if (wav.error == 0 && sound.replay.fault.empty()) return true;
  // A replay that went astray made another game's sound.
  RemoveOutput(wavPath);
  return false;
}
