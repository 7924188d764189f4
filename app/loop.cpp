#include "app/loop.h"

#include "game/player.h"

namespace {

bool InPlay(const LoopHooks& hooks) {
  return hooks.inPlay != nullptr && hooks.inPlay(hooks.context);
}

void Pause(LoopState* state) {
  state->paused = true;
  state->shown = false;
}

// Back to play. The clock starts afresh, so the time spent paused is never owed as steps.
void Resume(const LoopHooks& hooks, LoopState* state) {
  if (state->held) hooks.showPause(hooks.context, false);
  state->paused = false;
  state->shown = false;
  state->held = false;
  state->resumed = true;
}

// Returns false when the player quits: Escape ends the loop at once, and whatever is
// queued behind it is never read. Escape's release goes to the key handler like any other.
// `p` and its release never reach the game; other keys do, paused or not, so a key held
// through a pause is held after it.
bool DrainEvents(const LoopHooks& hooks, LoopState* state) {
  // A keyboard lost and back in one breath has not gone anywhere: handing the window the
  // keyboard where no window manager runs reports both, and so may a window manager's grab.
  bool lost = false;
  LoopEvent event;
  while (hooks.pollEvent(hooks.context, &event)) {
    switch (event.type) {
      case LoopEventType::kKeyDown:
        if (event.sym == kKeyEscape) return false;
        if (event.sym == kKeyPause) {
          // After "game over" the world stands still already, and p does nothing.
          if (state->paused) {
            Resume(hooks, state);
          } else if (InPlay(hooks)) {
            Pause(state);
          }
          break;
        }
        // Every pad button presses the fire key: a pad has no p, and any button resumes.
        if (state->paused && event.pad && event.sym == kKeyFire) Resume(hooks, state);
        hooks.keyDown(hooks.context, event.sym);
        break;
      case LoopEventType::kKeyUp:
        if (event.sym != kKeyPause) hooks.keyUp(hooks.context, event.sym);
        break;
      case LoopEventType::kQuit:
        return false;
      case LoopEventType::kFocusLost:
        lost = true;
        break;
      case LoopEventType::kFocusGained:
        lost = false;
        state->shown = false;
        break;
      case LoopEventType::kRedraw:
        state->shown = false;
        break;
      case LoopEventType::kOther:
        break;
    }
  }
  if (lost && !state->paused && InPlay(hooks)) Pause(state);
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

LoopState StartLoop(const LoopHooks& hooks) {
  LoopState state;
  state.previous = hooks.readClock(hooks.context);
  return state;
}

bool RunLoopPass(const LoopHooks& hooks, LoopState* state) {
  if (!DrainEvents(hooks, state)) return false;
  const uint32_t now = hooks.readClock(hooks.context);
  if (state->paused) {
    // Drawn once, and again only when the window asks: a paused game costs nothing.
    if (!state->shown) hooks.showPause(hooks.context, true);
    state->shown = true;
    state->held = true;
    return true;
  }
  if (state->resumed) state->previous = now;
  state->resumed = false;
  state->accumulator = AddElapsed(state->accumulator, state->previous, now);
  state->accumulator = RunSteps(hooks, state->accumulator, now);
  // Taken before the steps, so the time they took counts in the next pass.
  state->previous = now;
  return true;
}

void RunMainLoop(const LoopHooks& hooks) {
  LoopState state = StartLoop(hooks);
  while (RunLoopPass(hooks, &state)) {
    if (state.paused) {
      hooks.waitEvent(hooks.context);
    } else if (hooks.sleep != nullptr) {
      const uint32_t ms =
          SleepBeforeNextStep(state.accumulator, state.previous, hooks.readClock(hooks.context));
      if (ms > 0) hooks.sleep(hooks.context, ms);
    }
  }
}
