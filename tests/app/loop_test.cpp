// The main loop on a made-up clock: its arithmetic, its bounds, its sleep and its events.
#include "app/loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <numeric>
#include <string>
#include <vector>

namespace {

// A clock in microseconds that moves only when told: by the next of `advancesMs` each time
// the event queue runs dry, by `stepCostUs` for every step (`firstPassStepUs` in the first
// pass), and by every sleep. With no advances left and the clock past `endUs`, the queue
// yields a quit event.
struct FakeHost {
  uint64_t nowUs = 0, stepCostUs = 0, firstPassStepUs = 0, endUs = 0;
  uint32_t clockBase = 0;
  std::deque<uint64_t> advancesMs;
  std::vector<int> stepsPerPass;

  static FakeHost& Of(void* context) { return *static_cast<FakeHost*>(context); }
  static bool Poll(void* context, LoopEvent* event) {
    FakeHost& h = Of(context);
    if (h.advancesMs.empty() && h.nowUs >= h.endUs) {
      *event = {LoopEventType::kQuit, 0};
      return true;
    }
    h.stepsPerPass.push_back(0);
    if (!h.advancesMs.empty()) {
      h.nowUs += h.advancesMs.front() * 1000;
      h.advancesMs.pop_front();
    }
    return false;
  }
  static uint32_t Clock(void* context) {
    return Of(context).clockBase + static_cast<uint32_t>(Of(context).nowUs / 1000);
  }
  static void Step(void* context) {
    FakeHost& h = Of(context);
    ++h.stepsPerPass.back();
    h.nowUs += h.stepsPerPass.size() == 1 ? h.firstPassStepUs : h.stepCostUs;
  }
  static void Sleep(void* context, uint32_t ms) { Of(context).nowUs += ms * 1000ull; }
  static void Key(void*, int) {}

  std::vector<int> Run(std::vector<uint64_t> advances, bool sleeping = false) {
    advancesMs.assign(advances.begin(), advances.end());
    RunMainLoop({this, Poll, Clock, Step, Key, Key, sleeping ? Sleep : nullptr});
    return stepsPerPass;
  }
};

}  // namespace

TEST(Loop, StepsRunOnlyPastTenMillisecondsWithinTheCatchUpBounds) {
  const struct {
    std::vector<uint64_t> advances;  // the clock's advance before each pass
    uint64_t stepCostUs, firstPassStepUs;
    uint32_t clockBase;
    std::vector<int> steps;  // the steps each pass ran
  } cases[] = {
      {{20, 1, 9, 1}, 0, 0, 0, {1, 1, 0, 1}},        // 20 runs one and leaves 10, too few
      {{11, 0, 5}, 5000, 5000, 0, {1, 0, 1}},        // the clock is read before the steps
      {{25, 0}, 0, 0, 0xFFFFFFFBu, {2, 0}},          // across the clock's wrap
      {{3600010, 1, 0}, 0, 0, 0, {25, 1, 0}},        // 25 steps at most; a whole 10 ms kept
      {{353, 0, 7, 1}, 0, 25000, 0, {4, 10, 0, 1}},  // none once 100 ms spent; the rest owed
  };
  for (const auto& c : cases) {
    FakeHost host;
    host.stepCostUs = c.stepCostUs;
    host.firstPassStepUs = c.firstPassStepUs;
    host.clockBase = c.clockBase;
    EXPECT_EQ(host.Run(c.advances), c.steps) << ::testing::PrintToString(c.advances);
  }
  EXPECT_EQ(AddElapsed(4, 5000, 4000), 4u);  // a clock set back adds nothing
  EXPECT_EQ(AddElapsed(4, 0, 0x80000000u), 4u);
  EXPECT_EQ(AddElapsed(4, 0, 0x7FFFFFFFu), 4u + 0x7FFFFFFFu);
}

TEST(Loop, SleepsUntilTheNextStepIsDueAndNoLonger) {
  // The accumulator after a pass, the clock when it read and after its steps: the sleep.
  EXPECT_EQ(SleepBeforeNextStep(0, 500, 500), 11u);
  EXPECT_EQ(SleepBeforeNextStep(10, 500, 500), 1u);
  EXPECT_EQ(SleepBeforeNextStep(1, 500, 504), 6u);  // the steps took 4 ms
  EXPECT_EQ(SleepBeforeNextStep(1, 500, 511), 0u);  // due already
  EXPECT_EQ(SleepBeforeNextStep(1, 500, 499), 0u);  // the clock went back
  EXPECT_EQ(SleepBeforeNextStep(5, 0xFFFFFFFEu, 2), 2u);
  // Only sleeps and steps move the clock: after the first wait every pass wakes just as
  // its step is due and runs it, so ten seconds hold a step every 10 ms from the 11th.
  FakeHost host;
  host.stepCostUs = host.firstPassStepUs = 300;
  host.endUs = 10000000;
  const std::vector<int> steps = host.Run({}, true);
  EXPECT_TRUE(std::all_of(steps.begin() + 1, steps.end(), [](int n) { return n == 1; }));
  EXPECT_EQ(std::accumulate(steps.begin(), steps.end(), 0), 999);
}

namespace {

// The real loop, sleeping and waiting, on a clock that only sleeps and waits move, with
// events that arrive at given milliseconds. The log holds what reached the game and the
// screen, each run of steps as its count.
struct PauseHost {
  uint64_t nowMs = 0, endMs = 0;
  bool over = false;  // the game is at "game over"
  std::deque<std::pair<uint64_t, LoopEvent>> timed;
  std::vector<std::string> log;
  int steps = 0;

  static PauseHost& Of(void* context) { return *static_cast<PauseHost*>(context); }
  void Note(const std::string& what) {
    if (steps > 0) log.push_back(std::to_string(steps) + " steps");
    steps = 0;
    log.push_back(what);
  }
  static bool Poll(void* context, LoopEvent* event) {
    PauseHost& h = Of(context);
    if (h.timed.empty()) h.timed.push_back({h.endMs, {LoopEventType::kQuit, 0}});
    if (h.timed.front().first > h.nowMs) return false;
    *event = h.timed.front().second;
    h.timed.pop_front();
    return true;
  }
  static uint32_t Clock(void* context) { return static_cast<uint32_t>(Of(context).nowMs); }
  static void Step(void* context) { ++Of(context).steps; }
  static void Down(void* c, int sym) { Of(c).Note("d" + std::to_string(sym)); }
  static void Up(void* c, int sym) { Of(c).Note("u" + std::to_string(sym)); }
  static void Sleep(void* context, uint32_t ms) { Of(context).nowMs += ms; }
  static bool InPlay(void* context) { return !Of(context).over; }
  static void Show(void* context, bool paused) { Of(context).Note(paused ? "paused" : "back"); }
  static void Wait(void* c) {
    Of(c).nowMs =
        std::max(Of(c).nowMs, Of(c).timed.empty() ? Of(c).endMs : Of(c).timed.front().first);
  }

  std::vector<std::string> Run() {
    RunMainLoop({this, Poll, Clock, Step, Down, Up, Sleep, InPlay, Show, Wait});
    Note("end");
    return log;
  }
};

}  // namespace

TEST(Loop, EventsComeBeforeTheStepsAndAPauseOwesNoneAndKeepsTheKeys) {
  using T = LoopEventType;
  const LoopEvent p = {T::kKeyDown, kKeyPause}, pUp = {T::kKeyUp, kKeyPause};
  const LoopEvent up = {T::kKeyDown, 273}, upUp = {T::kKeyUp, 273};
  const LoopEvent button = {T::kKeyDown, 122, true}, z = {T::kKeyDown, 122};
  const LoopEvent lost = {T::kFocusLost, 0}, gained = {T::kFocusGained, 0};
  const LoopEvent escape = {T::kKeyDown, kKeyEscape}, quit = {T::kQuit, 0};
  const struct {
    bool over;
    std::deque<std::pair<uint64_t, LoopEvent>> timed;  // events at their milliseconds
    std::vector<std::string> log;
  } cases[] = {
      // Every queued event, Escape's release among them, reaches the game before the steps;
      // Escape and a closed window end the loop at once, whatever is queued behind them.
      {false,
       {{1000, {T::kKeyUp, kKeyEscape}}, {1000, {T::kOther, 5}}, {1000, z}, {1100, upUp}},
       {"99 steps", "u27", "d122", "10 steps", "u273", "end"}},
      {false, {{1000, z}, {1000, escape}, {1000, up}}, {"99 steps", "d122", "end"}},
      {false, {{1000, quit}, {1000, z}}, {"99 steps", "end"}},
      // Up held through an hour's pause is held after it; 1 s of play before, 1 s after.
      {false,
       {{500, up}, {1000, p}, {1001, pUp}, {3601000, p}, {3601001, pUp}, {3602000, upUp}},
       {"49 steps", "d273", "50 steps", "paused", "back", "99 steps", "u273", "end"}},
      // The focus lost pauses; the focus back only draws again, as an expose does; z from the
      // keyboard reaches the game but does not resume; p does.
      {false,
       {{1000, lost}, {5000, gained}, {5500, {T::kRedraw, 0}}, {6000, z}, {9000, p}, {9100, upUp}},
       {"99 steps", "paused", "paused", "paused", "d122", "back", "9 steps", "u273", "end"}},
      // A loss with its gain in the same breath is no loss.
      {false, {{1000, lost}, {1000, gained}, {1100, upUp}}, {"109 steps", "u273", "end"}},
      // A pad's button resumes, and fires as it would; the picture comes back even where the
      // window asked for the paused one again in the same breath.
      {false,
       {{1000, p}, {2000, {T::kRedraw, 0}}, {2000, button}, {2100, upUp}},
       {"99 steps", "paused", "back", "d122", "9 steps", "u273", "end"}},
      // After "game over", p and the lost focus do nothing, and p never reaches the game.
      {true,
       {{1000, p}, {1001, pUp}, {1002, gained}, {1003, lost}, {1100, upUp}},
       {"109 steps", "u273", "end"}},
  };
  for (const auto& c : cases) {
    PauseHost host;
    host.over = c.over;
    host.timed = c.timed;
    host.endMs = c.timed.back().first;
    EXPECT_EQ(host.Run(), c.log) << c.timed.back().first;
  }
}
