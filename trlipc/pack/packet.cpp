// Packet headers, control packets, and the split and join of multi-packet messages.
#include "pack/packet.h"

#include <cstring>

#include "pack/buffer.h"
#include "pack/memory.h"
#include "pack/pack_error.h"
#include "pack/wire.h"

namespace trl {
namespace {

constexpr int32_t kGroupAt = 0, kMessageAt = 1, kSequenceAt = 3, kNumberAt = 5, kLengthAt = 7;

// The header fields of a packet that is at least a header long.
struct Header {
  int group, message, sequence, number;
  int32_t length;
};

void encode_header(unsigned char *at, const Header &h) {
  at[kGroupAt] = static_cast<unsigned char>(h.group);
  wire::put16(at + kMessageAt, static_cast<uint16_t>(h.message));
  wire::put16(at + kSequenceAt, static_cast<uint16_t>(h.sequence));
  wire::put16(at + kNumberAt, static_cast<uint16_t>(h.number));
  wire::put32(at + kLengthAt, static_cast<uint32_t>(h.length));
}

// Reads the whole header and checks its length field against the bytes that are there. 0 or 800.
int read_checked_header(const ipc_buffer *packet, Header *h) {
  if (!packet || !packet->data || packet->length < kPacketHeaderSize) return PACKERR_OUTSIDE;
  const unsigned char *at = packet->data;
  h->group = at[kGroupAt];
  h->message = static_cast<int16_t>(wire::get16(at + kMessageAt));
  h->sequence = wire::get16(at + kSequenceAt);
  h->number = wire::get16(at + kNumberAt);
  h->length = static_cast<int32_t>(wire::get32(at + kLengthAt));
  if (h->length < kPacketHeaderSize || h->length > packet->length) return PACKERR_OUTSIDE;
  return 0;
}

int field(const ipc_buffer *packet, int32_t at, int32_t size, uint32_t *value) {
  if (!packet || !packet->data || packet->length < at + size) return PACKERR_OUTSIDE;
  const unsigned char *p = packet->data + at;
  *value = size == 1 ? *p : size == 2 ? wire::get16(p) : wire::get32(p);
  return 0;
}

}  // namespace

int packet_write_header(ipc_buffer *out, int group, int message, int32_t sequence, int packet_number,
                        int32_t length) {
  if (!out) return pack_error(PACKERR_OUTSIDE);
  out->length = 0;
  if (length < 0 || length > kMaxPacketLength) return pack_error(PACKERR_TOO_LONG);
  unsigned char header[kPacketHeaderSize];
  encode_header(header, Header{group, message, sequence, packet_number, length});
  return buffer_append(out, header, kPacketHeaderSize) == 0 ? 0 : pack_error(PACKERR_SLICE);
}

int packet_group(const ipc_buffer *packet, int *group) {
  uint32_t v = 0;
  int status = field(packet, kGroupAt, 1, &v);
  if (status == 0) *group = static_cast<int>(v);
  return status;
}

int packet_message_number(const ipc_buffer *packet, int *message) {
  uint32_t v = 0;
  int status = field(packet, kMessageAt, 2, &v);
  if (status == 0) *message = static_cast<int16_t>(v);
  return status;
}

int packet_sequence_number(const ipc_buffer *packet, int *sequence) {
  uint32_t v = 0;
  int status = field(packet, kSequenceAt, 2, &v);
  if (status == 0) *sequence = static_cast<int>(v);
  return status;
}

int packet_number(const ipc_buffer *packet, int *number) {
  uint32_t v = 0;
  int status = field(packet, kNumberAt, 2, &v);
  if (status == 0) *number = static_cast<int>(v);
  return status;
}

int packet_length(const ipc_buffer *packet, int32_t *length) {
  uint32_t v = 0;
  int status = field(packet, kLengthAt, 4, &v);
  if (status == 0) *length = static_cast<int32_t>(v);
  return status;
}

int packbld_control(int group, int message, int32_t sequence, ipc_buffer *out) {
  if (packet_write_header(out, group, message, sequence, 0, kRequestArgsOffset) != 0) return 1;
  const unsigned char async_flag = 0;
  return buffer_append(out, &async_flag, 1) == 0 ? 0 : pack_error(PACKERR_SLICE);
}

void packgen_release_parts(ipc_buffer **parts) {
  if (!parts) return;
  for (ipc_buffer **p = parts; *p; ++p) buffer_release(*p);
  raw_release(parts);
}

int packgen_split(const ipc_buffer *message, int max_length, ipc_buffer ***parts) {
  if (!parts) return pack_error(PACKERR_SLICE);
  *parts = nullptr;
  if (max_length <= kPacketHeaderSize) return pack_error(PACKERR_MAX_LENGTH);
  Header h{};
  if (int status = read_checked_header(message, &h); status != 0) return pack_error(status);
  const int32_t slice = max_length - kPacketHeaderSize;
  const int32_t body = h.length - kPacketHeaderSize;
  // A message with an empty body still travels as one packet.
  const int64_t n = body == 0 ? 1 : (static_cast<int64_t>(body) + slice - 1) / slice;
  if (n - 1 > 0xFFFF) return pack_error(PACKERR_SLICE);

  auto **list = static_cast<ipc_buffer **>(memory_get_clear(static_cast<int32_t>(n + 1), sizeof(ipc_buffer *)));
  if (!list) return pack_error(PACKERR_SLICE);
  int32_t at = kPacketHeaderSize;
  for (int64_t k = 0; k < n; ++k) {
    const int32_t take = body - (at - kPacketHeaderSize) < slice ? body - (at - kPacketHeaderSize) : slice;
    ipc_buffer *part = buffer_new(kPacketHeaderSize + take);
    if (!part) {
      packgen_release_parts(list);
      return pack_error(PACKERR_SLICE);
    }
    list[k] = part;
    encode_header(part->data, Header{h.group, h.message, h.sequence, static_cast<int>(n - 1 - k),
                                     kPacketHeaderSize + take});
    part->length = kPacketHeaderSize;
    if (take > 0 && buffer_copy_out(message, at, 1, take, false, true, &list[k]) != 0) {
      packgen_release_parts(list);
      return pack_error(PACKERR_SLICE);
    }
    at += take;
  }
  *parts = list;
  return 0;
}

int packgen_join(ipc_buffer *const *parts, ipc_buffer *out) {
  if (!out) return pack_error(PACKERR_OUTSIDE);
  out->length = 0;
  if (!parts || !parts[0]) return pack_error(PACKERR_OUTSIDE);
  // Every part's length field is checked against its bytes before anything is copied, and the sizes are
  // summed first so that the joined message is allocated once.
  Header first{};
  int64_t total = 0;
  for (ipc_buffer *const *p = parts; *p; ++p) {
    Header h{};
    if (int status = read_checked_header(*p, &h); status != 0) return pack_error(status);
    if (p == parts) first = h;
    total += h.length - kPacketHeaderSize;
    if (total + kPacketHeaderSize > kMaxPacketLength) return pack_error(PACKERR_TOO_LONG);
  }
  const auto length = static_cast<int32_t>(total + kPacketHeaderSize);
  if (buffer_reserve(out, length) != 0) return pack_error(PACKERR_SLICE);
  if (packet_write_header(out, first.group, first.message, first.sequence, 0, length) != 0) return 1;
  for (ipc_buffer *const *p = parts; *p; ++p) {
    int32_t part_length = 0;
    packet_length(*p, &part_length);
    std::memcpy(out->data + out->length, (*p)->data + kPacketHeaderSize,
                static_cast<size_t>(part_length - kPacketHeaderSize));
    out->length += part_length - kPacketHeaderSize;
  }
  return 0;
}

}  // namespace trl
