// Arbitrary bytes as a reply from a server: extraction against descriptors of every type and count
// rule, the packet dump, the header readers, and split and join must neither crash nor leak.
//
// Input: byte 0 chooses the function (low bits) and whether the rest is a whole packet (0x80) or the
// body after a header the harness writes; the remaining bytes follow.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pack/buffer.h"
#include "pack/descriptors.h"
#include "pack/memory.h"
#include "pack/pack.h"
#include "pack/packet.h"
#include "pack/types.h"
#include "trlipc.h"

using namespace trl;

namespace {

constexpr int32_t T = PACK_TERMINATED;
constexpr int32_t E = PACK_COUNT_FROM_EL;
constexpr int32_t O = RPI_OUT;
constexpr int32_t I = RPI_IN;

const rpi_field kRecord[] = {{LW, 0}, {STR, -8}, {DYNA, 0}, {SH, 2}};
const rpi_field kNested[] = {{CH, 3}, {1001, 2}, {DB, 0}};
const rpi_struct kStructs[] = {{6, kLoginRecordFields}, {4, kRecord}, {3, kNested}};

const rpi_arg kLogin[] = {{1000, 0, I}, {SH, 0, O}, {LW, 0, O}, {STR, T, O}};
const rpi_arg kScalars[] = {{CH, 0, O}, {UCH, 0, O}, {SH, 0, O}, {USH, 0, O}, {LW, 0, O}, {ULW, 0, O},
                            {FL, 0, O}, {DB, 0, O},  {PT, 0, O}, {USD, 0, O}, {EL, 0, O}, {CH, E, O}};
const rpi_arg kFixed[] = {{CH, 5, O}, {UCH, 3, O}, {SH, 4, O},  {USH, 2, O}, {LW, 3, O},
                          {ULW, 2, O}, {FL, 2, O}, {DB, 2, O}, {STR, 6, O}};
const rpi_arg kTerminated[] = {{CH, -10, O}, {SH, -5, O},  {LW, -4, O}, {FL, -3, O}, {DB, -3, O},
                               {STR, T, O},  {UCH, -2, O}, {USH, -3, O}, {ULW, -2, O}};
const rpi_arg kCounted[] = {{EL, 0, O}, {SH, E, O},   {EL, 0, O}, {STR, E, O},
                            {EL, 0, O}, {1001, E, O}, {EL, 0, O}, {DB, E, O}};
const rpi_arg kDyna[] = {{DYNA, 0, O}, {DYNA, 0, O}};
const rpi_arg kStructures[] = {{1000, 0, O}, {1001, 0, O}, {1002, 0, O}, {1001, 3, O}};
const rpi_arg kMixed[] = {{ULW, 0, I}, {DYNA, 0, O}, {STR, T, O}, {1000, 2, O}, {LW, 0, O}};
const rpi_arg kElLast[] = {{LW, 0, O}, {EL, 0, O}};
const rpi_arg kElNotCounted[] = {{EL, 0, O}, {SH, 2, O}};

const rpi_function kFunctions[] = {
    {4, kLogin, nullptr},   {12, kScalars, nullptr}, {9, kFixed, nullptr},      {9, kTerminated, nullptr},
    {8, kCounted, nullptr}, {2, kDyna, nullptr},     {4, kStructures, nullptr}, {5, kMixed, nullptr},
    {2, kElLast, nullptr},  {2, kElNotCounted, nullptr},
};
constexpr int kFunctionCount = sizeof kFunctions / sizeof kFunctions[0];
const rpi_group kGroup = {"FUZZ", 2, kFunctionCount, kFunctions, 3, kStructs};

// Releases what extraction put into DYNA fields of structure memory.
void release_contents(int32_t type, int32_t count, unsigned char *memory, int depth = 0) {
  if (!memory || depth > kMaxStructDepth) return;
  if (type == DYNA) {
    dyna_array header;
    std::memcpy(&header, memory, sizeof header);
    dyna_free(&header);
    return;
  }
  const rpi_struct *s = pack_find_struct(&kGroup, type);
  const int64_t size = pack_element_size_of(&kGroup, type);
  if (!s || size < 0 || count < 0) return;
  for (int64_t k = 0; k < pack_count_limit(count); ++k) {
    unsigned char *at = memory + k * size;
    for (int32_t f = 0; f < s->field_count; ++f) {
      release_contents(s->fields[f].type, s->fields[f].count, at, depth + 1);
      at += pack_size_of(&kGroup, s->fields[f].type, s->fields[f].count);
    }
  }
}

// The caller's side of one reply: a place per argument, as a stub's caller would pass them.
struct Places {
  std::vector<void *> args;
  std::vector<void *> owned;  // scalar slots, structure memory, headers, array variables

  Places(const rpi_function &entry, bool give_arrays) {
    for (int i = 0; i < entry.arg_count; ++i) {
      const rpi_arg &arg = entry.args[i];
      const bool scalar = arg.count == 0 || arg.type == DYNA;
      int64_t size = scalar ? pack_size_of(&kGroup, arg.type, 0) : int64_t{sizeof(void *)};
      if (size < 8) size = 8;
      void *slot = std::calloc(1, static_cast<size_t>(size));
      if (!scalar && give_arrays && arg.count > 0 && arg.type < DYNA) {
        // A caller's own array for a fixed count, which the engine fills in place.
        void *array = memory_get(static_cast<int32_t>(pack_size_of(&kGroup, arg.type, arg.count)));
        std::memcpy(slot, &array, sizeof array);
      }
      owned.push_back(slot);
      args.push_back(slot);
    }
  }

  void release(const rpi_function &entry) {
    for (int i = 0; i < entry.arg_count; ++i) {
      const rpi_arg &arg = entry.args[i];
      auto *slot = static_cast<unsigned char *>(owned[i]);
      if (arg.type == DYNA) {
        dyna_free(reinterpret_cast<dyna_array *>(slot));
      } else if (arg.count == 0) {
        if (pack_is_struct(arg.type)) release_contents(arg.type, 0, slot);
      } else {
        void *array = nullptr;
        std::memcpy(&array, slot, sizeof array);
        memory_null_no_len(&array);
      }
      std::free(slot);
    }
  }
};

FILE *sink() {
  static FILE *devnull = std::fopen("/dev/null", "w");
  return devnull;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1 || size > 1 << 20) return 0;
  rpi_register_group(&kGroup);
  const uint8_t selector = data[0];
  const int function = (selector & 0x7F) % kFunctionCount;

  std::vector<unsigned char> bytes;
  if (selector & 0x80) {
    bytes.assign(data + 1, data + size);
  } else {
    const auto length = static_cast<uint32_t>(kPacketHeaderSize + size - 1);
    const unsigned char header[kPacketHeaderSize] = {
        2, 0, static_cast<unsigned char>(function), 0, 1, 0, 0, static_cast<unsigned char>(length >> 24),
        static_cast<unsigned char>(length >> 16), static_cast<unsigned char>(length >> 8),
        static_cast<unsigned char>(length)};
    bytes.assign(header, header + kPacketHeaderSize);
    bytes.insert(bytes.end(), data + 1, data + size);
  }
  ipc_buffer packet{};
  buffer_describe(static_cast<int32_t>(bytes.size()), bytes.data(), &packet);

  // The reply's out arguments, into places of the function the header names.
  int group = 0, message = 0;
  rpi_function entry{};
  if (packet_group(&packet, &group) == 0 && packet_message_number(&packet, &message) == 0 &&
      rpi_lookup_function(group, message, &entry) == 0 && entry.args) {
    Places places(entry, selector & 0x40);
    int32_t status = 0;
    packxtr_reply(&packet, &status, places.args.data());
    // Arrays of structures with DYNA fields: their contents go first, with the count that arrived.
    int32_t instances = 0;
    if (message == 4) {
      int16_t el = 0;
      std::memcpy(&el, places.args[4], sizeof el);
      instances = el;
    } else if (message == 6) {
      instances = 3;
    }
    if (instances > 0) {
      void *array = nullptr;
      std::memcpy(&array, places.args[message == 4 ? 5 : 3], sizeof array);
      if (array) release_contents(1001, instances, static_cast<unsigned char *>(array));
    }
    places.release(entry);
  }

  // The dump reads the same bytes both as a request and as a reply.
  pack_dump(&packet, false, sink());
  pack_dump(&packet, true, sink());

  // One value straight from the packet, as the dump's fresh extraction does.
  int32_t offset = kReplyArgsOffset;
  ipc_buffer fresh{};
  if (packxtr_fresh(&packet, &offset, DYNA, 0, &fresh) == 0) pack_fresh_release(2, DYNA, 0, &fresh);

  // Split at a small maximum and join again: the same message comes back.
  ipc_buffer **parts = nullptr;
  if (packgen_split(&packet, kPacketHeaderSize + 1 + selector % 64, &parts) == 0) {
    ipc_buffer *joined = buffer_new(0);
    if (joined && packgen_join(parts, joined) == 0) {
      int32_t length = 0;
      packet_length(&packet, &length);
      if (joined->length != length || std::memcmp(joined->data + kPacketHeaderSize,
                                                   packet.data + kPacketHeaderSize,
                                                   static_cast<size_t>(length - kPacketHeaderSize)) != 0)
        std::abort();
    }
    buffer_release(joined);
    packgen_release_parts(parts);
  }
  return 0;
}
