// An allocator for tests that fails chosen allocations: the Nth from now, or every one from the Nth on.
#pragma once

#include <cstdlib>

#include "pack/memory.h"

namespace omra::test {

class FailingAllocator {
 public:
  // Fails allocation number n (1 = the next one); with forever, that one and all after it.
  explicit FailingAllocator(int n, bool forever = false) {
    countdown() = n;
    sticky() = forever;
    previous_ = trl::set_allocator(&kTable);
  }
  ~FailingAllocator() { trl::set_allocator(previous_); }
  FailingAllocator(const FailingAllocator &) = delete;
  FailingAllocator &operator=(const FailingAllocator &) = delete;

  // Whether the failure point was reached.
  static bool fired() { return countdown() <= 0; }

 private:
  static int &countdown() {
    static int n = 0;
    return n;
  }
  static bool &sticky() {
    static bool forever = false;
    return forever;
  }
  static bool fail_now() {
    int &n = countdown();
    if (n <= 0) return sticky();
    return --n == 0;
  }
  static void *allocate(size_t size) { return fail_now() ? nullptr : std::malloc(size); }
  static void *reallocate(void *block, size_t size) { return fail_now() ? nullptr : std::realloc(block, size); }
  static constexpr trl::Allocator kTable = {allocate, reallocate, std::free};
  const trl::Allocator *previous_;
};

}  // namespace omra::test
