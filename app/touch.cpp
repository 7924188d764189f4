// Fingers become the moves of one pad: its stick, its fire button and a tap button.
#include "app/touch.h"

#include <cmath>

namespace {

constexpr float kFullTravel = 32767.0f;  // a pad's stick pushed to its edge

// A finger past the stick's edge pushes no further than the edge. The page measures with the
// layout, where a control not yet laid out has no size: NaN is no push at all.
int Axis(float travel) {
  if (std::isnan(travel)) return 0;
  if (travel > 1.0f) travel = 1.0f;
  if (travel < -1.0f) travel = -1.0f;
  return static_cast<int>(std::lround(travel * kFullTravel));
}

int FindFinger(const Touches& touches, int id) {
  for (int i = 0; i < kMaxFingers; ++i) {
    if (touches.fingers[i].down && touches.fingers[i].id == id) return i;
  }
  return -1;
}

int FreeSlot(const Touches& touches) {
  for (int i = 0; i < kMaxFingers; ++i) {
    if (!touches.fingers[i].down) return i;
  }
  return -1;
}

bool AnyOnFire(const Touches& touches) {
  for (const Finger& finger : touches.fingers) {
    if (finger.control == TouchControl::kFire) return true;
  }
  return false;
}

}  // namespace

int TranslateTouchEvent(Touches* touches, const TouchEvent& event,
                        PadEvent out[kMaxTouchPadEvents]) {
  int slot = FindFinger(*touches, event.finger);
  // A finger already down that goes down again is only moving: it taps nothing.
  const bool arrives = slot < 0 && event.type == TouchEventType::kDown;
  if (arrives) slot = FreeSlot(*touches);
  if (slot < 0) return 0;  // a finger never seen going down, or one too many
  Finger& finger = touches->fingers[slot];
  finger.id = event.finger;
  finger.down = event.type != TouchEventType::kUp;
  finger.control = finger.down ? event.control : TouchControl::kNone;

  int count = 0;
  // The stick lets go before the button changes, so a finger slid from one to the other
  // never holds both.
  if (touches->stickFinger == slot && finger.control != TouchControl::kStick) {
    touches->stickFinger = -1;
  }
  if (touches->stickFinger < 0 && finger.control == TouchControl::kStick) {
    touches->stickFinger = slot;
  }
  const bool steers = touches->stickFinger == slot;
  const int x = steers ? Axis(event.x) : 0, y = steers ? Axis(event.y) : 0;
  if (steers || touches->stickFinger < 0) {
    if (x != touches->stickX) out[count++] = {PadEventType::kAxis, kTouchPad, 0, x};
    if (y != touches->stickY) out[count++] = {PadEventType::kAxis, kTouchPad, 1, y};
    touches->stickX = x;
    touches->stickY = y;
  }
  const bool fire = AnyOnFire(*touches);
  if (fire != touches->fire) {
    const PadEventType type = fire ? PadEventType::kButtonDown : PadEventType::kButtonUp;
    out[count++] = {type, kTouchPad, kTouchFireButton, 0};
    touches->fire = fire;
  }
  if (arrives && finger.control == TouchControl::kPicture) {
    // Both at once: no step runs between them, so in play a tap fires nothing, while after
    // "game over" it starts a game and while paused it resumes, as a pad's button does.
    out[count++] = {PadEventType::kButtonDown, kTouchPad, kTouchTapButton, 0};
    out[count++] = {PadEventType::kButtonUp, kTouchPad, kTouchTapButton, 0};
  }
  return count;
}
