// Joysticks as the keyboard: the d-pad and the first stick steer with the arrow keys, every
// button fires. Plain numbers in and key events out, so it runs without a joystick or SDL.
#pragma once

#include <bitset>

#include "app/loop.h"

constexpr int kMaxPads = 8;                // pads 0 to 7; higher indices are ignored
constexpr int kMaxPadButtons = 256;        // SDL numbers a pad's buttons with one byte
constexpr int kMaxPadKeyEvents = 5;        // one event per key: the most a call can produce
constexpr int kStickPressTravel = 16384;   // past half the travel an axis presses its arrow
constexpr int kStickReleaseTravel = 8192;  // back inside a quarter it lets go

enum class PadEventType { kAxis, kHat, kButtonDown, kButtonUp };

// One joystick event, its numbers as SDL delivers them.
struct PadEvent {
  PadEventType type;
  int pad;    // joystick index
  int which;  // axis, hat or button number
  int value;  // axis position -32768 to 32767, or the hat's direction bits; unused for buttons
};

// What one pad holds now.
struct PadState {
  int hat = 0;                          // direction bits of hat 0
  int stickX = 0;                       // -1 left, 0 centred, 1 right, once past the thresholds
  int stickY = 0;                       // -1 up, 0 centred, 1 down
  std::bitset<kMaxPadButtons> buttons;  // the buttons seen going down and not yet up
};

// Every pad, and the keys the game has been told are down.
struct Gamepads {
  PadState pads[kMaxPads];
  unsigned keysDown = 0;  // bit i for the i-th of fire, up, down, right, left
};

// Applies `event` and writes to `out` the key releases, then the key presses, that bring the
// game's keys in line with what all pads hold together; returns how many it wrote. A key held
// by several pads or by both the d-pad and the stick is pressed once and released when the
// last lets go.
int TranslatePadEvent(Gamepads* gamepads, const PadEvent& event, LoopEvent out[kMaxPadKeyEvents]);
