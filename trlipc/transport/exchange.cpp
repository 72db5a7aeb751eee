// Requests and replies on a channel: packets, acknowledgments, resends, reassembly and serving.
#include "transport/exchange.h"

#include <cstdarg>
#include <cstring>

#include "pack/buffer.h"
#include "pack/descriptors.h"
#include "pack/memory.h"
#include "pack/pack.h"
#include "pack/packet.h"
#include "transport/errors.h"
#include "transport/log.h"

namespace trl {
namespace {

// A body is received in pieces of at most this many bytes, each backed by bytes that arrived before the
// storage grows further.
constexpr int32_t kReceiveChunk = 64 * 1024;
constexpr int kMaxLocalArguments = 21;
constexpr int kMaxArguments = 255;

// Storage of at least need bytes, the used bytes kept; capacities are multiples of 100.
bool grow_storage(ipc_buffer *buffer, int32_t need) {
  if (buffer->capacity >= need) return true;
  int32_t capacity = (need / 100 + 1) * 100;
  void *block = memory_realloc_or_get(buffer->data, capacity, buffer->capacity);
  if (!block) return false;
  if (buffer->capacity == 0 && buffer->data && buffer->length > 0) {
    std::memcpy(block, buffer->data, static_cast<size_t>(buffer->length));  // was not owned: copy, keep
  }
  buffer->data = static_cast<unsigned char *>(block);
  buffer->capacity = capacity;
  return true;
}

// Whether a received packet can be read: its header fields lie inside and its length field is the
// number of bytes that arrived.
bool readable(const ipc_buffer *packet, int *group, int *message, int *sequence, int *number) {
  int32_t length = 0;
  return packet_group(packet, group) == 0 && packet_message_number(packet, message) == 0 &&
         packet_sequence_number(packet, sequence) == 0 && packet_number(packet, number) == 0 &&
         packet_length(packet, &length) == 0 && length == packet->length;
}

// Replaces the channel's last sent packet by a copy of packet (or by nothing).
void keep_last_sent(ipc_channel *channel, const ipc_buffer *packet) {
  buffer_release(channel->last_sent);
  channel->last_sent = packet ? buffer_new_from(packet->length, packet->data) : nullptr;
  if (channel->last_sent) channel->last_sent->length = packet->length;
}

int send_split(ipc_channel *channel, int message_number, const ipc_buffer *message, ipc_buffer ***parts_out,
               ipc_buffer **ack_out, const ipc_buffer **last_out) {
  if (packgen_split(message, channel->max_packet_length, parts_out) != 0) return IPCERR_PACK;
  ipc_buffer **parts = *parts_out;
  *ack_out = buffer_new(10);
  int ok = 0;
  if (!*ack_out || rpi_system_messages(channel->group, nullptr, nullptr, &ok, nullptr) != 0) return IPCERR_PACK;
  int i = 0;
  for (; parts[i + 1]; ++i) {
    ipc_dump_event(EV_SENDING_PART, channel, message_number);
    int rc = channel->ops->tp_send(channel->endpoint, parts[i]);
    if (rc != 0) return rc;
    keep_last_sent(channel, parts[i]);
    rc = ipc_receive_message(channel, ok, *ack_out);
    if (rc != 0) return rc;
    int answer = 0;
    if (packet_message_number(*ack_out, &answer) != 0) return IPCERR_PACK;
    if (answer != ok) return IPCERR_NO_OK;
  }
  *last_out = parts[i];
  return 0;
}

}  // namespace

int ipc_send_message(ipc_channel *channel, int message_number, const ipc_buffer *message, int resend) {
  if (resend) {
    ipc_dump_event(EV_RESENDING, channel, 0);
    int rc = channel->ops->tp_send(channel->endpoint, channel->last_sent);
    if (rc != 0) return ipc_report_error(rc);
    ipc_dump_event(EV_SENT, channel, -1);
    return 0;
  }
  keep_last_sent(channel, nullptr);
  int32_t length = 0;
  if (packet_length(message, &length) != 0) return ipc_report_error(IPCERR_PACK);

  ipc_buffer **parts = nullptr;
  ipc_buffer *ack = nullptr;
  const ipc_buffer *last = message;
  int rc = 0;
  if (length > channel->max_packet_length) rc = send_split(channel, message_number, message, &parts, &ack, &last);
  if (rc == 0) {
    ipc_dump_event(EV_SENDING_PACKET, channel, message_number);
    rc = channel->ops->tp_send(channel->endpoint, last);
    if (rc == 0) keep_last_sent(channel, last);
  }
  packgen_release_parts(parts);
  buffer_release(ack);
  if (rc != 0) return ipc_report_error(rc);
  ipc_dump_event(EV_SENT, channel, message_number);
  return 0;
}

int ipc_receive_packet(ipc_channel *channel, ipc_buffer *buffer) {
  unsigned char header_bytes[kPacketHeaderSize];
  ipc_buffer header{header_bytes, kPacketHeaderSize, 0};
  ipc_dump_event(EV_WAITING_HEADER, channel, 0);
  if (channel->ops->tp_receive(channel->endpoint, &header) != 0) return ipc_report_error(IPCERR_HEADER);
  int32_t length = 0;
  if (packet_length(&header, &length) != 0) return ipc_report_error(IPCERR_PACK);

  buffer->length = 0;
  if (!grow_storage(buffer, kPacketHeaderSize)) return ipc_report_error(IPCERR_PACK);
  std::memcpy(buffer->data, header_bytes, kPacketHeaderSize);
  buffer->length = kPacketHeaderSize;
  // A length that describes no packet: nothing more is read; the caller sees an unreadable packet.
  if (length < kPacketHeaderSize || length > kMaxPacketLength) return 0;

  ipc_dump_event(EV_WAITING_BODY, channel, 0);
  while (buffer->length < length) {
    int32_t piece = length - buffer->length;
    if (piece > kReceiveChunk) piece = kReceiveChunk;
    if (!grow_storage(buffer, buffer->length + piece)) return ipc_report_error(IPCERR_BODY);
    ipc_buffer body{buffer->data + buffer->length, piece, 0};
    if (channel->ops->tp_receive(channel->endpoint, &body) != 0) return ipc_report_error(IPCERR_BODY);
    buffer->length += piece;
  }
  return 0;
}

int ipc_receive_message(ipc_channel *channel, int expected, ipc_buffer *buffer) {
  int ok = 0, resend = 0;
  if (rpi_system_messages(channel->group, nullptr, nullptr, &ok, &resend) != 0) {
    return ipc_report_error(IPCERR_PACK);
  }
  int retries = 0;
  bool collecting = false;
  int remaining = 0;
  int collected = 0;
  ipc_buffer **parts = nullptr;  // null-terminated, room for the first part's count + 2
  ipc_buffer *current = buffer;
  int rc = 0;
  for (;;) {
    ipc_dump_event(EV_WAITING, channel, expected);
    rc = ipc_receive_packet(channel, current);
    if (rc != 0) break;
    int group = 0, message = 0, sequence = 0, number = 0;
    if (!readable(current, &group, &message, &sequence, &number)) {
      if (retries == IPC_MAX_RETRIES) {
        rc = IPCERR_RETRIES;
        break;
      }
      ++retries;
      rc = ipc_send_system_message(channel, resend);
      if (rc != 0) break;
      continue;
    }
    ipc_dump_event(EV_GOT_PACKET, channel, message);
    if (group != channel->group) {
      rc = IPCERR_WRONG_GROUP;
      break;
    }
    if (message == resend) {
      if (retries != 0) {
        rc = IPCERR_DOUBLE_RESEND;
        break;
      }
      rc = ipc_send_message(channel, -1, nullptr, 1);
      if (rc != 0) break;
      continue;
    }
    if (number == 0) {
      if (collecting) {
        parts[collected++] = current;
        current = nullptr;
        if (packgen_join(parts, buffer) != 0) rc = IPCERR_PACK;
      }
      break;
    }
    ipc_dump_event(EV_SUB_PACKET, channel, number);
    if (!collecting) {
      collecting = true;
      remaining = number;
      parts = static_cast<ipc_buffer **>(memory_get_clear(number + 2, sizeof(ipc_buffer *)));
      if (!parts || !(parts[0] = buffer_new_from(current->length, current->data))) {
        rc = IPCERR_PACK;
        break;
      }
      parts[0]->length = current->length;
      collected = 1;
    } else {
      if (number != remaining - 1) {
        rc = IPCERR_SEQUENCE;
        break;
      }
      remaining = number;
      parts[collected++] = current;
      current = nullptr;
    }
    rc = ipc_send_system_message(channel, ok);
    if (rc != 0) break;
    current = buffer_new(10);
    if (!current) {
      rc = IPCERR_PACK;
      break;
    }
  }
  if (current != buffer) buffer_release(current);
  if (parts) {
    for (int i = 0; i < collected; ++i) buffer_release(parts[i]);
    raw_release(parts);
  }
  return ipc_report_error(rc);
}

int ipc_exchange(ipc_channel *channel, int message_number, ipc_buffer *request, ipc_buffer *reply) {
  int stop = 0;
  if (rpi_system_messages(channel->group, nullptr, &stop, nullptr, nullptr) != 0) {
    return ipc_report_error(IPCERR_PACK);
  }
  int rc = ipc_send_message(channel, message_number, request, 0);
  if (rc != 0) return ipc_report_error(rc);
  for (;;) {
    rc = ipc_receive_message(channel, message_number, reply);
    if (rc != 0) return ipc_report_error(rc);
    int received = 0;
    if (packet_message_number(reply, &received) != 0) return ipc_report_error(IPCERR_PACK);
    if (received == message_number) return 0;
    ipc_dump_event(EV_REQUEST_WHILE_WAITING, channel, received);
    ipc_dump_packet(DUMP_REQUEST_IN, channel, reply);
    if (received == stop) {
      // The other side is gone: close without a stop message of our own.
      ipc_disconnect(ipc_channel_instance(channel), 0);
      return ipc_report_error(IPCERR_CHANNEL_LOST);
    }
    rc = ipc_serve_request(channel, reply);
    if (rc != 0) return ipc_report_error(rc);
  }
}

int ipc_send_system_message(ipc_channel *channel, int system_message_number) {
  if (!rpi_find_group(channel->group)) return ipc_report_error(IPCERR_PACK);
  int32_t sequence = channel->message_counter++;
  ipc_buffer *packet = buffer_new(12);
  if (!packet || packbld_control(channel->group, system_message_number, sequence, packet) != 0) {
    buffer_release(packet);
    return ipc_report_error(IPCERR_SYSTEM_MESSAGE);
  }
  int rc = ipc_send_message(channel, system_message_number, packet, 0);
  buffer_release(packet);
  return ipc_report_error(rc);
}

int ipc_enable_async(ipc_channel *channel) {
  if (channel->async_count == 0) {
    ipc_dump_event(EV_ASYNC_ON, channel, 0);
    int rc = channel->ops->tp_enable_async ? channel->ops->tp_enable_async(channel->endpoint, nullptr) : 0;
    if (rc != 0) return rc;
  }
  ++channel->async_count;
  return 0;
}

int ipc_disable_async(ipc_channel *channel) {
  if (--channel->async_count != 0) return 0;
  ipc_dump_event(EV_ASYNC_OFF, channel, 0);
  return channel->ops->tp_disable_async ? channel->ops->tp_disable_async(channel->endpoint) : 0;
}

int ipc_call_local(ipc_channel *channel, int message_number, int32_t *status, void **slots) {
  rpi_function entry{};
  if (rpi_find_function(channel->group, message_number, &entry) != 0) return ipc_report_error(IPCERR_PACK);
  int count = entry.arg_count & 0xFF;
  bool callable = entry.function && count <= kMaxLocalArguments;
  for (int i = 0; callable && i < count; ++i) callable = slots[i] != nullptr;
  if (!callable) {
    // Calling a function with null argument addresses would crash it: answer as for an unknown request.
    *status = -1;
    ipc_report_error(IPC_UNKNOWN_REQUEST);
    return 0;
  }
  ipc_dump_event(EV_CALLING_LOCAL, channel, message_number);
  using Local = int32_t (*)(void *, void *, void *, void *, void *, void *, void *, void *, void *, void *, void *,
                            void *, void *, void *, void *, void *, void *, void *, void *, void *, void *);
  // Every argument is an address, so passing all 21 slots calls a function of k arguments correctly
  // under the C calling conventions this library uses (the callee reads only its own).
  auto local = reinterpret_cast<Local>(entry.function);
  *status = local(slots[0], slots[1], slots[2], slots[3], slots[4], slots[5], slots[6], slots[7], slots[8],
                  slots[9], slots[10], slots[11], slots[12], slots[13], slots[14], slots[15], slots[16], slots[17],
                  slots[18], slots[19], slots[20]);
  return 0;
}

int ipc_serve_request(ipc_channel *channel, const ipc_buffer *request) {
  ipc_buffer *reply = buffer_new(0);
  if (!reply) return ipc_report_error(IPCERR_PACK);
  int group = 0, message = 0;
  if (packet_group(request, &group) != 0 || packet_message_number(request, &message) != 0) {
    buffer_release(reply);
    return ipc_report_error(IPCERR_PACK);
  }
  ipc_dump_event(EV_RESPONDING, channel, message);
  void *slots[kMaxLocalArguments] = {};
  int32_t status = -1;
  bool called = false;
  int rc = 0;
  const rpi_group *known = rpi_find_group(group);
  if (!known || message < 0 || message >= known->function_count) {
    ipc_report_error(IPC_UNKNOWN_REQUEST);
  } else {
    int async_flag = 0;
    if (packxtr_request(request, &async_flag, slots, kMaxLocalArguments) != 0) {
      buffer_release(reply);
      return ipc_report_error(IPCERR_PACK);
    }
    if (async_flag && (rc = ipc_enable_async(channel)) != 0) {
      buffer_release(reply);
      return ipc_report_error(rc);
    }
    rc = ipc_call_local(channel, message, &status, slots);
    called = true;
    if (async_flag && rc == 0) rc = ipc_disable_async(channel);
  }
  if (rc == 0) {
    int32_t sequence = channel->message_counter++;
    if (packbld_reply(channel->group, message, sequence, status, reply, slots) != 0) {
      rc = IPCERR_PACK;
    } else {
      ipc_dump_packet(DUMP_REPLY_OUT, channel, reply);
      rc = ipc_send_message(channel, message, reply, 0);
    }
  }
  if (called) pack_release(group, message, slots);
  buffer_release(reply);
  return ipc_report_error(rc);
}

}  // namespace trl

using namespace trl;

extern "C" TRL_API int TRL_CDECL ipc_request(int instance, int message_number, ...) {
  ipc_channel *channel = nullptr;
  int rc = ipc_find_channel(instance, &channel);
  if (rc != 0) return ipc_report_error(rc);
  int async_flag = channel->pseudo_async ? 1 : 0;
  int32_t sequence = channel->message_counter++;

  rpi_function entry{};
  if (rpi_find_function(channel->group, message_number, &entry) != 0) return ipc_report_error(IPCERR_PACK);
  void *args[kMaxArguments] = {};
  int count = entry.arg_count & 0xFF;
  va_list list;
  va_start(list, message_number);
  for (int i = 0; i < count; ++i) args[i] = va_arg(list, void *);
  va_end(list);

  ipc_buffer *request = buffer_new(0);
  ipc_buffer *reply = buffer_new(0);
  int32_t status = 0;
  if (!request || !reply || packbld_request(channel->group, message_number, sequence, async_flag, request, args) != 0) {
    rc = IPCERR_PACK;
  } else {
    ipc_dump_packet(DUMP_REQUEST_OUT, channel, request);
    rc = ipc_exchange(channel, message_number, request, reply);
    if (rc == 0) {
      ipc_dump_packet(DUMP_REPLY_IN, channel, reply);
      if (packxtr_reply(reply, &status, args) != 0) rc = IPCERR_PACK;
    }
  }
  buffer_release(request);
  buffer_release(reply);
  return rc != 0 ? ipc_report_error(rc) : status;
}
