#include "tests/game/live_allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_live{0};
}

long LiveAllocations() {
  return g_live.load();
}

void* operator new(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  ++g_live;
  return p;
}

void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  --g_live;
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
  operator delete(p);
}
