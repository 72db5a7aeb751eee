// Channels: the process-wide channel table and the record of one connection to a server.
//
// A caller knows a channel only by its instance value, the index of its slot in the table. The table
// grows by one slot when no slot is free and never shrinks, so records can move: hold instance values,
// never record addresses across calls that may connect.
#pragma once

#include <cstdint>

#include "transport/transport.h"
#include "trlipc.h"

namespace trl {

struct ipc_channel;

// The dump hook of a channel: the event dumper when the channel was opened with a debug level of 1 or
// more, else null.
using ipc_dump_hook = void (*)(int event, const ipc_channel *channel, int value);

enum : int32_t {
  IPC_PROTOCOL_SOCKET = 0,
  IPC_PROTOCOL_PIPE = 2,
  IPC_PROTOCOL_FREE = 3,  // the slot is free
};

enum : uint8_t { IPC_SIDE_CLIENT = 0, IPC_SIDE_SERVER = 1 };

struct ipc_channel {
  int32_t connection_id;       // process-wide running number, shown in every event dump
  int32_t protocol;            // IPC_PROTOCOL_*
  int32_t protocol_id;         // always 5; shown in the connection dump
  tp_endpoint endpoint;        // socket descriptor or pipe slot
  int32_t async_count;         // asynchronous-communications nesting
  int32_t pseudo_async;        // never set by this library
  uint8_t group;               // the RPI group; every packet carries it
  uint8_t side;                // IPC_SIDE_CLIENT for every channel this library opens
  uint16_t max_packet_length;  // 32767 until the transport's connect sets its own (920 for sockets)
  int32_t message_counter;     // taken, then incremented, for every message built on the channel
  ipc_buffer *last_sent;       // what a resend request of the other side sends again; owned, may be null
  const TransportOps *ops;     // null for an unknown protocol
  ipc_dump_hook dump_hook;
};

// The record of instance: 0 with *channel set, IPCERR_NO_CHANNEL (703) when instance is negative or not
// below the table size, IPCERR_CHANNEL_CLOSED (704) when the slot is free. Not reported.
int ipc_find_channel(int instance, ipc_channel **channel);

// The instance value of a record of the table, or -1.
int ipc_channel_instance(const ipc_channel *channel);

// The transport table of a protocol (socket 0, pipe 2), or null for any other.
const TransportOps *ipc_transport_for(int protocol);

// How long the reconnect sleeps before each attempt, in milliseconds (3000). Tests shorten it.
void ipc_set_reconnect_delay_ms(int milliseconds);

// Frees every slot and releases the table; the next connection ID starts at 1 again. For tests.
void ipc_channels_reset();

}  // namespace trl
