#include "app/events.h"

#include <SDL.h>

#include <vector>

#include "app/gamepad.h"

namespace {

std::vector<SDL_Joystick*> g_joysticks;
Gamepads g_gamepads;
// The keys one pad event became, handed to the loop one by one before SDL is asked again.
LoopEvent g_padKeys[kMaxPadKeyEvents];
int g_padKeyCount = 0;
int g_padKeyNext = 0;

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

void CloseGamepads() {
  for (SDL_Joystick* joystick : g_joysticks) SDL_JoystickClose(joystick);
  g_joysticks.clear();
}

bool PollSdlEvent(void*, LoopEvent* event) {
  if (g_padKeyNext < g_padKeyCount) {
    *event = g_padKeys[g_padKeyNext++];
    return true;
  }
  SDL_Event e;
  if (!SDL_PollEvent(&e)) return false;
  PadEvent pad;
  *event = {LoopEventType::kOther, 0};
  switch (e.type) {
    case SDL_KEYDOWN:
      *event = {LoopEventType::kKeyDown, static_cast<int>(e.key.keysym.sym)};
      break;
    case SDL_KEYUP:
      *event = {LoopEventType::kKeyUp, static_cast<int>(e.key.keysym.sym)};
      break;
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
