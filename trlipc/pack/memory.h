// Internal allocation, the fatal-error record and the allocator seam of the runtime.
#pragma once

#include <cstddef>
#include <cstdint>

#include "trlipc.h"

namespace trl {

// Memory error codes of the fatal path.
enum : int32_t {
  MEMERR_GET_NO_CLEAR = 17000,
  MEMERR_GET_CLEAR = 17001,
  MEMERR_REALLOC_CLEAR = 17002,
  MEMERR_GET = 17003,
};

// The text of a memory error code; empty for any other code.
const char *memory_error_text(int32_t code);

// The process-wide fatal-error record. Once handled is set only the code and messages change.
struct FatalState {
  static constexpr size_t kMessageSize = 513;
  int32_t code = 0;
  char user_message[kMessageSize];
  char log_message[kMessageSize];
  int16_t handled = 0;
};
FatalState &fatal_state();
// Back to the state of a new process; for tests.
void fatal_reset();

// Records a fatal error. The first one of a process with a non-empty log message is appended to
// "pardex.log" in the current directory; a file that cannot be opened is ignored.
void fatal_error(int32_t code, const char *user_message, const char *log_message);
// The fatal path of a failed allocation with a memory error code.
void fatal_memory_error(int32_t code);

// Zero-filled n * size bytes, or null (fatal error 17001).
void *memory_get_clear(int32_t n, int32_t size);
// Reallocates block to new_size bytes, zeroing the bytes from old_size on; null on failure (fatal error
// 17002), the old block then still valid.
void *memory_realloc_clear(void *block, int32_t new_size, int32_t old_size);
// memory_realloc_clear when there is a block of a non-zero old size, else a fresh zeroed block.
void *memory_realloc_or_get(void *block, int32_t new_size, int32_t old_size);

// The allocator every allocation of the runtime goes through. Tests install one that fails on purpose.
struct Allocator {
  void *(*allocate)(size_t size);  // like malloc
  void *(*reallocate)(void *block, size_t size);  // like realloc
  void (*release)(void *block);  // like free
};
// Installs an allocator (null: the C library's); returns the previous one.
const Allocator *set_allocator(const Allocator *allocator);
void *raw_allocate(size_t size);
void *raw_reallocate(void *block, size_t size);
void raw_release(void *block);

}  // namespace trl
