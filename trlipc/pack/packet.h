// The packet layout on the wire: the 11-byte header, request, reply and control packets, and the split
// of a long message into sub-packets and their join.
//
//   offset 0  1 byte   group number (unsigned)
//   offset 1  2 bytes  message number (signed)
//   offset 3  2 bytes  sequence number (unsigned): low 16 bits of the sender's message counter
//   offset 5  2 bytes  packet number (unsigned): sub-packets of the message that still follow
//   offset 7  4 bytes  packet length (signed), header included, at most 2,000,000,000
// A request continues with the async flag (1 byte) and its in arguments, a reply with the return status
// (4 bytes, signed) and its out arguments. Every integer is in network byte order.
#pragma once

#include <cstdint>

#include "trlipc.h"

namespace trl {

inline constexpr int32_t kPacketHeaderSize = 11;
inline constexpr int32_t kRequestArgsOffset = 12;  // after the async flag
inline constexpr int32_t kReplyArgsOffset = 15;    // after the return status
inline constexpr int32_t kMaxPacketLength = 2000000000;

// Empties out and writes a header into it (the group's low 8 bits, the sequence number's low 16).
// 0, or 1 after reporting 816 for a length above kMaxPacketLength (or a negative one).
int packet_write_header(ipc_buffer *out, int group, int message, int32_t sequence, int packet_number,
                        int32_t length);

// The header field readers: 0, or 800 when the packet is shorter than the field's end.
int packet_group(const ipc_buffer *packet, int *group);
int packet_message_number(const ipc_buffer *packet, int *message);
int packet_sequence_number(const ipc_buffer *packet, int *sequence);
int packet_number(const ipc_buffer *packet, int *number);
int packet_length(const ipc_buffer *packet, int32_t *length);

// A stop, OK or resend packet (message 1, 2 or 3): a 12-byte request with async flag 0 and no
// arguments. 0, or 1 after a report.
int packbld_control(int group, int message, int32_t sequence, ipc_buffer *out);

// Cuts a message longer than max_length into sub-packets of at most max_length bytes, each with the
// message's group, message and sequence numbers and the number of sub-packets still to follow. *parts
// receives a new null-terminated list, released with packgen_release_parts. 0, or 1 after reporting 808
// (max_length not above the header), 800 (the message's length field does not match its bytes) or 807
// (a slice could not be copied, or more sub-packets than the 16-bit packet number can count).
int packgen_split(const ipc_buffer *message, int max_length, ipc_buffer ***parts);
// Joins sub-packets (a null-terminated list, in arrival order) into out (emptied first): the first
// part's group, message and sequence numbers, packet number 0, and the bodies in order. Every part is
// checked against its own length field. 0, or 1 after reporting 800 or 816.
int packgen_join(ipc_buffer *const *parts, ipc_buffer *out);
// Releases a list made by packgen_split, its packets included; null is a no-op.
void packgen_release_parts(ipc_buffer **parts);

}  // namespace trl
