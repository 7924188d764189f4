// driftbeam's benchmark: the drone pass against the floor that its own dependencies set,
// the frame on a real OpenGL context, and the largest swarm that still keeps 100 ticks a
// second. `make bench` builds it and runs it under its own X server.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "bench/frame.h"
#include "bench/sound.h"
#include "game/drone_pass.h"
#include "game/drones.h"
#include "game/player.h"
#include "game/world.h"
#include "render/present.h"

namespace {
long g_allocations = 0;  // calls of operator new since start-up
}

// Counts every allocation through operator new, so that the bench can tell whether a tick
// or a frame touches the heap. The GL driver's own mallocs are not counted; the C++ heap of
// the software renderer, which compiles its shaders on first use, is, so frames are counted
// only after a warm-up.
void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSizes[] = {250, 1000, 2000, 4000};
constexpr int kTargetSize = 1500;   // the swarm that must still fit in one tick
constexpr double kBudgetMs = 10.0;  // one step of the game's 100 Hz loop
constexpr uint64_t kSeed = 2718281828u;
constexpr int kFrames = 31;         // steps of the loop timed per swarm size
constexpr int kWarmUpSteps = 10;    // steps run before timing, at each size
constexpr int kChainLength = 4096;  // operands of the chain floor, reused round and round

float g_chainB[kChainLength];  // a neighbour's velocity
float g_chainK[kChainLength];  // its matching factor
float g_chainR[kChainLength];  // its push
volatile float g_sink;         // keeps the chain's result alive

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// n live drones of mixed kinds at rest, anywhere on the screen but close to the ship, so
// that none can touch it in the few ticks a measurement runs.
std::vector<Drone> MakeSwarm(int n) {
  uint64_t state = kSeed;
  auto draw = [&state](int below) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<int>((state >> 33) % static_cast<uint64_t>(below));
  };
  std::vector<Drone> swarm;
  while (static_cast<int>(swarm.size()) < n) {
    const float x = static_cast<float>(draw(64000)) / 100.0f;
    const float y = static_cast<float>(draw(48000)) / 100.0f;
    const float dx = x - 320.0f;
    const float dy = y - 240.0f;
    if (dx * dx + dy * dy < 100.0f * 100.0f) continue;
    const float heading = static_cast<float>(draw(360));
    swarm.push_back(Drone{x, y, 0.0f, 0.0f, heading, 0.0f, draw(3), false});
  }
  return swarm;
}

// A fresh game that holds exactly this swarm, and no wave will come while the bench runs.
// After the first call the world is reset by hand rather than by NewGame, which would also
// give back the drone pass's memory and make every timed tick allocate it again.
void SetWorld(const std::vector<Drone>& swarm) {
  if (g_player == nullptr) NewGame();
  for (Drone* d : g_drones) delete d;
  g_drones.clear();
  const Player fresh = {320.0f, 240.0f, 0.0f, 0.0f, {}, 0, 0.0f, 0.0f, false, 100.0f, 0.0f};
  *g_player = fresh;
  g_tick = 0;
  g_gameOver = false;
  g_spawnInterval = INT_MAX;
  for (const Drone& d : swarm) g_drones.push_back(new Drone(d));
}

// The tick as the game ran it before the pipelined pass: in this world no wave is due and
// there are no lasers, so that is the ship and the plain drone pass.
void PlainTick() {
  UpdatePlayer();
  g_tick += 1;
  RunDronePass();
}

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "bench: %s\n", what);
  std::exit(1);
}

// Times one run on a fresh copy of the swarm; the copy itself is not timed.
template <typename Run>
double TimeOnce(const std::vector<Drone>& swarm, Run run) {
  SetWorld(swarm);
  const auto start = Clock::now();
  run();
  const double ms = Ms(start, Clock::now());
  Check(!g_gameOver && g_drones.size() == swarm.size(), "a drone died or reached the ship");
  return ms;
}

void FillChain() {
  uint64_t state = kSeed;
  for (int j = 0; j < kChainLength; ++j) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const float u = static_cast<float>(state >> 40) / 16777216.0f;  // 0 to 1
    g_chainB[j] = u - 0.5f;
    g_chainK[j] = 1.0e-4f * u;
    g_chainR[j] = 1.0e-6f * (0.5f - u);
  }
}

// The floor: `steps` neighbours' worth of the four dependent operations on a velocity
// (subtract, multiply, add, add) and nothing else, its operands waiting in memory. Both
// components run side by side, as in the pass.
__attribute__((noinline)) void RunChain(long long steps) {
  float vx = 0.25f;
  float vy = -0.25f;
  while (steps > 0) {
    const int n = static_cast<int>(std::min<long long>(steps, kChainLength));
    for (int j = 0; j < n; ++j) {
      vx = vx + (g_chainB[j] - vx) * g_chainK[j];
      vy = vy + (g_chainB[j] - vy) * g_chainK[j];
      vx = vx + g_chainR[j];
      vy = vy + g_chainR[j];
    }
    steps -= n;
  }
  g_sink = vx + vy;
}

double TimeChain(long long steps) {
  const auto start = Clock::now();
  RunChain(steps);
  return Ms(start, Clock::now());
}

int RepsFor(int n) {
  return n <= 250 ? 41 : n <= 1000 ? 15 : n <= 2000 ? 9 : 7;
}

struct PassRow {
  int n;
  double tick, pipelined, floor, plain, chain;  // medians, ms
  long ticksAllocations;                        // operator new calls in the timed ticks
};

// Every measurement of one size, taken in turns so that a change of clock speed during the
// run touches them all alike.
PassRow MeasurePass(int n) {
  const std::vector<Drone> swarm = MakeSwarm(n);
  const long long pairs = static_cast<long long>(n) * (n - 1);
  TimeOnce(swarm, RunPipelinedDronePass);  // lets the pass's arrays grow to this size first
  std::vector<double> tick, pipelined, floor, plain, chain;
  long allocations = 0;
  for (int r = 0; r < RepsFor(n); ++r) {
    SetWorld(swarm);
    const long before = g_allocations;
    const auto start = Clock::now();
    UpdateWorld();
    const double ms = Ms(start, Clock::now());
    allocations += g_allocations - before;
    tick.push_back(ms);
    pipelined.push_back(TimeOnce(swarm, RunPipelinedDronePass));
    floor.push_back(TimeChain(pairs / 2));
    plain.push_back(TimeOnce(swarm, RunDronePass));
    chain.push_back(TimeChain(pairs));
  }
  return {n,          Median(tick), Median(pipelined), Median(floor), Median(plain), Median(chain),
          allocations};
}

void PrintPassTable(const std::vector<PassRow>& rows) {
  std::printf(
      "The drone pass: N live drones of mixed kinds placed from a fixed seed, none dying.\n"
      "A pair is one drone flocking against one neighbour, N(N-1) per tick. The floor is a\n"
      "bare chain of the four dependent operations, N(N-1)/2 steps; the plain chain N(N-1).\n"
      "Medians of interleaved runs.\n\n");
  std::printf(
      "      N |  tick ms | pipelined ms  ns/pair  floor ms  ratio |  plain ms  ns/pair  "
      "chain ms  ratio | speed-up\n");
  std::printf(
      "  ------+----------+-----------------------------------------+------------------"
      "------------------+---------\n");
  for (const PassRow& r : rows) {
    const double pairs = static_cast<double>(r.n) * (r.n - 1);
    std::printf("  %5d | %8.3f | %12.3f %8.2f %9.3f %6.2f | %9.3f %8.2f %9.3f %6.2f | %7.2fx\n",
                r.n, r.tick, r.pipelined, r.pipelined * 1e6 / pairs, r.floor, r.pipelined / r.floor,
                r.plain, r.plain * 1e6 / pairs, r.chain, r.plain / r.chain, r.plain / r.pipelined);
  }
  long allocations = 0;
  for (const PassRow& r : rows) allocations += r.ticksAllocations;
  std::printf("\nHeap allocations in the timed ticks (no wave due): %ld\n\n", allocations);
}

// Steps of the game's loop, a tick and then its frame, one after another from a fresh copy
// of the swarm, as the game runs them; medians in ms.
struct Steps {
  double tick;
  double draw;       // the frame's drawing
  double present;    // its swap
  double both;       // the whole step: tick, drawing and swap
  double fastest;    // the fastest whole step
  long allocations;  // operator new calls in the frames
};

Steps TimeSteps(const std::vector<Drone>& swarm, bool pipelined, bool frames, int count) {
  SetWorld(swarm);
  std::vector<double> ticks, drawn, presented, both;
  ticks.reserve(count);
  drawn.reserve(count);
  presented.reserve(count);
  both.reserve(count);
  long allocations = 0;
  // The first steps warm up the pass's arrays and the software renderer, which compiles its
  // shaders on first use.
  for (int step = -kWarmUpSteps; step < count; ++step) {
    const auto start = Clock::now();
    if (pipelined) {
      UpdateWorld();
    } else {
      PlainTick();
    }
    const auto ticked = Clock::now();
    const long before = g_allocations;
    const FrameTime frame = frames ? TimeFrame() : FrameTime{0.0, 0.0};
    if (step < 0) continue;
    allocations += g_allocations - before;
    ticks.push_back(Ms(start, ticked));
    drawn.push_back(frame.draw);
    presented.push_back(frame.present);
    both.push_back(Ms(start, ticked) + frame.draw + frame.present);
  }
  Check(!g_gameOver && g_drones.size() == swarm.size(), "a drone died or reached the ship");
  return {Median(ticks),
          Median(drawn),
          Median(presented),
          Median(both),
          *std::min_element(both.begin(), both.end()),
          allocations};
}

// The largest swarm whose tick and frame together stay within one 10 ms step, to within a
// few drones: the cost grows with N, so a bisection finds the edge. 4096 stands for "4096 or
// more".
int LargestSwarm(bool pipelined, bool frames) {
  auto fits = [&](int n) {
    return TimeSteps(MakeSwarm(n), pipelined, frames, 15).both <= kBudgetMs;
  };
  int fitting = 1;
  int failing = 4096;
  if (fits(failing)) return failing;
  while (failing - fitting > 4) {
    const int mid = (fitting + failing) / 2;
    if (fits(mid)) {
      fitting = mid;
    } else {
      failing = mid;
    }
  }
  return fitting;
}

void PrintFrameTable() {
  std::printf(
      "The game's loop: a tick with the pipelined pass, then its frame in the game's 640x480\n"
      "window, %d steps in a row per size; medians, and the fastest step. The frame is timed\n"
      "in two parts, each until the renderer is done: its drawing, which grows with the swarm,\n"
      "and its swap, which hands the picture to the X server, another process; the swap's\n"
      "wait for that process's turn on the processor comes and goes from frame to frame.\n\n",
      kFrames);
  std::printf(
      "      N |  tick ms  draw ms  swap ms | step ms  fastest | allocations in the frames\n");
  std::printf(
      "  ------+---------------------------+------------------+--------------------------\n");
  std::vector<int> sizes(std::begin(kSizes), std::end(kSizes));
  sizes.insert(sizes.begin(), 0);  // what a frame costs before any drone
  sizes.insert(sizes.begin() + 3, kTargetSize);
  for (int n : sizes) {
    const Steps steps = TimeSteps(MakeSwarm(n), true, true, kFrames);
    std::printf("  %5d | %8.3f %8.3f %8.3f | %7.3f %8.3f | %ld\n", n, steps.tick, steps.draw,
                steps.present, steps.both, steps.fastest, steps.allocations);
  }
  std::printf("\n");
}

double MedianNewGameFrame() {
  NewGame();
  std::vector<double> frames;
  for (int i = -kWarmUpSteps; i < kFrames; ++i) {
    const FrameTime ms = TimeFrame();
    if (i >= 0) frames.push_back(ms.draw + ms.present);
  }
  return Median(frames);
}

// What each window scale costs a player on a software renderer: the frame of a new game, and
// the share of a core that the game takes, sleeping between its steps, once the game is over.
// A scale keeps 100 frames a second while its frame stays well under 10 ms.
void PrintScaleTable() {
  std::printf(
      "\nWindow scales: the frame at the start of a game (median of %d, with glFinish), and the\n"
      "game's own loop left running for 5 s at \"game over\": processor time over clock time,\n"
      "and the steps it ran a second (100 while the machine keeps up); then 10 s of a game\n"
      "paused with p. \"kept\" is the same frame where the swap loses the picture and the\n"
      "frame keeps its own copy of it.\n\n",
      kFrames);
  std::printf(
      "  scale |    window | frame ms |  kept ms | CPU at game over  steps/s | CPU paused\n");
  std::printf(
      "  ------+-----------+----------+----------+--------------------------+-----------\n");
  for (int scale = 1; scale <= 3; ++scale) {
    if (!OpenBenchWindow(scale)) {
      std::printf("  %5d | does not fit on this screen\n", scale);
      continue;
    }
    const double plain = MedianNewGameFrame();
    const GameOverLoad load = RunAtGameOver(5.0);
    const double paused = RunPaused(10.0);
    const double kept = KeepPicture(true) ? MedianNewGameFrame() : -1.0;
    std::printf("  %5d | %4dx%-4d | %8.3f | %8.3f | %14.1f %% %8.1f | %7.1f %%\n", scale,
                640 * scale, 480 * scale, plain, kept, 100.0 * load.cpuShare, load.stepsPerSecond,
                100.0 * paused);
    CloseBenchWindow();
  }
}

// The machine is shared; a busy neighbour slows the software renderer above all.
double LoadAverage() {
  double load = -1.0;
  if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &load) != 1) load = -1.0;
    std::fclose(f);
  }
  return load;
}

}  // namespace

int main() {
  // The software renderer takes a large block of memory and frees it again in every frame.
  // Here the bench's own allocations leave that block at the top of the heap, and glibc hands
  // it back to the system at each free and takes it again in the next frame: some 28 brk
  // calls a frame, which made the first rows with drones (250) cost three times their
  // drawing. The game's heap keeps the block (81 brk calls in 40 s of the deep game); so does
  // the bench's, from here on.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  std::printf("driftbeam bench, load average %.2f at the start\n\n", LoadAverage());
  FillChain();
  std::vector<PassRow> rows;
  for (int n : kSizes) rows.push_back(MeasurePass(n));
  PrintPassTable(rows);

  const bool frames = OpenBenchWindow(1);
  if (frames) {
    PrintFrameTable();
  } else {
    std::printf("No display: the frame is not measured, and 100 Hz counts the tick alone.\n\n");
  }
  const int before = LargestSwarm(false, frames);
  const int after = LargestSwarm(true, frames);
  std::printf(
      "Largest N whose tick%s fits in %.0f ms (medians): %d with the plain pass, %d pipelined.\n",
      frames ? " and frame" : "", kBudgetMs, before, after);
  if (frames) {
    CloseBenchWindow();
    PrintScaleTable();
  }
  PrintSoundTable();
  FreeWorld();
  return 0;
}
