// SDL's events as the loop's: keys, the window closed, and gamepads turned into keys.
#pragma once

#include "app/loop.h"

// Opens every joystick present. With none, or no joystick support, nothing changes and
// nothing is said: the keyboard plays as ever. SDL 1.2 sees only pads connected by now.
void OpenGamepads();
void CloseGamepads();

#ifdef __EMSCRIPTEN__
// Opens the pads that have come since. A browser shows a page no pad until one of its buttons
// is pressed there, so the page looks again on every pass.
void OpenNewGamepads();
#endif

// The loop's pollEvent over SDL's queue; `context` is unused.
bool PollSdlEvent(void* context, LoopEvent* event);

// The loop's waitEvent over SDL's queue: returns once an event is there to poll.
void WaitSdlEvent(void* context);
