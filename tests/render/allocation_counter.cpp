#include "tests/render/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

long AllocationsSoFar() {
  return g_allocations.load();
}

// The array forms and the sized deletes fall back on these two.
void* operator new(std::size_t size) {
  g_allocations.fetch_add(1);
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
