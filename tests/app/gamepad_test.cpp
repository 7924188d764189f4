// Pad and touch event sequences as tables, each with the key releases and presses every event
// produces.
#include "app/gamepad.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "app/touch.h"
#include "game/player.h"

namespace {

constexpr PadEventType kAxis = PadEventType::kAxis, kHat = PadEventType::kHat,
                       kDown = PadEventType::kButtonDown, kUp = PadEventType::kButtonUp;

// "+R" for a press of right, "-F" for a release of fire.
void Log(Gamepads* gamepads, const PadEvent& event, std::string* log) {
  LoopEvent out[kMaxPadKeyEvents];
  const int n = TranslatePadEvent(gamepads, event, out);
  for (int i = 0; i < n; ++i) {
    *log += out[i].type == LoopEventType::kKeyDown ? '+' : '-';
    const std::map<int, char> letters = {
        {kKeyFire, 'F'}, {kKeyUp, 'U'}, {kKeyDown, 'D'}, {kKeyRight, 'R'}, {kKeyLeft, 'L'}};
    *log += letters.at(out[i].sym);
  }
}

// One word per event, "." for nothing.
std::string Translate(const std::vector<PadEvent>& events) {
  Gamepads gamepads;
  std::string log;
  for (const PadEvent& event : events) {
    const size_t start = log.size();
    Log(&gamepads, event, &log);
    if (log.size() == start) log += ".";
    log += " ";
  }
  log.pop_back();
  return log;
}

// One finger put down, moved or lifted, at a place on the stick.
TouchEvent Put(int finger, TouchControl control, float x = 0, float y = 0) {
  return {TouchEventType::kDown, finger, control, x, y};
}
TouchEvent Move(int finger, TouchControl control, float x = 0, float y = 0) {
  return {TouchEventType::kMove, finger, control, x, y};
}
TouchEvent Lift(int finger) {
  return {TouchEventType::kUp, finger, TouchControl::kNone, 0, 0};
}

// The same for touches, through both translations as the page does.
std::string Touch(const std::vector<TouchEvent>& events, Gamepads* gamepads) {
  Touches touches;
  std::string log;
  for (const TouchEvent& event : events) {
    const size_t start = log.size();
    PadEvent pads[kMaxTouchPadEvents];
    const int n = TranslateTouchEvent(&touches, event, pads);
    for (int i = 0; i < n; ++i) Log(gamepads, pads[i], &log);
    if (log.size() == start) log += ".";
    log += " ";
  }
  log.pop_back();
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
      {{{kHat, 0, 0, 1 | 2}, {kHat, 0, 0, 2}, {kHat, 0, 0, 4 | 8}, {kHat, 0, 0, 0}},
       "+U+R -U -R+D+L -D-L"},
      // A direction held twice is pressed once and released by the last to let go.
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

TEST(Gamepad, FingersOnTheTouchControlsPressAndReleaseTheirKeys) {
  constexpr TouchControl kNone = TouchControl::kNone, kStick = TouchControl::kStick,
                         kFire = TouchControl::kFire, kPicture = TouchControl::kPicture;
  const float kNaN = std::nanf("");
  const struct {
    std::vector<TouchEvent> events;
    std::string keys;
  } cases[] = {
      // Steering and firing at once; each finger lifted lets go of its own control alone.
      {{Put(7, kStick, -0.8f, -0.8f), Put(9, kFire), Lift(7), Lift(9)}, "+L+U +F -L-U -F"},
      {{Put(7, kStick, 0, 0.9f), Put(9, kFire), Lift(9), Move(7, kStick, 0, 0.95f)}, "+D +F -F ."},
      // Half the travel presses and a quarter lets go, as on a pad's stick; past the edge is
      // the edge, and NaN no push.
      {{Put(1, kStick, 0.49f, 0), Move(1, kStick, 0.51f, 0), Move(1, kStick, 0.26f, 0),
        Move(1, kStick, 0.24f, 0)},
       ". +R . -R"},
      {{Put(INT_MIN, kStick, kNaN, 5), Move(INT_MIN, kStick, -1e30f, kNaN)}, "+D +L-D"},
      // Sliding off a control lets go of it; sliding onto one takes it, the stick let go first.
      {{Put(1, kStick, 0.9f, 0), Move(1, kNone), Move(1, kStick, 0.9f, 0), Move(1, kFire),
        Move(1, kPicture)},
       "+R -R +R -R+F -F"},
      // The stick follows its first finger; another on it steers once that one has gone.
      {{Put(1, kStick), Put(2, kStick, 1, 0), Move(1, kStick, -1, 0), Lift(1),
        Move(2, kStick, 1, 0)},
       ". . +L -L +R"},
      // A finger put on the picture taps fire at once; moving there, or a tap while fire is
      // held, does nothing; fingers never seen going down are ignored.
      {{Put(1, kPicture), Put(1, kPicture), Move(2, kFire), Put(3, kFire), Put(4, kPicture),
        Lift(5)},
       "+F-F . . +F . ."},
  };
  for (const auto& c : cases) {
    Gamepads gamepads;
    EXPECT_EQ(Touch(c.events, &gamepads), c.keys) << "case " << &c - cases;
  }

  // Ten fingers are followed and the eleventh ignored, even once it moves onto the stick.
  std::vector<TouchEvent> crowd;
  for (int i = 0; i <= kMaxFingers; ++i) crowd.push_back(Put(i, kFire));
  crowd.push_back(Move(kMaxFingers, kStick, -1, 0));
  for (int i = 0; i < kMaxFingers; ++i) crowd.push_back(Lift(i));
  Gamepads gamepads;
  std::string expected = "+F";
  for (int i = 0; i < 2 * kMaxFingers; ++i) expected += " .";
  EXPECT_EQ(Touch(crowd, &gamepads), expected + " -F");

  // The touch controls are a pad of their own: a real pad holding the same arrow keeps it.
  std::string log;
  Log(&gamepads, {kAxis, 0, 0, -32767}, &log);
  log += " " + Touch({Put(1, kStick, -1, 0), Lift(1)}, &gamepads) + " ";
  Log(&gamepads, {kAxis, 0, 0, 0}, &log);
  EXPECT_EQ(log, "+L . . -L");
}
