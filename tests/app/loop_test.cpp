// The main loop on a made-up clock: its arithmetic, its bounds and its event dispatch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "app/loop.h"

namespace {

// A clock in microseconds that moves only when told: at the end of each event drain by
// the next entry of `advances` (then by `advanceAfter`), and by `stepCostUs` for every step.
// After `passes` drains the queue yields a quit event.
struct FakeHost {
  uint64_t nowUs = 0;
  uint32_t clockBase = 0;
  std::deque<uint64_t> advancesMs;
  uint64_t advanceAfterMs = 0;
  uint64_t stepCostUs = 0;
  int passes = 1000;
  std::deque<LoopEvent> queue;

  int drains = 0;
  int polls = 0;
  std::vector<int> stepsPerPass;
  std::vector<uint64_t> drainTimesUs;
  std::vector<std::string> log;

  LoopHooks Hooks() { return {this, Poll, Clock, Step, KeyDown, KeyUp}; }

  static FakeHost& Of(void* context) { return *static_cast<FakeHost*>(context); }
  static bool Poll(void* context, LoopEvent* event) {
    FakeHost& h = Of(context);
    ++h.polls;
    if (!h.queue.empty()) {
      *event = h.queue.front();
      h.queue.pop_front();
      return true;
    }
    if (h.drains == h.passes) {
      *event = {LoopEventType::kQuit, 0};
      return true;
    }
    ++h.drains;
    h.drainTimesUs.push_back(h.nowUs);
    h.stepsPerPass.push_back(0);
    uint64_t advance = h.advanceAfterMs;
    if (!h.advancesMs.empty()) {
      advance = h.advancesMs.front();
      h.advancesMs.pop_front();
    }
    h.nowUs += advance * 1000;
    return false;
  }
  static uint32_t Clock(void* context) {
    FakeHost& h = Of(context);
    return h.clockBase + static_cast<uint32_t>(h.nowUs / 1000);
  }
  static void Step(void* context) {
    FakeHost& h = Of(context);
    ++h.stepsPerPass.back();
    h.nowUs += h.stepCostUs;
    h.log.push_back("step");
  }
  static void KeyDown(void* context, int sym) {
    Of(context).log.push_back("down " + std::to_string(sym));
  }
  static void KeyUp(void* context, int sym) { Of(context).log.push_back("up " + std::to_string(sym)); }
};

std::vector<int> RunPasses(FakeHost& host, std::vector<uint64_t> advancesMs) {
  host.advancesMs.assign(advancesMs.begin(), advancesMs.end());
  host.passes = static_cast<int>(advancesMs.size());
  RunMainLoop(host.Hooks());
  return host.stepsPerPass;
}

}  // namespace

TEST(LoopTiming, StepsRunOnlyWhenMoreThanTenMillisecondsAccumulated) {
  // Each vector: the clock's advance before each pass, then the steps each pass ran.
  // 10 ms is not enough; 11 runs one and leaves 1; 35 runs three and leaves 5;
  // 20 leaves exactly 10, which needs one more millisecond.
  FakeHost ten, eleven, thirtyFive, twenty;
  EXPECT_EQ(RunPasses(ten, {10, 0}), (std::vector<int>{0, 0}));
  EXPECT_EQ(RunPasses(eleven, {11, 9, 1}), (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(RunPasses(thirtyFive, {35, 5, 1}), (std::vector<int>{3, 0, 1}));
  EXPECT_EQ(RunPasses(twenty, {20, 1, 9, 1}), (std::vector<int>{1, 1, 0, 1}));
}

TEST(LoopTiming, TimeSpentOnStepsCountsInTheNextPass) {
  FakeHost host;
  host.stepCostUs = 5000;
  // 11 ms: one step that takes 5 ms, leaving 1 + 5 = 6 for the next pass; 5 more make 11.
  EXPECT_EQ(RunPasses(host, {11, 0, 5}), (std::vector<int>{1, 0, 1}));
}

TEST(LoopTiming, ClockWrapAddsTheTrueElapsedTime) {
  FakeHost host;
  host.clockBase = 0xFFFFFFFFu - 4;  // wraps during the first advance
  EXPECT_EQ(RunPasses(host, {25, 0}), (std::vector<int>{2, 0}));
  EXPECT_EQ(AddElapsed(3, 0xFFFFFFF0u, 0x00000005u), 3u + 21u);
}

TEST(LoopTiming, ClockSetBackAddsNothing) {
  EXPECT_EQ(AddElapsed(4, 5000, 4000), 4u);
  EXPECT_EQ(AddElapsed(4, 0, 0x80000000u), 4u);
  EXPECT_EQ(AddElapsed(4, 0, 0x7FFFFFFFu), 4u + 0x7FFFFFFFu);

  // A second backwards, then time goes on from the new reading.
  FakeHost host;
  host.clockBase = 100000;
  host.advancesMs = {11, 0, 10};
  host.passes = 3;
  LoopHooks hooks = host.Hooks();
  auto stepBack = [](void* context) {
    FakeHost& h = FakeHost::Of(context);
    h.clockBase -= 1000;
    FakeHost::Step(context);
  };
  hooks.runStep = stepBack;
  RunMainLoop(hooks);
  // Pass 1 steps once and sets the clock back; pass 2 counts the backwards reading as no
  // time, and pass 3 goes on from it.
  EXPECT_EQ(host.stepsPerPass, (std::vector<int>{1, 0, 1}));
}

TEST(LoopCatchUp, ShortStallIsCaughtUpInFull) {
  FakeHost host;
  EXPECT_EQ(RunPasses(host, {200, 0, 1}), (std::vector<int>{19, 0, 1}));  // leaves 10
}

TEST(LoopCatchUp, HourLongJumpRunsTwentyFiveStepsAndKeepsTheRemainder) {
  FakeHost host;
  // 3,600,003 ms owed: 25 steps, then only the remainder 3 is kept, so 7 more ms do not
  // step and one more does.
  EXPECT_EQ(RunPasses(host, {3600003, 7, 1, 0}), (std::vector<int>{25, 0, 1, 0}));
}

TEST(LoopCatchUp, PassStopsAfterOneHundredMillisecondsOfSteps) {
  FakeHost host;
  LoopHooks hooks = host.Hooks();
  hooks.runStep = [](void* context) {
    FakeHost& h = FakeHost::Of(context);
    if (h.drains == 1) h.nowUs += 30000;  // only the first pass is slow
    FakeHost::Step(context);
  };
  host.advancesMs = {353, 0, 7, 1};
  host.passes = 4;
  RunMainLoop(hooks);
  // 35 steps owed at 30 ms each: four reach 120 ms and the pass gives up, keeping only the
  // remainder 3. The next pass owes 3 + the 120 ms spent: twelve quick steps, remainder 3.
  EXPECT_EQ(host.stepsPerPass, (std::vector<int>{4, 12, 0, 1}));
}

TEST(LoopCatchUp, DisplaySyncedAtSixtyHertzKeepsReadingEvents) {
  // Every step's frame waits for a 60 Hz refresh: steps can never keep up with the clock.
  FakeHost host;
  host.stepCostUs = 16667;
  host.advanceAfterMs = 0;
  host.advancesMs = {11};
  host.passes = 5000;
  RunMainLoop(host.Hooks());

  uint64_t longestGapUs = 0;
  for (size_t i = 1; i < host.drainTimesUs.size(); ++i) {
    longestGapUs = std::max(longestGapUs, host.drainTimesUs[i] - host.drainTimesUs[i - 1]);
  }
  std::printf("60 Hz display: longest gap between event drains %.1f ms\n", longestGapUs / 1000.0);
  EXPECT_LE(longestGapUs, 120000u);
  // The backlog never grows: late passes run no more steps than early ones.
  const int early = *std::max_element(host.stepsPerPass.begin() + 1, host.stepsPerPass.begin() + 50);
  const int late = *std::max_element(host.stepsPerPass.end() - 50, host.stepsPerPass.end());
  EXPECT_LE(late, early);
  EXPECT_LE(late, 7);
}

TEST(LoopEvents, EscapeInTheMiddleOfABatchEndsTheLoopAtOnce) {
  FakeHost host;
  host.queue = {{LoopEventType::kKeyDown, 122},
                {LoopEventType::kKeyDown, kKeyEscape},
                {LoopEventType::kKeyDown, 273}};
  RunMainLoop(host.Hooks());
  EXPECT_EQ(host.log, (std::vector<std::string>{"down 122"}));
  EXPECT_EQ(host.polls, 2);  // the third event is never read
  EXPECT_EQ(host.queue.size(), 1u);
}

TEST(LoopEvents, ReleasesOtherEventsAndQuit) {
  FakeHost host;
  host.advancesMs = {11};
  host.queue = {{LoopEventType::kKeyUp, kKeyEscape},
                {LoopEventType::kOther, 5},
                {LoopEventType::kKeyDown, 274},
                {LoopEventType::kKeyUp, 274}};
  host.passes = 2;
  RunMainLoop(host.Hooks());
  // Escape's release goes to the handler like any release; other events are ignored; the
  // keys of a batch are handled before the steps of that pass; closing the window quits.
  EXPECT_EQ(host.log, (std::vector<std::string>{"up 27", "down 274", "up 274", "step"}));

  FakeHost closed;
  closed.queue = {{LoopEventType::kQuit, 0}, {LoopEventType::kKeyDown, 122}};
  RunMainLoop(closed.Hooks());
  EXPECT_TRUE(closed.log.empty());
  EXPECT_EQ(closed.queue.size(), 1u);
}
