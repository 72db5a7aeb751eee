// The packing engine: building requests and replies, extracting values and replies.
#include "pack/pack.h"

#include <cstring>

#include "pack/buffer.h"
#include "pack/descriptors.h"
#include "pack/memory.h"
#include "pack/pack_error.h"
#include "pack/packet.h"
#include "pack/types.h"
#include "pack/wire.h"

namespace trl {
namespace {

constexpr int32_t kUsdMaxBlock = 0xFFFE;  // FF FF ends a terminated list, so no block may be that long
constexpr uint16_t kUsdEnd = 0xFFFF;

bool basic_data_type(int32_t type) { return (type >= CH && type <= STR) || type == EL; }

template <typename T>
T load(const unsigned char *at) {
  T value{};
  if (at) std::memcpy(&value, at, sizeof value);
  return value;
}

// Whether element i of a build-side array counts as its terminator.
bool is_zero_element(int32_t type, const unsigned char *element) {
  switch (type) {
    case FL: {
      float v = load<float>(element);
      return !(v < 0.0f || v > 0.0f);
    }
    case DB: {
      double v = load<double>(element);
      return !(v < 0.0 || v > 0.0);
    }
    default: {
      int32_t size = pack_basic_size(type);
      for (int32_t b = 0; b < size; ++b) {
        if (element[b] != 0) return false;
      }
      return true;
    }
  }
}

// ------------------------------------------------------------------------------------------------
// Building. Every build runs its walk twice: first into a Sink that only counts, which finds every
// failure and the exact size, then, after the output has grown once to that size, into a Sink that
// writes. So a build either fails having written nothing or writes everything, and costs one
// allocation whatever the number of values.

class Sink {
 public:
  explicit Sink(ipc_buffer *out) : out_(out) {}
  bool writing() const { return out_ != nullptr; }
  int64_t size() const { return size_; }

  void bytes(const void *p, size_t n) {
    if (out_ && n > 0) std::memcpy(here(), p, n);
    advance(n);
  }
  void zeros(size_t n) {
    if (out_ && n > 0) std::memset(here(), 0, n);
    advance(n);
  }
  void swapped(const unsigned char *p, int32_t element_size, size_t n) {
    if (out_ && n > 0) wire::swap_elements(here(), p, element_size, n);
    advance(static_cast<size_t>(element_size) * n);
  }
  void be16(uint16_t v) {
    unsigned char b[2];
    wire::put16(b, v);
    bytes(b, 2);
  }
  void be32(uint32_t v) {
    unsigned char b[4];
    wire::put32(b, v);
    bytes(b, 4);
  }

 private:
  unsigned char *here() { return out_->data + out_->length; }
  void advance(size_t n) {
    size_ += static_cast<int64_t>(n);
    if (out_) out_->length += static_cast<int32_t>(n);
  }
  ipc_buffer *out_;
  int64_t size_ = 0;
};

class Encoder {
 public:
  Encoder(const rpi_group *group, Sink &sink) : group_(group), sink_(sink) {}

  // One argument given by address (see pack.h).
  int value(int32_t type, int32_t count, const void *address, int depth = 0) {
    if (type == DYNA) {
      if (count != 0) return PACKERR_DYNA_COUNT;
      return dyna(static_cast<const unsigned char *>(address));
    }
    if (count == 0) return elements(type, 0, static_cast<const unsigned char *>(address), depth);
    // Check the descriptor before reading the caller's array variable through it.
    if (pack_element_size_of(group_, type, depth) < 0) return PACKERR_TYPE;
    if (pack_is_struct(type) && count < 0) return PACKERR_STRUCT_COUNT;
    const unsigned char *array = address ? load<const unsigned char *>(static_cast<const unsigned char *>(address))
                                         : nullptr;
    return elements(type, count, array, depth);
  }

  // Elements stored at data (null: all zero).
  int elements(int32_t type, int32_t count, const unsigned char *data, int depth) {
    if (count == PACK_COUNT_FROM_EL) return PACKERR_EL_NEXT;
    if (basic_data_type(type)) return basic(type, count, data);
    switch (type) {
      case PT: return 0;
      case USD: return usd(count, data);
      case DYNA: return count != 0 ? PACKERR_DYNA_COUNT : dyna(data);
      default: break;
    }
    if (!pack_is_struct(type)) return PACKERR_TYPE;
    return structure(type, count, data, depth);
  }

 private:
  int basic(int32_t type, int32_t count, const unsigned char *data) {
    const int32_t size = pack_basic_size(type);
    int64_t n = pack_count_limit(count);
    if (count < 0 && size == 1 && data) {
      // Byte types: the terminator is the first zero byte within the limit.
      const void *zero = std::memchr(data, 0, static_cast<size_t>(n));
      if (zero) n = static_cast<const unsigned char *>(zero) - data + 1;
    } else if (count < 0) {
      const int64_t limit = n;
      for (n = 0; n < limit;) {
        const bool zero = !data || is_zero_element(type, data + n * size);
        ++n;
        if (zero) break;
      }
    }
    if (!data) {
      sink_.zeros(static_cast<size_t>(n * size));
    } else if (size == 1) {
      sink_.bytes(data, static_cast<size_t>(n));
    } else {
      sink_.swapped(data, size, static_cast<size_t>(n));
    }
    return 0;
  }

  int usd(int32_t count, const unsigned char *slots) {
    const int64_t limit = pack_count_limit(count);
    bool ended = false;
    for (int64_t i = 0; i < limit; ++i) {
      // A missing list reads as null blocks: empty ones for a fixed count, the end for a terminated one.
      auto *block = slots ? load<const ipc_buffer *>(slots + i * sizeof(void *)) : nullptr;
      if (count < 0 && !block) {
        ended = true;
        break;
      }
      int32_t length = block && block->length > 0 ? block->length : 0;
      if (length > kUsdMaxBlock || sink_.size() > kMaxPacketLength) return PACKERR_TOO_LONG;
      sink_.be16(static_cast<uint16_t>(length));
      if (block && block->data) {
        sink_.bytes(block->data, static_cast<size_t>(length));
      } else {
        sink_.zeros(static_cast<size_t>(length));
      }
    }
    if (ended) sink_.be16(kUsdEnd);
    return 0;
  }

  int dyna(const unsigned char *header_address) {
    const dyna_array header = header_address ? load<dyna_array>(header_address) : dyna_array{};
    if (header.count > 0 && !header.elements) return PACKERR_DYNA_ELEMENT;
    sink_.be16(header.count);
    for (int i = 0; i < header.count; ++i) {
      const dyna_elem &element = header.elements[i];
      if ((element.type >= USD && element.type <= DYNA) || element.size == 0) return PACKERR_DYNA_ELEMENT;
      if (pack_element_size_of(group_, element.type) < 0) return PACKERR_TYPE;
      sink_.be16(element.type);
      sink_.be32(static_cast<uint32_t>(element.size));
      if (int status = elements(element.type, element.size, static_cast<const unsigned char *>(element.data), 0))
        return status;
    }
    return 0;
  }

  int structure(int32_t type, int32_t count, const unsigned char *data, int depth) {
    if (count < 0) return PACKERR_STRUCT_COUNT;
    const rpi_struct *s = pack_find_struct(group_, type);
    const int64_t size = pack_element_size_of(group_, type, depth);
    if (!s || size < 0) return PACKERR_TYPE;
    const int64_t instances = pack_count_limit(count);
    for (int64_t k = 0; k < instances; ++k) {
      const unsigned char *at = data ? data + k * size : nullptr;
      for (int32_t f = 0; f < s->field_count; ++f) {
        const rpi_field &field = s->fields[f];
        if (pack_is_marker(field.count)) return PACKERR_TYPE;  // a field needs memory of its own
        if (int status = elements(field.type, field.count, at, depth + 1)) return status;
        if (at) at += pack_size_of(group_, field.type, field.count, depth + 1);
      }
    }
    return 0;
  }

  const rpi_group *group_;
  Sink &sink_;
};

// Build results: 801, 812 and 813 go back as they are, everything else is reported.
int build_result(int status) {
  if (status == PACKERR_STRUCT_COUNT || status == PACKERR_EL_LAST || status == PACKERR_EL_NEXT) return status;
  return pack_error(status);
}

// The argument walk shared by requests and replies: the arguments of one direction, an EL deciding
// whether and how long the array after it is.
int encode_arguments(const rpi_group *group, const rpi_function &entry, int32_t direction, void *const *args,
                     Sink &sink) {
  Encoder encoder(group, sink);
  const int n = entry.args ? entry.arg_count & 0xFF : 0;
  for (int i = 0; i < n; ++i) {
    const rpi_arg &arg = entry.args[i];
    void *address = args ? args[i] : nullptr;
    if (arg.type == EL) {
      if (i == n - 1) return PACKERR_EL_LAST;
      const rpi_arg &next = entry.args[i + 1];
      if (next.count != PACK_COUNT_FROM_EL) return PACKERR_EL_NEXT;
      const int16_t count = load<int16_t>(static_cast<const unsigned char *>(address));
      ++i;
      if (next.direction != direction) continue;
      sink.be16(static_cast<uint16_t>(count));
      if (count < 1) continue;
      if (int status = encoder.value(next.type, count, args ? args[i] : nullptr)) return status;
      continue;
    }
    if (arg.direction != direction) continue;
    if (int status = encoder.value(arg.type, arg.count, address)) return status;
  }
  return 0;
}

// Builds header + lead bytes + arguments into out, measuring first.
int build_packet(int group_number, const rpi_group *group, const rpi_function &entry, int message,
                 int32_t sequence, const unsigned char *lead, int32_t lead_size, int32_t direction,
                 void *const *args, ipc_buffer *out) {
  if (!out) return pack_error(PACKERR_OUTSIDE);
  out->length = 0;
  Sink measure(nullptr);
  if (int status = encode_arguments(group, entry, direction, args, measure)) return build_result(status);
  const int64_t total = kPacketHeaderSize + lead_size + measure.size();
  if (total > kMaxPacketLength) return pack_error(PACKERR_TOO_LONG);
  if (buffer_reserve(out, static_cast<int32_t>(total)) != 0) return pack_error(MEMERR_REALLOC_CLEAR);
  if (packet_write_header(out, group_number, message, sequence, 0, static_cast<int32_t>(total)) != 0) return 1;
  Sink write(out);
  write.bytes(lead, static_cast<size_t>(lead_size));
  return build_result(encode_arguments(group, entry, direction, args, write));
}

// ------------------------------------------------------------------------------------------------
// Extraction. Every length is measured against the bytes that arrived before anything is allocated
// or copied, so a lying count costs a failure, never memory.

class Decoder {
 public:
  Decoder(const ipc_buffer *packet, const rpi_group *group) : packet_(packet), group_(group) {}

  // packxtr_value on this packet.
  int value(int32_t *offset, int32_t type, int32_t count, void **target, int32_t *target_size) {
    if (!offset || !target || !target_size || *offset < 0) return PACKERR_OUTSIDE;
    if (count == PACK_COUNT_FROM_EL) return PACKERR_EL_NEXT;
    if (basic_data_type(type)) return place_basic(offset, type, count, target, target_size);
    if (type == USD || type == PT) return 0;
    if (type == DYNA) return place_dyna(offset, count, target, target_size);
    if (!pack_is_struct(type)) return PACKERR_TYPE;
    return place_structure(offset, type, count, target, target_size);
  }

  // Measures a run of a basic type at offset: its length in bytes and whether a terminator ended it.
  int measure(int32_t offset, int32_t type, int32_t count, int32_t *length, bool *found) const {
    const int64_t limit = pack_count_limit(count);
    if (count < 0 && pack_basic_size(type) == 1 && offset >= 0 && offset <= packet_->length) {
      // Byte types: the first zero byte within the limit and what arrived.
      const int64_t room = packet_->length - offset;
      const auto scan = static_cast<size_t>(limit < room ? limit : room);
      const void *zero = scan > 0 ? std::memchr(packet_->data + offset, 0, scan) : nullptr;
      *found = zero != nullptr;
      if (zero) {
        *length = static_cast<int32_t>(static_cast<const unsigned char *>(zero) - (packet_->data + offset) + 1);
        return 0;
      }
      if (limit > room) return PACKERR_OUTSIDE;
      *length = static_cast<int32_t>(limit);
      return 0;
    }
    const int32_t capped = limit > INT32_MAX ? INT32_MAX : static_cast<int32_t>(limit);
    if (buffer_measure(packet_, offset, pack_basic_size(type), capped, count < 0, length, found) != 0)
      return PACKERR_OUTSIDE;
    return 0;
  }

  // Extracts a value into memory of exactly its memory size (a structure field, a structure instance):
  // nothing is allocated but dynamic-data contents.
  int inline_value(int32_t *offset, int32_t type, int32_t count, unsigned char *dest, int depth) {
    if (pack_is_marker(count)) return PACKERR_TYPE;
    if (basic_data_type(type)) {
      int32_t length = 0;
      bool found = false;
      if (int status = measure(*offset, type, count, &length, &found)) return status;
      const int64_t room = pack_size_of(group_, type, count);
      wire::swap_elements(dest, packet_->data + *offset, pack_basic_size(type),
                          static_cast<size_t>(length / pack_basic_size(type)));
      if (room > length) std::memset(dest + length, 0, static_cast<size_t>(room - length));
      *offset += length;
      return 0;
    }
    if (type == USD || type == PT) return 0;
    if (type == DYNA) {
      if (count != 0) return PACKERR_DYNA_COUNT;
      dyna_array header = load<dyna_array>(dest);
      int status = dyna(offset, &header);
      std::memcpy(dest, &header, sizeof header);
      return status;
    }
    if (!pack_is_struct(type)) return PACKERR_TYPE;
    if (count < 0) return PACKERR_STRUCT_COUNT;
    return structure(offset, type, pack_count_limit(count), dest, depth);
  }

  // Releases what extraction put into dynamic-data fields of structure memory.
  void release_contents(int32_t type, int32_t count, unsigned char *memory, int depth = 0) {
    if (!memory) return;
    if (type == DYNA) {
      dyna_array header = load<dyna_array>(memory);
      dyna_free(&header);
      std::memcpy(memory, &header, sizeof header);
      return;
    }
    const rpi_struct *s = pack_find_struct(group_, type);
    const int64_t size = pack_element_size_of(group_, type, depth);
    if (!s || size < 0 || count < 0) return;
    for (int64_t k = 0; k < pack_count_limit(count); ++k) {
      unsigned char *at = memory + k * size;
      for (int32_t f = 0; f < s->field_count; ++f) {
        const rpi_field &field = s->fields[f];
        if (field.type == DYNA || pack_is_struct(field.type)) release_contents(field.type, field.count, at, depth + 1);
        at += pack_size_of(group_, field.type, field.count, depth + 1);
      }
    }
  }

  int dyna(int32_t *offset, dyna_array *header) {
    // An out header is meant to arrive empty; one that still holds elements is emptied rather than
    // overrun.
    if (header->elements || header->count) dyna_free(header);
    int32_t at = *offset;
    if (!fits(at, 2)) return PACKERR_OUTSIDE;
    const uint16_t n = wire::get16(packet_->data + at);
    at += 2;
    if (n == 0) {
      *offset = at;
      return 0;
    }
    constexpr int32_t kElementHead = 6;
    if (!fits(at, static_cast<int64_t>(n) * kElementHead)) return PACKERR_OUTSIDE;
    header->elements = static_cast<dyna_elem *>(memory_get_clear(n, sizeof(dyna_elem)));
    if (!header->elements) return MEMERR_GET_CLEAR;
    header->capacity = n;
    header->count = 0;
    for (int i = 0; i < n; ++i) {
      if (!fits(at, kElementHead)) return PACKERR_OUTSIDE;
      const uint16_t type = wire::get16(packet_->data + at);
      const auto count = static_cast<int32_t>(wire::get32(packet_->data + at + 2));
      at += kElementHead;
      if ((type >= USD && type <= DYNA) || count == 0) return PACKERR_DYNA_ELEMENT;
      const int64_t element_size = pack_element_size_of(group_, type);
      if (element_size < 0) return PACKERR_TYPE;
      dyna_elem &element = header->elements[i];
      element.type = type;
      if (pack_is_struct(type)) {
        if (count < 0) return PACKERR_STRUCT_COUNT;
        // dyna_free releases an element's block only: a dynamic array inside it would leak.
        if (pack_struct_holds_dyna(group_, type)) return PACKERR_DYNA_ELEMENT;
        // Counts read from the packet may claim more instances than bytes arrived.
        const int64_t min_wire = pack_min_wire_size(group_, type, count);
        if (min_wire < 0) return PACKERR_TYPE;
        if (!fits(at, min_wire) || count > packet_->length - at) return PACKERR_OUTSIDE;
        const int64_t size = element_size * count;
        if (size > INT32_MAX) return PACKERR_OUTSIDE;
        auto *data = static_cast<unsigned char *>(memory_get_clear(1, static_cast<int32_t>(size < 8 ? 8 : size)));
        if (!data) return MEMERR_GET_CLEAR;
        element.data = data;
        element.size = count;
        header->count = static_cast<uint16_t>(i + 1);
        if (int status = structure(&at, type, count, data, 0)) return status;
        continue;
      }
      int32_t length = 0;
      bool found = false;
      if (int status = measure(at, type, count, &length, &found)) return status;
      const auto size = static_cast<int32_t>(element_size);
      // A terminated element whose terminator did not arrive gets one, and its size counts what it
      // holds, so that size times the element size is always the block's length.
      const int32_t held = length / size + (count < 0 && !found ? 1 : 0);
      auto *data = static_cast<unsigned char *>(memory_get_clear(1, held * size < 8 ? 8 : held * size));
      if (!data) return MEMERR_GET_CLEAR;
      wire::swap_elements(data, packet_->data + at, size, static_cast<size_t>(length / size));
      at += length;
      element.data = data;
      element.size = count > 0 ? count : held;
      header->count = static_cast<uint16_t>(i + 1);
    }
    *offset = at;
    return 0;
  }

 private:
  bool fits(int64_t at, int64_t n) const { return at >= 0 && n >= 0 && at + n <= packet_->length; }

  int place_basic(int32_t *offset, int32_t type, int32_t count, void **target, int32_t *target_size) {
    int32_t length = 0;
    bool found = false;
    if (int status = measure(*offset, type, count, &length, &found)) return status;
    const int32_t size = pack_basic_size(type);
    const int32_t needed = length + (count < 0 && !found ? size : 0);
    if (!*target || *target_size != needed) {
      if (*target && *target_size != 0) memory_free(*target, *target_size);
      *target = nullptr;
      *target_size = 0;
      *target = memory_get_clear(1, needed);
      if (!*target) return MEMERR_GET_CLEAR;
      *target_size = needed;
    }
    auto *dest = static_cast<unsigned char *>(*target);
    wire::swap_elements(dest, packet_->data + *offset, size, static_cast<size_t>(length / size));
    if (needed > length) std::memset(dest + length, 0, static_cast<size_t>(needed - length));
    *offset += length;
    return 0;
  }

  int place_dyna(int32_t *offset, int32_t count, void **target, int32_t *target_size) {
    if (count != 0) return PACKERR_DYNA_COUNT;
    bool made = false;
    if (!*target) {
      *target = memory_get_clear(1, sizeof(dyna_array));
      if (!*target) return MEMERR_GET_CLEAR;
      *target_size = sizeof(dyna_array);
      made = true;
    }
    int32_t at = *offset;
    int status = dyna(&at, static_cast<dyna_array *>(*target));
    if (status != 0) {
      if (made) {
        auto *header = static_cast<dyna_array *>(*target);
        dyna_destroy(&header);
        *target = nullptr;
        *target_size = 0;
      }
      return status;
    }
    *offset = at;
    return 0;
  }

  int place_structure(int32_t *offset, int32_t type, int32_t count, void **target, int32_t *target_size) {
    if (count < 0) return PACKERR_STRUCT_COUNT;
    const int64_t size = pack_size_of(group_, type, count);
    const int64_t min_wire = pack_min_wire_size(group_, type, count);
    if (size < 0 || min_wire < 0) return PACKERR_TYPE;
    if (!fits(*offset, min_wire) || size > INT32_MAX) return PACKERR_OUTSIDE;
    bool made = false;
    if (!*target) {
      *target = memory_get_clear(1, static_cast<int32_t>(size));
      if (!*target) return MEMERR_GET_CLEAR;
      *target_size = static_cast<int32_t>(size);
      made = true;
    }
    int32_t at = *offset;
    int status = structure(&at, type, pack_count_limit(count), static_cast<unsigned char *>(*target), 0);
    if (status != 0) {
      if (made) {
        release_contents(type, count, static_cast<unsigned char *>(*target));
        raw_release(*target);
        *target = nullptr;
        *target_size = 0;
      }
      return status;
    }
    *offset = at;
    return 0;
  }

  int structure(int32_t *offset, int32_t type, int64_t instances, unsigned char *dest, int depth) {
    const rpi_struct *s = pack_find_struct(group_, type);
    const int64_t size = pack_element_size_of(group_, type, depth);
    if (!s || size < 0) return PACKERR_TYPE;
    for (int64_t k = 0; k < instances; ++k) {
      unsigned char *at = dest + k * size;
      for (int32_t f = 0; f < s->field_count; ++f) {
        const rpi_field &field = s->fields[f];
        if (int status = inline_value(offset, field.type, field.count, at, depth + 1)) return status;
        at += pack_size_of(group_, field.type, field.count, depth + 1);
      }
    }
    return 0;
  }

  const ipc_buffer *packet_;
  const rpi_group *group_;
};

const rpi_group *packet_group_record(const ipc_buffer *packet) {
  int group = 0;
  return packet_group(packet, &group) == 0 ? rpi_find_group(group) : nullptr;
}

// Extracts one out argument of a reply into the caller's place for it (see pack.h). An argument whose
// place is missing is still read, so that the ones after it are found, and then dropped.
int extract_argument(Decoder &decoder, int32_t *offset, int32_t type, int32_t count, void *address,
                     bool fresh_array) {
  if (type == USD || type == PT) return 0;
  if (count == 0 || type == DYNA) {
    if (address) {
      void *target = address;
      int64_t size = type == DYNA ? int64_t{sizeof(dyna_array)} : pack_size_of(nullptr, type, 0);
      if (pack_is_struct(type)) size = 0;  // structure memory is filled in place
      auto recorded = static_cast<int32_t>(size);
      return decoder.value(offset, type, count, &target, &recorded);
    }
    void *target = nullptr;
    int32_t recorded = 0;
    int status = decoder.value(offset, type, count, &target, &recorded);
    if (type == DYNA) {
      auto *header = static_cast<dyna_array *>(target);
      dyna_destroy(&header);
    } else if (target) {
      if (pack_is_struct(type)) decoder.release_contents(type, count, static_cast<unsigned char *>(target));
      raw_release(target);
    }
    return status;
  }
  void **holder = static_cast<void **>(address);
  void *target = nullptr;
  int32_t recorded = 0;
  if (holder && !fresh_array && count > 0) {
    std::memcpy(&target, holder, sizeof target);
    if (target && !pack_is_struct(type)) recorded = static_cast<int32_t>(pack_size_of(nullptr, type, count));
  }
  int status = decoder.value(offset, type, count, &target, &recorded);
  if (holder) {
    std::memcpy(holder, &target, sizeof target);
  } else if (target) {
    if (pack_is_struct(type)) decoder.release_contents(type, count, static_cast<unsigned char *>(target));
    raw_release(target);
  }
  return status;
}

}  // namespace

int pack_value(int group, int32_t type, int32_t count, const void *value, ipc_buffer *buffer) {
  if (!buffer) return pack_error(PACKERR_OUTSIDE);
  const rpi_group *record = rpi_find_group(group);
  Sink measure(nullptr);
  if (int status = Encoder(record, measure).value(type, count, value)) return build_result(status);
  if (buffer->length + measure.size() > kMaxPacketLength) return pack_error(PACKERR_TOO_LONG);
  if (buffer_reserve(buffer, static_cast<int32_t>(measure.size())) != 0) return pack_error(MEMERR_REALLOC_CLEAR);
  Sink write(buffer);
  return build_result(Encoder(record, write).value(type, count, value));
}

int packbld_request(int group, int function, int32_t sequence, int async_flag, ipc_buffer *out,
                    void *const *args) {
  if (out) out->length = 0;
  rpi_function entry{};
  if (rpi_find_function(group, function, &entry) != 0) return 1;
  const unsigned char flag = static_cast<unsigned char>(async_flag);
  return build_packet(group, rpi_find_group(group), entry, function, sequence, &flag, 1, RPI_IN, args, out);
}

int packbld_reply(int group, int message, int32_t sequence, int32_t status, ipc_buffer *out,
                  void *const *values) {
  rpi_function entry{};
  rpi_lookup_function(group, message, &entry);  // no entry: a reply without arguments
  unsigned char lead[4];
  wire::put32(lead, static_cast<uint32_t>(status));
  return build_packet(group, rpi_find_group(group), entry, message, sequence, lead, 4, RPI_OUT, values, out);
}

int packxtr_value(const ipc_buffer *packet, int32_t *offset, int32_t type, int32_t count, void **target,
                  int32_t *target_size) {
  if (!packet || !packet->data || packet->length < 0) return PACKERR_OUTSIDE;
  Decoder decoder(packet, packet_group_record(packet));
  return decoder.value(offset, type, count, target, target_size);
}

int packxtr_fresh(const ipc_buffer *packet, int32_t *offset, int32_t type, int32_t count, ipc_buffer *fresh) {
  if (!fresh) return PACKERR_OUTSIDE;
  *fresh = ipc_buffer{};
  if (!packet || !packet->data || !offset || *offset < 0) return PACKERR_OUTSIDE;
  Decoder decoder(packet, packet_group_record(packet));
  if (count == PACK_COUNT_FROM_EL) return PACKERR_EL_NEXT;
  if (basic_data_type(type)) {
    int32_t length = 0;
    bool found = false;
    if (int status = decoder.measure(*offset, type, count, &length, &found)) return status;
    const int32_t size = pack_basic_size(type);
    const int64_t limit = pack_count_limit(count);
    ipc_buffer *copy = nullptr;
    if (buffer_copy_out(packet, *offset, size, limit > INT32_MAX ? INT32_MAX : static_cast<int32_t>(limit),
                        count < 0, false, &copy) != 0)
      return MEMERR_REALLOC_CLEAR;
    wire::swap_elements(copy->data, copy->data, size, static_cast<size_t>(length / size));
    *fresh = *copy;
    raw_release(copy);
    *offset += length;
    return 0;
  }
  if (type == USD || type == PT) return 0;
  void *target = nullptr;
  int32_t size = 0;
  int status = decoder.value(offset, type, count, &target, &size);
  if (status == 0) buffer_adopt(size, target, fresh);
  return status;
}

void pack_fresh_release(int group, int32_t type, int32_t count, ipc_buffer *fresh) {
  if (!fresh) return;
  if (type == DYNA || pack_is_struct(type)) {
    ipc_buffer empty{};
    Decoder(&empty, rpi_find_group(group)).release_contents(type, count, fresh->data);
  }
  buffer_clear(fresh);
}

int packxtr_reply(const ipc_buffer *packet, int32_t *status, void *const *args) {
  int group = 0, message = 0;
  if (packet_group(packet, &group) != 0 || packet_message_number(packet, &message) != 0) return PACKERR_OUTSIDE;
  rpi_function entry{};
  if (rpi_find_function(group, message, &entry) != 0) return 1;
  if (packet->length < kReplyArgsOffset) return PACKERR_OUTSIDE;
  const auto returned = static_cast<int32_t>(wire::get32(packet->data + kPacketHeaderSize));
  if (status) *status = returned;

  Decoder decoder(packet, rpi_find_group(group));
  int32_t offset = kReplyArgsOffset;
  const int n = entry.args ? entry.arg_count & 0xFF : 0;
  for (int i = 0; i < n; ++i) {
    const rpi_arg &arg = entry.args[i];
    void *address = args ? args[i] : nullptr;
    if (arg.type == EL) {
      if (i == n - 1) return PACKERR_EL_LAST;
      const rpi_arg &next = entry.args[i + 1];
      if (next.count != PACK_COUNT_FROM_EL) return PACKERR_EL_NEXT;
      ++i;
      if (next.direction != RPI_OUT) continue;
      int16_t count = 0;
      void *target = &count;
      int32_t recorded = sizeof count;
      if (int failed = decoder.value(&offset, EL, 0, &target, &recorded)) return failed;
      if (address) std::memcpy(address, &count, sizeof count);
      if (count < 1) continue;
      // The count came from the packet, so a caller's array cannot be known to hold it: always a new one.
      if (int failed = extract_argument(decoder, &offset, next.type, count, args ? args[i] : nullptr, true))
        return failed;
      continue;
    }
    if (arg.direction != RPI_OUT) continue;
    if (int failed = extract_argument(decoder, &offset, arg.type, arg.count, address, arg.count < 0)) return failed;
  }
  return 0;
}

int packxtr_request(const ipc_buffer *packet, int *async_flag, void **slots, int slot_count) {
  if (async_flag) *async_flag = 0;
  for (int i = 0; slots && i < slot_count; ++i) slots[i] = nullptr;
  return 0;
}

int pack_args_to_array(int group, int function, void *const *args, void **values) {
  rpi_function entry{};
  if (rpi_find_function(group, function, &entry) != 0) return 1;
  const int n = entry.args ? entry.arg_count & 0xFF : 0;
  for (int i = 0; i < n && values; ++i) values[i] = args ? args[i] : nullptr;
  return 0;
}

void pack_release(int group, int message, void **values) {
  rpi_function entry{};
  if (!values || rpi_lookup_function(group, message, &entry) != 0) return;
  const int n = entry.args ? entry.arg_count & 0xFF : 0;
  for (int i = 0; i < n; ++i) {
    void *holder = values[i];
    if (!holder) continue;
    const rpi_arg &arg = entry.args[i];
    if (arg.type == DYNA) {
      auto *header = static_cast<dyna_array *>(holder);
      dyna_destroy(&header);
      values[i] = nullptr;
      continue;
    }
    // Only an array or a USD holder holds an address; a scalar's holder is the value itself.
    void *held = nullptr;
    if (arg.count != 0 || arg.type == USD) std::memcpy(&held, holder, sizeof held);
    if (arg.type == USD) {
      if (arg.count == 0) {
        buffer_release(static_cast<ipc_buffer *>(held));
      } else if (held) {
        auto **blocks = static_cast<ipc_buffer **>(held);
        for (int64_t k = 0; k < pack_count_limit(arg.count) && blocks[k]; ++k) buffer_release(blocks[k]);
        raw_release(held);
      }
    } else if (arg.count != 0 && held) {
      raw_release(held);
    }
    if (message != 0) {
      raw_release(holder);
      values[i] = nullptr;
    }
  }
}

}  // namespace trl
