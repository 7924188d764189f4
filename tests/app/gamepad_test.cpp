// Pad event sequences as a table, each with the key releases and presses every event produces.
#include "app/gamepad.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "game/player.h"

namespace {

constexpr PadEventType kAxis = PadEventType::kAxis, kHat = PadEventType::kHat,
                       kDown = PadEventType::kButtonDown, kUp = PadEventType::kButtonUp;

// One word per event: "+R" for a press of right, "-F" for a release of fire, "." for nothing.
std::string Translate(const std::vector<PadEvent>& events) {
  Gamepads gamepads;
  std::string log;
  for (const PadEvent& event : events) {
    LoopEvent out[kMaxPadKeyEvents];
    const int n = TranslatePadEvent(&gamepads, event, out);
    log += log.empty() ? "" : " ";
    if (n == 0) log += ".";
    for (int i = 0; i < n; ++i) {
      log += out[i].type == LoopEventType::kKeyDown ? '+' : '-';
      const std::map<int, char> letters = {
          {kKeyFire, 'F'}, {kKeyUp, 'U'}, {kKeyDown, 'D'}, {kKeyRight, 'R'}, {kKeyLeft, 'L'}};
      log += letters.at(out[i].sym);
    }
  }
  return log;
}

}  // namespace

TEST(Gamepad, EventSequencesPressAndReleaseTheirKeys) {
  const int kTop = 32767, kBottom = -32768;
  const struct {
    std::vector<PadEvent> events;
    std::string keys;
  } cases[] = {
      // Half the travel presses, a quarter releases, the gap between keeps what was there.
      {{{kAxis, 0, 0, 16384}, {kAxis, 0, 0, 16385}, {kAxis, 0, 0, 8192}, {kAxis, 0, 0, 8191}},
       ". +R . -R"},
      {{{kAxis, 0, 0, -16384}, {kAxis, 0, 0, -16385}, {kAxis, 0, 0, -8192}, {kAxis, 0, 0, -8191}},
       ". +L . -L"},
      {{{kAxis, 0, 1, kBottom}, {kAxis, 0, 1, 0}, {kAxis, 0, 1, kTop}}, "+U -U +D"},
      // Back inside a quarter of the held side lets go, even past the centre.
      {{{kAxis, 0, 0, kTop}, {kAxis, 0, 0, kBottom}, {kAxis, 0, 0, 10000}}, "+R -R+L -L"},
      {{{kAxis, 0, 0, kTop}, {kAxis, 0, 0, -10000}, {kAxis, 0, 0, 10000}}, "+R -R ."},
      {{{kAxis, 0, 0, kTop}, {kAxis, 0, 1, 10000}}, "+R ."},  // each axis keeps its own state
      // Diagonals hold two arrows; a roll releases before it presses.
      {{{kAxis, 0, 0, kTop}, {kAxis, 0, 1, kBottom}, {kAxis, 0, 0, 0}, {kAxis, 0, 1, 0}},
       "+R +U -R -U"},
      {{{kHat, 0, 0, 1 | 2}, {kHat, 0, 0, 2}, {kHat, 0, 0, 4 | 8}, {kHat, 0, 0, 0}},
       "+U+R -U -R+D+L -D-L"},
      // A direction held twice is pressed once and released by the last to let go.
      {{{kHat, 0, 0, 1}, {kAxis, 0, 1, kBottom}, {kHat, 0, 0, 0}, {kAxis, 0, 1, 0}}, "+U . . -U"},
      {{{kAxis, 0, 0, kTop}, {kAxis, 1, 0, kTop}, {kAxis, 0, 0, 0}, {kAxis, 1, 0, 0}}, "+R . . -R"},
      // Every button fires: the first down presses, the last up releases.
      {{{kDown, 0, 0, 0}, {kDown, 0, 3, 0}, {kUp, 0, 0, 0}, {kUp, 0, 3, 0}}, "+F . . -F"},
      {{{kDown, 0, 1, 0}, {kDown, 1, 1, 0}, {kUp, 0, 1, 0}, {kUp, 1, 1, 0}}, "+F . . -F"},
      {{{kUp, 0, 2, 0}, {kDown, 0, 2, 0}, {kUp, 0, 5, 0}, {kUp, 0, 2, 0}},
       ". +F . -F"},  // 2 and 5 held before start
      // Other axes and hats, and pads and buttons out of range, change nothing.
      {{{kAxis, 0, 2, kTop}, {kAxis, 0, 3, kBottom}, {kHat, 0, 1, 1}, {kAxis, 0, -1, kTop}},
       ". . . ."},
      {{{kAxis, 8, 0, kTop}, {kAxis, -1, 0, kTop}, {kHat, INT_MAX, 0, 1}, {kDown, INT_MIN, 0, 0}},
       ". . . ."},
      {{{kDown, 0, 256, 0}, {kDown, 0, -1, 0}, {kUp, 0, -1, 0}, {kHat, 0, INT_MIN, 1}}, ". . . ."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Translate(c.events), c.keys) << "case " << &c - cases;
  }
}
