// A world that stands still ("game over") is drawn until the fade has taken its picture as far
// as it goes, and from then on only when the window or the player asks: every frame after
// would be the same picture, drawn at a cost.
#pragma once

#include "app/loop.h"

// 2 s of frames. At 5 % a frame, 122 frames take even a full 255 below half a step, whatever
// the driver's rounding: by then every pixel stands where the fade leaves it.
constexpr int kFramesToStand = 200;

struct StillPicture {
  int frames = 0;      // frames drawn since the world stopped; 0 while it moves
  bool asked = false;  // an event since the last frame wants the picture drawn again
};

// Whether the step just run draws its frame.
bool FrameWanted(StillPicture* still, bool worldStill);

// Notes the events that want the picture again: the window exposed or resized, the keyboard
// back, any key.
void NoteEvent(StillPicture* still, const LoopEvent& event);
