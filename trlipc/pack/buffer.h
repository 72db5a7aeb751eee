// Operations on ipc_buffer, the growable byte buffer that holds every packet.
#pragma once

#include <cstdint>

#include "trlipc.h"

namespace trl {

// A new owned buffer with zero-filled room for capacity bytes (100 when 0), length 0; null when memory
// runs out.
ipc_buffer *buffer_new(int32_t capacity);
// A new owned buffer of capacity length (100 when 0) holding a copy of bytes when both are given.
ipc_buffer *buffer_new_from(int32_t length, const void *bytes);
// Makes buffer describe bytes it does not own (capacity 0).
void buffer_describe(int32_t length, void *bytes, ipc_buffer *buffer);
// Makes buffer own bytes, a block of exactly length bytes from the runtime's allocator.
void buffer_adopt(int32_t length, void *bytes, ipc_buffer *buffer);
// A new record with no storage; null when memory runs out.
ipc_buffer *buffer_new_empty();
// Appends n bytes, growing the storage to exactly length + n bytes when it is too small. 0, or 1 when
// the storage could not be grown (the buffer is then unchanged).
int buffer_append(ipc_buffer *buffer, const void *bytes, int32_t n);
// Ensures room for extra more bytes in one step, so that a run of appends whose total is known costs
// one reallocation. 0, or 1.
int buffer_reserve(ipc_buffer *buffer, int32_t extra);
// Copies n bytes from offset into destination. 0, or 1 when there is no buffer or storage, offset or n
// is negative, or the range passes the length.
int buffer_read(const ipc_buffer *buffer, int32_t offset, int32_t n, void *destination);
// Measures a run of count elements of element_size bytes at offset. With terminated, the run ends after
// the first all-zero element. 0, or 1 when the run does not lie in the buffer.
int buffer_measure(const ipc_buffer *buffer, int32_t offset, int32_t element_size, int32_t count,
                   bool terminated, int32_t *length, bool *terminator_found);
// Copies a measured run into *destination (made when null), appending or from the start; a terminated
// run without a terminator gets one extra zero element. 0, or 1 with nothing changed.
int buffer_copy_out(const ipc_buffer *source, int32_t offset, int32_t element_size, int32_t count,
                    bool terminated, bool append, ipc_buffer **destination);
// Releases the storage and the record; null is a no-op.
void buffer_release(ipc_buffer *buffer);
// Releases the storage only and empties the record, which stays usable.
void buffer_clear(ipc_buffer *buffer);

}  // namespace trl
