#include "app/audio.h"

#include <SDL.h>
#include <fcntl.h>
#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "sound/cues.h"
#include "sound/stream.h"
#include "sound/synth.h"

namespace {

// 1,024 frames is 21 ms: a sound follows its event within about a tick or two of that.
constexpr int kDeviceFrames = 1024;

bool g_open = false;
SoundBank g_bank;
SoundStream g_stream;
WorldGlance g_glance;
std::atomic<bool> g_clockKnown{false};
clockid_t g_threadClock;  // the device thread's processor clock, once known

void Fill(void*, Uint8* bytes, int length) {
#ifndef __EMSCRIPTEN__  // a browser fills the device from its own page: no thread to time
  if (!g_clockKnown.load(std::memory_order_relaxed) &&
      pthread_getcpuclockid(pthread_self(), &g_threadClock) == 0) {
    g_clockKnown.store(true, std::memory_order_release);
  }
#endif
  StreamFrames(&g_stream, reinterpret_cast<int16_t*>(bytes), length / 4);
}

// SDL tries one driver after another, and ALSA writes every failed try to the terminal even
// where a later one succeeds: while SDL looks, the terminal hears nothing.
class QuietStderr {
 public:
  QuietStderr() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, STDERR_FILENO);
      close(null);
    }
  }
  ~QuietStderr() {
    if (saved_ < 0) return;
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }

 private:
  int saved_;
};

bool OpenDevice() {
  QuietStderr quiet;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want = {};
  want.freq = kSampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = kDeviceFrames;
  want.callback = Fill;
  // Nothing asked back: SDL converts from this format to whatever the device takes.
  if (SDL_OpenAudio(&want, nullptr) == 0) return true;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return false;
}

}  // namespace

bool OpenSound(bool muted) {
  if (!OpenDevice()) return false;
  // The device opens paused: its callback runs only once the sounds are made.
  BuildSoundBank(&g_bank);
  StartStream(&g_stream, &g_bank, muted);
  g_open = true;
  SDL_PauseAudio(0);
  return true;
}

void CloseSound() {
  if (!g_open) return;
  SDL_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  g_open = false;
  g_clockKnown.store(false);
}

void SoundBeforeStep() {
  if (g_open) TakeGlance(&g_glance);
}

void SoundAfterStep() {
  if (g_open) SendCues(&g_stream, FindCues(g_glance));
}

void SoundRingsOut() {
  if (g_open) SendCues(&g_stream, QuietCues());
}

bool SoundPlaying() {
  return g_open && !g_stream.muted.load() && StreamPlaying(g_stream);
}

void ToggleMute() {
  g_stream.muted.store(!g_stream.muted.load());
}

void PauseSound(bool paused) {
  if (g_open) SDL_PauseAudio(paused ? 1 : 0);
}

double SoundThreadSeconds() {
  if (!g_clockKnown.load(std::memory_order_acquire)) return 0.0;
  timespec ts;
  if (clock_gettime(g_threadClock, &ts) != 0) return 0.0;
  return ts.tv_sec + ts.tv_nsec / 1e9;
}
