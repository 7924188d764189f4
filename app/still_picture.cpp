#include "app/still_picture.h"

bool FrameWanted(StillPicture* still, bool worldStill) {
  const bool asked = still->asked;
  still->asked = false;
  if (!worldStill) {
    still->frames = 0;
    return true;
  }
  if (still->frames < kFramesToStand) {
    ++still->frames;
    return true;
  }
  return asked;
}

void NoteEvent(StillPicture* still, const LoopEvent& event) {
  switch (event.type) {
    case LoopEventType::kKeyDown:
    case LoopEventType::kKeyUp:
    case LoopEventType::kFocusGained:
    case LoopEventType::kRedraw:
      still->asked = true;
      break;
    default:
      break;
  }
}
