// The page's touch controls as one more gamepad: a finger on the stick moves the pad's stick, a
// finger on the fire button holds its button, and a tap on the picture presses and lets go
// another. Plain numbers in and pad events out, so it runs without a browser; the pad's own
// translation then makes keys of them.
#pragma once

#include "app/gamepad.h"

// A browser shows a page four pads at most, so the last slot is free for the touch controls.
constexpr int kTouchPad = kMaxPads - 1;
constexpr int kMaxFingers = 10;        // fingers followed at once; more are ignored
constexpr int kMaxTouchPadEvents = 5;  // both axes, the fire button, a tap's press and release
constexpr int kTouchFireButton = 0;
constexpr int kTouchTapButton = 1;

// The numbers the page sends (web/touch.js).
enum class TouchEventType { kDown = 0, kMove = 1, kUp = 2 };
enum class TouchControl { kNone = 0, kStick = 1, kFire = 2, kPicture = 3 };

struct TouchEvent {
  TouchEventType type;
  int finger;            // the browser's identifier: any number, the same from down to up
  TouchControl control;  // what lies under the finger now
  float x;               // on the stick: from its centre, in its full travel, right positive
  float y;               // down positive, as a pad's stick
};

struct Finger {
  bool down = false;
  int id = 0;
  TouchControl control = TouchControl::kNone;
};

// The fingers on the page, and what the pad has been told.
struct Touches {
  Finger fingers[kMaxFingers];
  int stickFinger = -1;  // the slot of the finger that moves the stick; -1 for none
  int stickX = 0;        // the axes as last sent, -32767 to 32767
  int stickY = 0;
  bool fire = false;  // the fire button as last sent
};

// Applies `event` and writes to `out` the pad events for kTouchPad that bring the pad in line
// with the fingers; returns how many it wrote. The stick follows the first finger on it until
// that one lifts or slides off; the fire button is held while any finger is on it.
int TranslateTouchEvent(Touches* touches, const TouchEvent& event,
                        PadEvent out[kMaxTouchPadEvents]);
