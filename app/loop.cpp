#include "app/loop.h"

namespace {

// Returns false when the player quits: Escape ends the loop at once, and whatever is
// queued behind it is never read. Escape's release goes to the key handler like any other.
bool DrainEvents(const LoopHooks& hooks) {
  LoopEvent event;
  while (hooks.pollEvent(hooks.context, &event)) {
    switch (event.type) {
      case LoopEventType::kKeyDown:
        if (event.sym == kKeyEscape) return false;
        hooks.keyDown(hooks.context, event.sym);
        break;
      case LoopEventType::kKeyUp:
        hooks.keyUp(hooks.context, event.sym);
        break;
      case LoopEventType::kQuit:
        return false;
      case LoopEventType::kOther:
        break;
    }
  }
  return true;
}

// The bounds keep the game reading keys after a stall, or when every frame waits for a
// display's refresh: replaying the whole backlog there would only grow it.
uint32_t RunSteps(const LoopHooks& hooks, uint32_t accumulator, uint32_t passStart) {
  int steps = 0;
  while (accumulator > kStepMs) {
    const uint32_t spent = hooks.readClock(hooks.context) - passStart;
    if (steps == kMaxStepsPerPass || spent >= kMaxCatchUpMs) {
      return (accumulator - 1) % kStepMs + 1;
    }
    hooks.runStep(hooks.context);
    accumulator -= kStepMs;
    ++steps;
  }
  return accumulator;
}

}  // namespace

uint32_t AddElapsed(uint32_t accumulator, uint32_t previous, uint32_t now) {
  const uint32_t elapsed = now - previous;
  if (elapsed >= kClockSteppedBack) return accumulator;
  return accumulator + elapsed;
}

uint32_t SleepBeforeNextStep(uint32_t accumulator, uint32_t now, uint32_t clockNow) {
  if (accumulator > kStepMs) return 0;
  // A step runs once strictly more than 10 ms have gathered: 11 - accumulator after `now`.
  const uint32_t due = kStepMs + 1 - accumulator;
  const uint32_t spent = clockNow - now;
  // Due already; a clock set back shows as a difference far larger than any due time.
  if (spent >= due) return 0;
  return due - spent;
}

void RunMainLoop(const LoopHooks& hooks) {
  uint32_t previous = hooks.readClock(hooks.context);
  uint32_t accumulator = 0;
  for (;;) {
    if (!DrainEvents(hooks)) return;
    const uint32_t now = hooks.readClock(hooks.context);
    accumulator = AddElapsed(accumulator, previous, now);
    accumulator = RunSteps(hooks, accumulator, now);
    // Taken before the steps, so the time they took counts in the next pass.
    previous = now;
    if (hooks.sleep == nullptr) continue;
    const uint32_t ms = SleepBeforeNextStep(accumulator, now, hooks.readClock(hooks.context));
    if (ms > 0) hooks.sleep(hooks.context, ms);
  }
}
