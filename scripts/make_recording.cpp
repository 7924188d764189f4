// Writes the recordings that the tests replay, by playing the game headless through the same
// recorder as the game: `make_recording FILE ordinary` plays a few short games with keys held
// and let go at random, `make_recording FILE deep` keeps one ship alive into the last tier by
// trying every move a few seconds ahead in a forked copy of the whole process, then plays the
// best. Like screenshot, a tool that writes something the repository keeps: here the
// recordings in tests/demo/ that the tests replay.
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "demo/recorder.h"
#include "game/player.h"
#include "game/world.h"

namespace {

constexpr int kKeys[] = {kKeyFire, kKeyUp, kKeyDown, kKeyLeft, kKeyRight};
constexpr int kKeyCount = 5;

Recorder g_recorder;
unsigned g_held = 0;  // bit i: kKeys[i] is down

void Key(bool record, bool down, int sym) {
  if (record) RecordKey(&g_recorder, down, sym);
  down ? OnKeyDown(sym) : OnKeyUp(sym);
}

// A failed write is told at the end, by the exit status.
void Step() {
  std::string error;
  RecordedStep(&g_recorder, &error);
}

// Presses and releases what it takes to hold `keys`; recorded unless only tried ahead.
void Hold(unsigned keys, bool record = true) {
  for (int i = 0; i < kKeyCount; ++i) {
    if (((g_held ^ keys) >> i) & 1u) Key(record, (keys >> i) & 1u, kKeys[i]);
  }
  g_held = keys;
}

// Its own generator: the game's rand must see only the game's draws.
uint32_t g_state = 2026;
unsigned Random(unsigned below) {
  g_state = g_state * 1103515245u + 12345u;
  return (g_state >> 16) % below;
}

void PlayOrdinary() {
  for (int game = 0; game < 4; ++game) {
    while (!g_gameOver) {
      if (Random(20) == 0) Hold(g_held ^ (1u << Random(kKeyCount)));
      Step();
    }
    for (int i = 0; i < 50; ++i) Step();
    if (game == 3) break;
    Hold(0);
    Key(true, true, ' ');  // a new game, as a player starts one
    Key(true, false, ' ');
  }
}

// The ticks a ship survives, up to `ahead`, holding `keys` from now on; score breaks ties.
long Try(unsigned keys, int ahead) {
  Hold(keys, false);
  int survived = 0;
  while (survived < ahead && !g_gameOver) {
    UpdateWorld();
    ++survived;
  }
  return survived * 1000000L + g_player->score;
}

// Every move tried ahead, each in a forked copy of the whole process, and the best held.
void PlayDeep(int lastTick) {
  long* value = static_cast<long*>(
      mmap(nullptr, sizeof(long), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  while (!g_gameOver && g_tick < lastTick) {
    long best = -1;
    unsigned bestKeys = g_held;
    for (unsigned keys = 0; keys < (1u << kKeyCount); ++keys) {
      if ((keys & 6u) == 6u || (keys & 24u) == 24u) continue;  // up and down, left and right
      const pid_t child = fork();
      if (child == 0) {
        *value = Try(keys, 200);
        _exit(0);
      }
      waitpid(child, nullptr, 0);
      if (*value > best) {
        best = *value;
        bestKeys = keys;
      }
    }
    Hold(bestKeys);
    for (int i = 0; i < 10 && !g_gameOver; ++i) Step();
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  std::string error;
  if (argc != 3 || !StartRecorder(argv[1], &g_recorder, &error)) return 2;
  if (std::strcmp(argv[2], "deep") == 0) {
    PlayDeep(10600);
    Hold(0);  // and the crowd gets the ship at last
    for (int i = 0; i < 3000 && !g_gameOver; ++i) Step();
    for (int i = 0; i < 30; ++i) Step();
  } else {
    PlayOrdinary();
  }
  const bool written = StopRecorder(&g_recorder, &error) && RecordedWhole(g_recorder);
  FreeWorld();
  return written ? 0 : 1;
}
