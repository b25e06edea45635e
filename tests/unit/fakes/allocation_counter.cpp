#include "fakes/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> allocations{0};

}  // namespace

namespace petariko {

long AllocationsSoFar() { return allocations.load(); }

}  // namespace petariko

// The array and nothrow forms call these by default.
void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
