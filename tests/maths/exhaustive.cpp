// Every float through the game's sine, cosine and arc cosine, held against a correctly rounded
// reference: make test-math. Prints what it checked and the exceptions the game's table
// settles, and fails on any difference. With --list, prints the exceptions that rounding the
// double results needs, as the rows of the game's tables.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "game/maths.h"
#include "tests/maths/reference.h"

namespace {

constexpr uint64_t kInputs = 1ull << 32;
constexpr uint64_t kChunk = 1ull << 22;
constexpr const char* kNames[] = {"sine", "cosine", "arc cosine"};

struct Tally {
  std::atomic<uint64_t> checked{0};
  std::atomic<uint64_t> settledByMpfr{0};
  std::mutex mutex;
  std::set<uint32_t> needed;  // table keys: |x| for sine and cosine, x for arc cosine
  std::vector<std::string> rows;
  std::vector<std::string> faults;
};

Tally g_tally[3];

void Check(int function, float x, double library, float game, double beforeTable) {
  Tally& t = g_tally[function];
  bool exact = false;
  const float expected = Reference(static_cast<Function>(function), x, library, &exact);
  if (exact) ++t.settledByMpfr;
  const bool byTable = !Same(static_cast<float>(beforeTable), expected);
  if (!byTable && Same(game, expected)) return;
  const uint32_t key = function == 2 ? BitsOf(x) : BitsOf(x) & 0x7fffffff;
  std::lock_guard<std::mutex> lock(t.mutex);
  if (byTable && t.needed.insert(key).second) {
    char row[64];
    // Sine is listed by |x| with sin |x|: the game gives sin -x as -sin x.
    const uint32_t out = BitsOf(function == 0 && x < 0 ? -expected : expected);
    std::snprintf(row, sizeof row, "{0x%08x, 0x%08x},  // %a", key, out, FloatOf(key));
    t.rows.push_back(row);
  }
  if (!Same(game, expected) && t.faults.size() < 20) {
    char fault[128];
    std::snprintf(fault, sizeof fault, "%s(%a) gives %a, not %a", kNames[function], x, game,
                  expected);
    t.faults.push_back(fault);
  }
}

void Work(std::atomic<uint64_t>* next) {
  for (;;) {
    const uint64_t from = next->fetch_add(kChunk);
    if (from >= kInputs) return;
    for (uint64_t i = from; i < from + kChunk; ++i) {
      const float x = FloatOf(static_cast<uint32_t>(i));
      double s, c;
      sincos(x, &s, &c);
      Check(0, x, s, Sine(x), SineBeforeTable(x));
      Check(1, x, c, Cosine(x), CosineBeforeTable(x));
      Check(2, x, std::acos(static_cast<double>(x)), ArcCosine(x), ArcCosineBeforeTable(x));
    }
    for (Tally& t : g_tally) t.checked += kChunk;
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool list = argc > 1 && std::strcmp(argv[1], "--list") == 0;
  std::atomic<uint64_t> next{0};
  std::vector<std::thread> threads;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  for (unsigned i = 0; i < cores; ++i) threads.emplace_back(Work, &next);
  for (std::thread& thread : threads) thread.join();
  int status = 0;
  for (int f = 0; f < 3; ++f) {
    Tally& t = g_tally[f];
    std::printf(
        "%s: %llu inputs checked, %llu settled by MPFR, %zu exceptions needed, %d in the table\n",
        kNames[f], static_cast<unsigned long long>(t.checked.load()),
        static_cast<unsigned long long>(t.settledByMpfr.load()), t.needed.size(),
        ExceptionCount(f));
    for (const std::string& fault : t.faults) std::printf("  %s\n", fault.c_str());
    if (list) {
      std::sort(t.rows.begin(), t.rows.end());
      for (const std::string& row : t.rows) std::printf("    %s\n", row.c_str());
    }
    if (!t.faults.empty() || static_cast<int>(t.needed.size()) != ExceptionCount(f)) status = 1;
  }
  return status;
}
