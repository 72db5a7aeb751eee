// ipc_buffer: every packet of the runtime lives in one.
#include "buffer.h"

#include <cstring>

#include "memory.h"

namespace trl {

ipc_buffer *buffer_new(int32_t capacity) {
  if (capacity < 0) return nullptr;
  if (capacity == 0) capacity = 100;
  auto *buffer = static_cast<ipc_buffer *>(memory_get_clear(1, sizeof(ipc_buffer)));
  if (!buffer) return nullptr;
  buffer->data = static_cast<unsigned char *>(memory_get_clear(1, capacity));
  if (!buffer->data) {
    raw_release(buffer);
    return nullptr;
  }
  buffer->capacity = capacity;
  return buffer;
}

ipc_buffer *buffer_new_from(int32_t length, const void *bytes) {
  ipc_buffer *buffer = buffer_new(length);
  if (buffer && length > 0 && bytes) {
    std::memcpy(buffer->data, bytes, static_cast<size_t>(length));
    buffer->length = length;
  }
  return buffer;
}

void buffer_describe(int32_t length, void *bytes, ipc_buffer *buffer) {
  buffer->data = static_cast<unsigned char *>(bytes);
  buffer->length = length;
  buffer->capacity = 0;
}

void buffer_adopt(int32_t length, void *bytes, ipc_buffer *buffer) {
  buffer->data = static_cast<unsigned char *>(bytes);
  buffer->length = length;
  buffer->capacity = length;
}

ipc_buffer *buffer_new_empty() { return static_cast<ipc_buffer *>(memory_get_clear(1, sizeof(ipc_buffer))); }

namespace {

// Grows owned storage to exactly needed bytes. A buffer that describes memory it does not own gets a
// copy of its own first, so that the caller's memory is never reallocated.
int grow_to(ipc_buffer *buffer, int32_t needed) {
  if (buffer->capacity >= needed) return 0;
  unsigned char *data;
  if (buffer->capacity == 0) {
    data = static_cast<unsigned char *>(memory_get_clear(1, needed));
    if (!data) return 1;
    if (buffer->data && buffer->length > 0) std::memcpy(data, buffer->data, static_cast<size_t>(buffer->length));
  } else {
    data = static_cast<unsigned char *>(memory_realloc_clear(buffer->data, needed, buffer->capacity));
    if (!data) return 1;
  }
  buffer->data = data;
  buffer->capacity = needed;
  return 0;
}

// length + n, or -1 when it would not fit the 32-bit length.
int32_t checked_sum(int32_t length, int32_t n) {
  int64_t sum = static_cast<int64_t>(length) + n;
  return sum > INT32_MAX ? -1 : static_cast<int32_t>(sum);
}

}  // namespace

int buffer_reserve(ipc_buffer *buffer, int32_t extra) {
  if (!buffer || extra < 0) return 1;
  int32_t needed = checked_sum(buffer->length, extra);
  return needed < 0 ? 1 : grow_to(buffer, needed);
}

int buffer_append(ipc_buffer *buffer, const void *bytes, int32_t n) {
  if (!buffer || n < 0) return 1;
  if (n == 0) return 0;
  if (buffer_reserve(buffer, n) != 0) return 1;
  std::memcpy(buffer->data + buffer->length, bytes, static_cast<size_t>(n));
  buffer->length += n;
  return 0;
}

int buffer_read(const ipc_buffer *buffer, int32_t offset, int32_t n, void *destination) {
  if (!buffer || !buffer->data || offset < 0 || n < 0) return 1;
  if (static_cast<int64_t>(offset) + n > buffer->length) return 1;
  if (n > 0) std::memcpy(destination, buffer->data + offset, static_cast<size_t>(n));
  return 0;
}

int buffer_measure(const ipc_buffer *buffer, int32_t offset, int32_t element_size, int32_t count,
                   bool terminated, int32_t *length, bool *terminator_found) {
  if (!buffer || !buffer->data || offset < 0 || element_size < 0 || count < 0) return 1;
  int64_t full = static_cast<int64_t>(element_size) * count;
  int64_t limit = 2147483646LL - offset;
  if (full > limit) full = limit;
  if (terminator_found) *terminator_found = false;
  if (!terminated) {
    if (offset + full > buffer->length) return 1;
    *length = static_cast<int32_t>(full);
    return 0;
  }
  if (element_size == 0) {
    *length = 0;
    return 0;
  }
  int64_t at = 0;
  while (at < full) {
    if (offset + at + element_size > buffer->length) return 1;
    const unsigned char *element = buffer->data + offset + at;
    at += element_size;
    bool zero = true;
    for (int32_t b = 0; b < element_size; ++b) zero = zero && element[b] == 0;
    if (zero) {
      if (terminator_found) *terminator_found = true;
      break;
    }
  }
  *length = static_cast<int32_t>(at);
  return 0;
}

int buffer_copy_out(const ipc_buffer *source, int32_t offset, int32_t element_size, int32_t count,
                    bool terminated, bool append, ipc_buffer **destination) {
  if (!destination) return 1;
  int32_t run = 0;
  bool found = false;
  if (buffer_measure(source, offset, element_size, count, terminated, &run, &found) != 0) return 1;
  int32_t base = append && *destination ? (*destination)->length : 0;
  int64_t needed64 = static_cast<int64_t>(base) + run + (terminated && !found ? element_size : 0);
  if (needed64 > INT32_MAX - 102400) return 1;
  auto needed = static_cast<int32_t>(needed64);
  ipc_buffer *target = *destination;
  bool made = false;
  if (!target) {
    target = buffer_new(needed);
    if (!target) return 1;
    made = true;
  }
  if (target->capacity < needed) {
    // Check that the size plus generous headroom could be had at all before touching the buffer.
    void *probe = raw_allocate(static_cast<size_t>(needed) + 102400);
    if (!probe) return 1;
    raw_release(probe);
    if (grow_to(target, needed) != 0) {
      if (made) buffer_release(target);
      return 1;
    }
  }
  if (run > 0) std::memcpy(target->data + base, source->data + offset, static_cast<size_t>(run));
  if (needed > base + run) std::memset(target->data + base + run, 0, static_cast<size_t>(needed - base - run));
  target->length = needed;
  *destination = target;
  return 0;
}

void buffer_clear(ipc_buffer *buffer) {
  if (!buffer) return;
  if (buffer->capacity != 0) memory_free(buffer->data, buffer->capacity);
  buffer->data = nullptr;
  buffer->length = 0;
  buffer->capacity = 0;
}

void buffer_release(ipc_buffer *buffer) {
  if (!buffer) return;
  buffer_clear(buffer);
  raw_release(buffer);
}

}  // namespace trl
