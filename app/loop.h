// The main loop's arithmetic and event dispatch, over a clock and an event source that
// the caller supplies: SDL in the game, a made-up clock in the tests.
#pragma once

#include <cstdint>

constexpr int kKeyEscape = 27;

constexpr uint32_t kStepMs = 10;                  // one world tick
constexpr int kMaxStepsPerPass = 25;              // catch-up steps one pass may run
constexpr uint32_t kMaxCatchUpMs = 100;           // clock time one pass may spend on steps
constexpr uint32_t kClockSteppedBack = 1u << 31;  // an elapsed time this large is a clock set back

enum class LoopEventType { kKeyDown, kKeyUp, kQuit, kOther };

struct LoopEvent {
  LoopEventType type;
  int sym;  // key symbol, for key events
};

// What the loop runs on. Every callback gets `context` back.
struct LoopHooks {
  void* context;
  bool (*pollEvent)(void* context, LoopEvent* event);  // false once the queue is empty
  uint32_t (*readClock)(void* context);                // milliseconds; wraps past 2^32 - 1
  void (*runStep)(void* context);                      // one world tick, then its frame
  void (*keyDown)(void* context, int sym);
  void (*keyUp)(void* context, int sym);
  void (*sleep)(void* context, uint32_t ms);  // gives the processor away; null to spin
};

// The accumulator after a pass that read `now`, the previous pass having read `previous`.
// Differences wrap modulo 2^32; one of 2^31 or more is a clock set back, and adds nothing.
uint32_t AddElapsed(uint32_t accumulator, uint32_t previous, uint32_t now);

// How long to sleep after a pass that read the clock at `now` (before its steps) and left
// `accumulator`, the clock reading `clockNow` after the steps: until the next step is due by
// the clock and not a moment longer, so the game keeps its 100 steps a second. Nothing when
// the step is due already or the clock went back.
uint32_t SleepBeforeNextStep(uint32_t accumulator, uint32_t now, uint32_t clockNow);

// Runs until Escape is pressed or the window is closed. Each pass drains the events, then
// runs one step per 10 ms accumulated (strictly more than 10 must be there), at most 25
// steps and no new one after 100 ms of clock spent on steps; a pass that stops short drops
// the older backlog and keeps only the remainder. Then it sleeps until the next step is due.
void RunMainLoop(const LoopHooks& hooks);
