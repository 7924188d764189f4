// The main loop on a made-up clock: its arithmetic, its bounds and its event dispatch.
#include "app/loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

namespace {

// A clock in microseconds that moves only when told: by the next of `advancesMs` each time
// the event queue runs dry, and by `stepCostUs` for every step. After the last advance the
// queue yields a quit event.
struct FakeHost {
  uint64_t nowUs = 0;
  uint32_t clockBase = 0;
  std::deque<uint64_t> advancesMs;
  uint64_t stepCostUs = 0;
  std::deque<LoopEvent> queue;
  uint64_t endUs = 0;  // with no advances left, the queue yields quit from here on
  int polls = 0;
  std::vector<int> stepsPerPass;
  std::vector<uint64_t> drainTimesUs;
  std::vector<std::string> log;

  static FakeHost& Of(void* context) { return *static_cast<FakeHost*>(context); }
  static bool Poll(void* context, LoopEvent* event) {
    FakeHost& h = Of(context);
    ++h.polls;
    if (h.queue.empty() && h.advancesMs.empty() && h.nowUs >= h.endUs) {
      h.queue.push_back({LoopEventType::kQuit, 0});
    }
    if (!h.queue.empty()) {
      *event = h.queue.front();
      h.queue.pop_front();
      return true;
    }
    h.drainTimesUs.push_back(h.nowUs);
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
    h.nowUs += h.stepCostUs;
    h.log.push_back("step");
  }
  static void Sleep(void* context, uint32_t ms) { Of(context).nowUs += ms * 1000ull; }
  static void Down(void* context, int sym) {
    Of(context).log.push_back("down " + std::to_string(sym));
  }
  static void Up(void* context, int sym) { Of(context).log.push_back("up " + std::to_string(sym)); }

  LoopHooks Hooks() { return {this, Poll, Clock, Step, Down, Up, nullptr}; }
  LoopHooks SleepingHooks() { return {this, Poll, Clock, Step, Down, Up, Sleep}; }
  std::vector<int> Run(std::vector<uint64_t> advances, LoopHooks hooks) {
    advancesMs.assign(advances.begin(), advances.end());
    RunMainLoop(hooks);
    return stepsPerPass;
  }
  std::vector<int> Run(std::vector<uint64_t> advances) { return Run(advances, Hooks()); }
};

}  // namespace

TEST(LoopTiming, StepsRunOnlyWhenMoreThanTenMillisecondsAccumulated) {
  // The clock's advance before each pass, then the steps each pass ran. 10 ms is not enough;
  // 11 runs one and leaves 1; 35 runs three and leaves 5; 20 leaves exactly 10; a 200 ms
  // stall is caught up in full.
  const std::vector<uint64_t> advances[] = {
      {10, 0}, {11, 9, 1}, {35, 5, 1}, {20, 1, 9, 1}, {200, 0, 1}};
  const std::vector<int> steps[] = {{0, 0}, {1, 0, 1}, {3, 0, 1}, {1, 1, 0, 1}, {19, 0, 1}};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(FakeHost().Run(advances[i]), steps[i]) << i;

  // Time spent on steps counts in the next pass: 1 left plus the 5 ms the step took.
  FakeHost slow;
  slow.stepCostUs = 5000;
  EXPECT_EQ(slow.Run({11, 0, 5}), (std::vector<int>{1, 0, 1}));
}

TEST(LoopTiming, ClockThatWrapsOrStepsBack) {
  FakeHost wrap;
  wrap.clockBase = 0xFFFFFFFFu - 4;
  EXPECT_EQ(wrap.Run({25, 0}), (std::vector<int>{2, 0}));
  EXPECT_EQ(AddElapsed(3, 0xFFFFFFF0u, 5), 3u + 21u);
  EXPECT_EQ(AddElapsed(4, 5000, 4000), 4u);
  EXPECT_EQ(AddElapsed(4, 0, 0x80000000u), 4u);
  EXPECT_EQ(AddElapsed(4, 0, 0x7FFFFFFFu), 4u + 0x7FFFFFFFu);

  // The clock is set back a second during a step: the next pass counts that as no time,
  // and the one after goes on from the new reading.
  FakeHost back;
  back.clockBase = 100000;
  LoopHooks hooks = back.Hooks();
  hooks.runStep = [](void* context) {
    FakeHost::Of(context).clockBase -= 1000;
    FakeHost::Step(context);
  };
  EXPECT_EQ(back.Run({11, 0, 10}, hooks), (std::vector<int>{1, 0, 1}));
}

TEST(LoopCatchUp, BacklogIsBoundedInStepsAndInClockTime) {
  // An hour owed: 25 steps, then only the remainder 3 is kept, so 7 more ms do not step.
  EXPECT_EQ(FakeHost().Run({3600003, 7, 1, 0}), (std::vector<int>{25, 0, 1, 0}));

  // 35 steps owed at 30 ms each: four reach 120 ms and the pass gives up, keeping 3. The
  // next pass owes 3 + the 120 ms spent: twelve quick steps.
  FakeHost slow;
  LoopHooks hooks = slow.Hooks();
  hooks.runStep = [](void* context) {
    if (FakeHost::Of(context).stepsPerPass.size() == 1) FakeHost::Of(context).nowUs += 30000;
    FakeHost::Step(context);
  };
  EXPECT_EQ(slow.Run({353, 0, 7, 1}, hooks), (std::vector<int>{4, 12, 0, 1}));
}

TEST(LoopCatchUp, DisplaySyncedAtSixtyHertzKeepsReadingEvents) {
  // Every frame waits for a 60 Hz refresh: the steps can never keep up with the clock.
  FakeHost host;
  host.stepCostUs = 16667;
  std::vector<uint64_t> advances(5000, 0);
  advances[0] = 11;
  host.Run(advances);
  uint64_t longestGapUs = 0;
  for (size_t i = 1; i < host.drainTimesUs.size(); ++i) {
    longestGapUs = std::max(longestGapUs, host.drainTimesUs[i] - host.drainTimesUs[i - 1]);
  }
  std::printf("60 Hz display: longest gap between event drains %.1f ms\n", longestGapUs / 1000.0);
  EXPECT_LE(longestGapUs, 120000u);
  // The backlog never grows: late passes run no more steps than early ones.
  const auto& s = host.stepsPerPass;
  EXPECT_LE(*std::max_element(s.end() - 50, s.end()),
            *std::max_element(s.begin() + 1, s.begin() + 50));
}

TEST(LoopSleep, SleepsUntilTheNextStepIsDueAndNoLonger) {
  // The accumulator after a pass, the clock when it read and after its steps: the sleep.
  EXPECT_EQ(SleepBeforeNextStep(0, 500, 500), 11u);
  EXPECT_EQ(SleepBeforeNextStep(1, 500, 500), 10u);
  EXPECT_EQ(SleepBeforeNextStep(10, 500, 500), 1u);
  EXPECT_EQ(SleepBeforeNextStep(1, 500, 504), 6u);  // the steps took 4 ms
  EXPECT_EQ(SleepBeforeNextStep(1, 500, 511), 0u);  // due already
  EXPECT_EQ(SleepBeforeNextStep(1, 500, 499), 0u);  // the clock went back
  EXPECT_EQ(SleepBeforeNextStep(5, 0xFFFFFFFEu, 2), 2u);

  // Only the sleeps and the steps (0.3 ms each) move the clock. After the first wait every
  // pass wakes exactly when its step is due and runs it: none spins, none is late, and ten
  // seconds hold a step every 10 ms from the 11th.
  FakeHost host;
  host.stepCostUs = 300;
  host.endUs = 10000000;
  const std::vector<int> steps = host.Run({}, host.SleepingHooks());
  ASSERT_GT(steps.size(), 2u);
  EXPECT_EQ(steps[0], 0);
  EXPECT_TRUE(std::all_of(steps.begin() + 1, steps.end(), [](int n) { return n == 1; }));
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "step"), 999);
}

TEST(LoopEvents, EscapeAndCloseEndTheLoopAtOnceAndReleasesReachTheHandler) {
  FakeHost escape;
  escape.queue = {{LoopEventType::kKeyDown, 122},
                  {LoopEventType::kKeyDown, kKeyEscape},
                  {LoopEventType::kKeyDown, 273}};
  escape.Run({0});
  EXPECT_EQ(escape.log, (std::vector<std::string>{"down 122"}));
  EXPECT_EQ(escape.queue.size(), 1u);  // the third event is never read

  FakeHost closed;
  closed.queue = {{LoopEventType::kQuit, 0}, {LoopEventType::kKeyDown, 122}};
  closed.Run({0});
  EXPECT_TRUE(closed.log.empty());
  EXPECT_EQ(closed.queue.size(), 1u);

  // Escape's release goes to the handler like any release, other events are ignored, and a
  // batch's keys are handled before that pass's steps.
  FakeHost keys;
  keys.queue = {{LoopEventType::kKeyUp, kKeyEscape},
                {LoopEventType::kOther, 5},
                {LoopEventType::kKeyDown, 274},
                {LoopEventType::kKeyUp, 274}};
  keys.Run({11});
  EXPECT_EQ(keys.log, (std::vector<std::string>{"up 27", "down 274", "up 274", "step"}));
}
