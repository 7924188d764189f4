// Pad events become key events by comparing what the pads hold with what the game was told.
#include "app/gamepad.h"

#include "game/player.h"

namespace {

// SDL 1.2's hat bits; the hat's other bits carry nothing.
constexpr int kHatUp = 1;
constexpr int kHatRight = 2;
constexpr int kHatDown = 4;
constexpr int kHatLeft = 8;
constexpr int kHatBits = kHatUp | kHatRight | kHatDown | kHatLeft;

// The order of Gamepads::keysDown's bits, and of the events of one call.
constexpr int kKeys[] = {kKeyFire, kKeyUp, kKeyDown, kKeyRight, kKeyLeft};
constexpr int kKeyCount = sizeof(kKeys) / sizeof(kKeys[0]);
constexpr unsigned kFire = 1u << 0, kUp = 1u << 1, kDown = 1u << 2, kRight = 1u << 3,
                   kLeft = 1u << 4;

// Where an axis rests after reading `value`, having rested at `held`. Between a quarter and half
// of the travel it stays put, so a stick resting near the edge does not chatter; but a held
// direction lets go once the stick is back inside a quarter of its own side, even when it
// jumped into the gap of the other.
int Steer(int held, int value) {
  if (value > kStickPressTravel) return 1;
  if (value < -kStickPressTravel) return -1;
  if (held > 0 && value < kStickReleaseTravel) return 0;
  if (held < 0 && value > -kStickReleaseTravel) return 0;
  return held;
}

void Apply(Gamepads* gamepads, const PadEvent& event) {
  if (event.pad < 0 || event.pad >= kMaxPads) return;
  PadState& pad = gamepads->pads[event.pad];
  const bool button = event.which >= 0 && event.which < kMaxPadButtons;
  switch (event.type) {
    case PadEventType::kAxis:
      if (event.which == 0) pad.stickX = Steer(pad.stickX, event.value);
      if (event.which == 1) pad.stickY = Steer(pad.stickY, event.value);
      break;
    case PadEventType::kHat:
      if (event.which == 0) pad.hat = event.value & kHatBits;
      break;
    case PadEventType::kButtonDown:
      if (button) pad.buttons.set(event.which);
      break;
    case PadEventType::kButtonUp:
      // A button held since before start-up was never seen going down: its release is dropped.
      if (button) pad.buttons.reset(event.which);
      break;
  }
}

unsigned KeysHeld(const Gamepads& gamepads) {
  unsigned keys = 0;
  for (const PadState& pad : gamepads.pads) {
    if (pad.buttons.any()) keys |= kFire;
    if ((pad.hat & kHatUp) || pad.stickY < 0) keys |= kUp;
    if ((pad.hat & kHatDown) || pad.stickY > 0) keys |= kDown;
    if ((pad.hat & kHatRight) || pad.stickX > 0) keys |= kRight;
    if ((pad.hat & kHatLeft) || pad.stickX < 0) keys |= kLeft;
  }
  return keys;
}

}  // namespace

int TranslatePadEvent(Gamepads* gamepads, const PadEvent& event, LoopEvent out[kMaxPadKeyEvents]) {
  Apply(gamepads, event);
  const unsigned held = KeysHeld(*gamepads);
  int count = 0;
  // Releases first, so a pad rolled from one direction to the next never shows both at once.
  for (bool press : {false, true}) {
    for (int i = 0; i < kKeyCount; ++i) {
      const unsigned bit = 1u << i;
      const bool wanted = (held & bit) != 0, told = (gamepads->keysDown & bit) != 0;
      if (wanted == told || wanted != press) continue;
      out[count++] = {press ? LoopEventType::kKeyDown : LoopEventType::kKeyUp, kKeys[i]};
      gamepads->keysDown ^= bit;
    }
  }
  return count;
}
