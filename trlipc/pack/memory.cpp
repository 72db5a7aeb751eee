// Zero-filled allocation, bounded copies and the fatal-error path.
#include "memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace trl {
namespace {

const Allocator kLibcAllocator = {std::malloc, std::realloc, std::free};
const Allocator *g_allocator = &kLibcAllocator;

constexpr char kDefaultFatalMessage[] = "A fatal error has occurred in the application.\n";
constexpr char kMemoryUserMessage[] =
    "Could not perform needed virtual memory function.\nShutting down program for problem to be identified.\n";

FatalState make_fatal_state() {
  FatalState state;
  std::snprintf(state.user_message, sizeof state.user_message, "%s", kDefaultFatalMessage);
  std::snprintf(state.log_message, sizeof state.log_message, "%s", kDefaultFatalMessage);
  return state;
}

FatalState g_fatal = make_fatal_state();

}  // namespace

const Allocator *set_allocator(const Allocator *allocator) {
  const Allocator *previous = g_allocator;
  g_allocator = allocator ? allocator : &kLibcAllocator;
  return previous;
}

void *raw_allocate(size_t size) { return g_allocator->allocate(size); }
void *raw_reallocate(void *block, size_t size) { return g_allocator->reallocate(block, size); }
void raw_release(void *block) { g_allocator->release(block); }

const char *memory_error_text(int32_t code) {
  switch (code) {
    case MEMERR_GET_NO_CLEAR: return "memory get no clear";
    case MEMERR_GET_CLEAR: return "memory get clear";
    case MEMERR_REALLOC_CLEAR: return "memory reallocate clear";
    case MEMERR_GET: return "memory get";
    default: return "";
  }
}

FatalState &fatal_state() { return g_fatal; }
void fatal_reset() { g_fatal = make_fatal_state(); }

void fatal_error(int32_t code, const char *user_message, const char *log_message) {
  g_fatal.code = code;
  std::snprintf(g_fatal.user_message, sizeof g_fatal.user_message, "%s", user_message ? user_message : "");
  std::snprintf(g_fatal.log_message, sizeof g_fatal.log_message, "%s", log_message ? log_message : "");
  if (code == 0 || g_fatal.handled) return;
  g_fatal.handled = 1;
  if (g_fatal.log_message[0] == '\0') return;
  if (FILE *log = std::fopen("pardex.log", "a")) {
    std::fputs(g_fatal.log_message, log);
    std::fclose(log);
  }
}

void fatal_memory_error(int32_t code) {
  char log_message[FatalState::kMessageSize];
  std::snprintf(log_message, sizeof log_message, "UNRECOVERABLE ERROR ENCOUNTERED...\nError number: %d - %s\n",
                code, memory_error_text(code));
  fatal_error(code, kMemoryUserMessage, log_message);
}

namespace {

// A zeroed block of size bytes; at least one byte is asked for so that a zero size still gives a block
// that can be told from a failure.
void *zeroed_block(int64_t size, int32_t error_code) {
  void *block = size < 0 ? nullptr : raw_allocate(size > 0 ? static_cast<size_t>(size) : 1);
  if (!block) {
    fatal_memory_error(error_code);
    return nullptr;
  }
  std::memset(block, 0, size > 0 ? static_cast<size_t>(size) : 1);
  return block;
}

}  // namespace

void *memory_get_clear(int32_t n, int32_t size) {
  if (n < 0 || size < 0) return zeroed_block(-1, MEMERR_GET_CLEAR);
  return zeroed_block(static_cast<int64_t>(n) * size, MEMERR_GET_CLEAR);
}

void *memory_realloc_clear(void *block, int32_t new_size, int32_t old_size) {
  void *grown = new_size < 0 ? nullptr : raw_reallocate(block, new_size > 0 ? static_cast<size_t>(new_size) : 1);
  if (!grown) {
    fatal_memory_error(MEMERR_REALLOC_CLEAR);
    return nullptr;
  }
  if (new_size > old_size) {
    int32_t from = old_size > 0 ? old_size : 0;
    std::memset(static_cast<char *>(grown) + from, 0, static_cast<size_t>(new_size - from));
  }
  return grown;
}

void *memory_realloc_or_get(void *block, int32_t new_size, int32_t old_size) {
  if (block && old_size != 0) return memory_realloc_clear(block, new_size, old_size);
  return memory_get_clear(1, new_size);
}

}  // namespace trl

using namespace trl;

extern "C" {

TRL_API void *TRL_CDECL memory_get(int32_t size) { return zeroed_block(size, MEMERR_GET); }

TRL_API int TRL_CDECL memory_free(void *block, int32_t length) {
  if (block && length != 0) raw_release(block);
  return 0;
}

TRL_API int TRL_CDECL memory_null(void *variable, int32_t length) {
  if (!variable) return 0;
  void **slot = static_cast<void **>(variable);
  memory_free(*slot, length);
  *slot = nullptr;
  return 0;
}

TRL_API int TRL_CDECL memory_null_zero(void *variable, int32_t *length) {
  memory_null(variable, length ? *length : 0);
  if (length) *length = 0;
  return 0;
}

TRL_API void TRL_CDECL memory_null_no_len(void *variable) {
  if (!variable) return;
  void **slot = static_cast<void **>(variable);
  if (!*slot) return;
  raw_release(*slot);
  *slot = nullptr;
}

TRL_API int TRL_CDECL libsa_memcpy(void *destination, const void *source, int32_t n) {
  if (n < 0) {
    fatal_error(n, "FTL_LIB4VMS_CPY", "");
    return 0;
  }
  if (n > 0) std::memmove(destination, source, static_cast<size_t>(n));
  return 0;
}

TRL_API int TRL_CDECL libsa_memcpy_fill(void *destination, const void *source, int32_t destination_length,
                                        int32_t source_length, int fill) {
  if (destination_length < 0 || source_length < 0) {
    fatal_error(destination_length < 0 ? destination_length : source_length, "FTL_LIB4VMS_CPY_FILL", "");
    return 0;
  }
  if (destination_length <= source_length) {
    if (destination_length > 0) std::memmove(destination, source, static_cast<size_t>(destination_length));
    return 0;
  }
  if (source_length > 0) std::memmove(destination, source, static_cast<size_t>(source_length));
  std::memset(static_cast<char *>(destination) + source_length, fill,
              static_cast<size_t>(destination_length - source_length));
  return 0;
}

}  // extern "C"
