#include "app/events.h"

#include <SDL.h>

#include <bitset>
#include <deque>
#include <vector>

#include "app/gamepad.h"
#include "game/player.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include "app/touch.h"
#endif

namespace {

std::vector<SDL_Joystick*> g_joysticks;
Gamepads g_gamepads;
// The keys one pad event became, handed to the loop one by one before SDL is asked again.
LoopEvent g_padKeys[kMaxPadKeyEvents];
int g_padKeyCount = 0;
int g_padKeyNext = 0;

#ifdef __EMSCRIPTEN__
// The browser's standard layout has no hat: its d-pad is buttons 12 to 15 (up, down, left,
// right). They are read as hat 0, so the d-pad steers and only the other buttons fire.
constexpr int kDpadFirst = 12;
constexpr int kDpadHatBits[] = {1, 4, 8, 2};
int g_dpad[kMaxPads];  // each pad's d-pad as hat bits

// The keys the touch controls became since the loop last looked: the page hands touches over
// as they come, between passes.
Touches g_touches;
std::deque<LoopEvent> g_touchKeys;

constexpr int kHeldKeys = 2048;  // past every symbol the browser's SDL gives
std::bitset<kHeldKeys> g_keysHeld;

// The browser's SDL numbers the arrows as 1024 plus SDL 2's scancodes, whatever its headers
// say; the game knows them as SDL 1.2 does. Every other key is the same.
constexpr int kBrowserRight = 1103, kBrowserLeft = 1104, kBrowserDown = 1105, kBrowserUp = 1106;

int KeyFromBrowser(int sym) {
  switch (sym) {
    case kBrowserRight:
      return kKeyRight;
    case kBrowserLeft:
      return kKeyLeft;
    case kBrowserDown:
      return kKeyDown;
    case kBrowserUp:
      return kKeyUp;
    default:
      return sym;
  }
}

bool ReadDpad(const SDL_Event& e, PadEvent* pad) {
  const int button = e.jbutton.button - kDpadFirst;
  const int which = e.jbutton.which;
  if (button < 0 || button > 3 || which < 0 || which >= kMaxPads) return false;
  if (e.type == SDL_JOYBUTTONDOWN) {
    g_dpad[which] |= kDpadHatBits[button];
  } else {
    g_dpad[which] &= ~kDpadHatBits[button];
  }
  *pad = {PadEventType::kHat, which, 0, g_dpad[which]};
  return true;
}

LoopEventType WindowEventType(const SDL_Event& e) {
  switch (e.window.event) {
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_HIDDEN:
      return LoopEventType::kFocusLost;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_SHOWN:
      return LoopEventType::kFocusGained;
    default:
      return LoopEventType::kOther;
  }
}
#endif

// A key press or release as the loop's event.
LoopEvent KeyEvent(const SDL_Event& e) {
  const LoopEventType type =
      e.type == SDL_KEYDOWN ? LoopEventType::kKeyDown : LoopEventType::kKeyUp;
#ifdef __EMSCRIPTEN__
  const int sym = KeyFromBrowser(e.key.keysym.sym);
  // A browser repeats a held key; the game hears it go down once, as SDL 1.2 tells it, or a
  // key held through a death would start the next game at once.
  if (sym >= 0 && sym < kHeldKeys) {
    const bool repeat = e.type == SDL_KEYDOWN && g_keysHeld[sym];
    g_keysHeld[sym] = e.type == SDL_KEYDOWN;
    if (repeat) return {LoopEventType::kOther, 0};
  }
  return {type, sym};
#else
  return {type, static_cast<int>(e.key.keysym.sym)};
#endif
}

bool ReadPad(const SDL_Event& e, PadEvent* pad) {
  switch (e.type) {
    case SDL_JOYAXISMOTION:
      *pad = {PadEventType::kAxis, e.jaxis.which, e.jaxis.axis, e.jaxis.value};
      return true;
    case SDL_JOYHATMOTION:
      *pad = {PadEventType::kHat, e.jhat.which, e.jhat.hat, e.jhat.value};
      return true;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
#ifdef __EMSCRIPTEN__
      if (ReadDpad(e, pad)) return true;
#endif
      *pad = {e.type == SDL_JOYBUTTONDOWN ? PadEventType::kButtonDown : PadEventType::kButtonUp,
              e.jbutton.which, e.jbutton.button, 0};
      return true;
    default:
      return false;
  }
}

}  // namespace

void OpenGamepads() {
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_Joystick* joystick = SDL_JoystickOpen(i)) g_joysticks.push_back(joystick);
  }
  SDL_JoystickEventState(SDL_ENABLE);
}

#ifdef __EMSCRIPTEN__
void OpenNewGamepads() {
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickOpened(i)) continue;
    if (SDL_Joystick* joystick = SDL_JoystickOpen(i)) g_joysticks.push_back(joystick);
  }
}
#endif

void CloseGamepads() {
  for (SDL_Joystick* joystick : g_joysticks) SDL_JoystickClose(joystick);
  g_joysticks.clear();
}

bool PollSdlEvent(void*, LoopEvent* event) {
  if (g_padKeyNext < g_padKeyCount) {
    *event = g_padKeys[g_padKeyNext++];
    return true;
  }
#ifdef __EMSCRIPTEN__
  if (!g_touchKeys.empty()) {
    *event = g_touchKeys.front();
    g_touchKeys.pop_front();
    return true;
  }
#endif
  SDL_Event e;
  if (!SDL_PollEvent(&e)) return false;
  PadEvent pad;
  *event = {LoopEventType::kOther, 0};
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      *event = KeyEvent(e);
      break;
#ifdef __EMSCRIPTEN__
    case SDL_WINDOWEVENT:
      // A page left for another tab, or another window, loses the keyboard as a window does.
      *event = {WindowEventType(e), 0};
      break;
#endif
    case SDL_QUIT:
      *event = {LoopEventType::kQuit, 0};
      break;
    case SDL_ACTIVEEVENT:
      // The pointer leaving the window is no reason to stop: only the keyboard going
      // elsewhere, or the window folded away. Either coming back wants the picture again.
      if ((e.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) == 0) break;
      *event = {e.active.gain ? LoopEventType::kFocusGained : LoopEventType::kFocusLost, 0};
      break;
    case SDL_VIDEOEXPOSE:
    case SDL_VIDEORESIZE:
      *event = {LoopEventType::kRedraw, 0};
      break;
    default:
      if (!ReadPad(e, &pad)) break;
      g_padKeyCount = TranslatePadEvent(&g_gamepads, pad, g_padKeys);
      for (int i = 0; i < g_padKeyCount; ++i) g_padKeys[i].pad = true;
      g_padKeyNext = 0;
      if (g_padKeyCount > 0) *event = g_padKeys[g_padKeyNext++];
      break;
  }
  return true;
}

void WaitSdlEvent(void*) {
  // SDL 1.2 waits for events by looking every 10 ms itself; this looks as often, and leaves
  // the event in the queue for the loop's own poll.
  SDL_Event e;
  while (g_padKeyNext == g_padKeyCount) {
    SDL_PumpEvents();
    if (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0) return;
    SDL_Delay(10);
  }
}

#ifdef __EMSCRIPTEN__
// The page's touch controls (web/touch.js): one finger's event, in TouchEvent's numbers. They
// become a pad's, and its keys wait for the loop like any other event.
extern "C" EMSCRIPTEN_KEEPALIVE void driftbeam_touch(int type, int finger, int control, float x,
                                                     float y) {
  if (type < 0 || type > 2 || control < 0 || control > 3) return;
  const TouchEvent touch = {static_cast<TouchEventType>(type), finger,
                            static_cast<TouchControl>(control), x, y};
  PadEvent pads[kMaxTouchPadEvents];
  const int count = TranslateTouchEvent(&g_touches, touch, pads);
  for (int i = 0; i < count; ++i) {
    LoopEvent keys[kMaxPadKeyEvents];
    const int n = TranslatePadEvent(&g_gamepads, pads[i], keys);
    for (int k = 0; k < n; ++k) {
      keys[k].pad = true;
      g_touchKeys.push_back(keys[k]);
    }
  }
}
#endif
