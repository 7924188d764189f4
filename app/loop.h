// The main loop's arithmetic and event dispatch, over a clock and an event source that
// the caller supplies: SDL in the game, a made-up clock in the tests.
#pragma once

#include <cstdint>

constexpr int kKeyEscape = 27;
constexpr int kKeyPause = 112;  // p: the loop's own key, never the game's

constexpr uint32_t kStepMs = 10;                  // one world tick
constexpr int kMaxStepsPerPass = 25;              // catch-up steps one pass may run
constexpr uint32_t kMaxCatchUpMs = 100;           // clock time one pass may spend on steps
constexpr uint32_t kClockSteppedBack = 1u << 31;  // an elapsed time this large is a clock set back

enum class LoopEventType {
  kKeyDown,
  kKeyUp,
  kQuit,
  kFocusLost,    // the window lost the keyboard or was iconified
  kFocusGained,  // the keyboard, or the window, is back
  kRedraw,       // the window needs its picture again: exposed
  kOther,
};

struct LoopEvent {
  LoopEventType type;
  int sym;           // key symbol, for key events
  bool pad = false;  // the key came from a gamepad, or the touch controls that act as one
};

// What the loop runs on. Every callback gets `context` back; the last three come together, or
// are all null and the loop never pauses.
struct LoopHooks {
  void* context;
  bool (*pollEvent)(void* context, LoopEvent* event);  // false once the queue is empty
  uint32_t (*readClock)(void* context);                // milliseconds; wraps past 2^32 - 1
  void (*runStep)(void* context);                      // one world tick, then its frame
  void (*keyDown)(void* context, int sym);
  void (*keyUp)(void* context, int sym);
  void (*sleep)(void* context, uint32_t ms);  // gives the processor away; null to spin
  bool (*inPlay)(void* context) = nullptr;    // a game runs that a pause may stop
  // Paused: shows the game as it stood with word of the pause, as often as the window needs
  // it. Not paused: the picture back as it stood, to go on from.
  void (*showPause)(void* context, bool paused) = nullptr;
  void (*waitEvent)(void* context) = nullptr;  // returns once an event is queued
};

// What the loop carries from one pass to the next.
struct LoopState {
  uint32_t previous = 0;     // the clock as the last pass read it, before its steps
  uint32_t accumulator = 0;  // clock time not yet run as steps
  bool paused = false;       // no steps run, and none are owed
  bool shown = false;        // the paused picture is on the screen, and needs no redrawing
  bool held = false;         // the pause has shown its picture: play takes its own back
  bool resumed = false;      // resumed since the clock was last read: it starts afresh
};

// The accumulator after a pass that read `now`, the previous pass having read `previous`.
// Differences wrap modulo 2^32; one of 2^31 or more is a clock set back, and adds nothing.
uint32_t AddElapsed(uint32_t accumulator, uint32_t previous, uint32_t now);

// How long to sleep after a pass that read the clock at `now` (before its steps) and left
// `accumulator`, the clock reading `clockNow` after the steps: until the next step is due by
// the clock and not a moment longer, so the game keeps its 100 steps a second. Nothing when
// the step is due already or the clock went back.
uint32_t SleepBeforeNextStep(uint32_t accumulator, uint32_t now, uint32_t clockNow);

// The loop's state before its first pass.
LoopState StartLoop(const LoopHooks& hooks);

// One pass: drains the events, then runs one step per 10 ms accumulated (strictly more than
// 10 must be there), at most 25 steps and no new one after 100 ms of clock spent on steps; a
// pass that stops short drops the older backlog and keeps only the remainder. `p` pauses a
// game in play and resumes it, and so does the loss of the window's focus (a pad's button
// resumes too). While paused, no step runs. Returns false once Escape is pressed or the window
// is closed. A browser calls this once per animation frame; the desktop's loop is below.
bool RunLoopPass(const LoopHooks& hooks, LoopState* state);

// Runs passes until the player quits, sleeping after each until the next step is due, or,
// while paused, until an event comes.
void RunMainLoop(const LoopHooks& hooks);
