// The process's IPC log file "ipc<pid>.log": error entries and the debug dumps of the runtime.
//
// Error entries are always written. Dumps (events of the message layer, packet dumps, socket events) are
// written only at a debug level of 1 or more: the latest ipc_connect sets the process-wide levels for
// every channel, and a channel writes event and packet dumps only when its own connect set its hook.
// Every entry is flushed at once, so that the log is complete when a process dies. Nothing here ever
// writes a password: the login record's password field is masked by the packet dump.
#pragma once

#include <cstdio>

#include "trlipc.h"

namespace trl {

struct ipc_channel;

// The log file's name, "ipc%d.log" with the process ID read as a signed 16-bit number (so processes
// whose IDs differ by a multiple of 65536 share one file), relative to the current directory.
const char *ipc_log_name();

// The shared log stream, opened for appending on first use and kept open; null when the file cannot be
// opened (the next call tries again). The stream belongs to this module: never fclose it.
FILE *ipc_log_stream();

// Closes the shared stream so that the next ipc_log_stream opens the file again (for tests, and for a
// process that changed its current directory).
void ipc_log_close();

// Message-layer events; the numbers index the event table.
enum IpcEvent {
  EV_CONNECTING = 0,
  EV_CONNECTED = 1,
  EV_DISCONNECTING = 2,
  EV_REQUEST_WHILE_WAITING = 3,
  EV_RESENDING = 4,
  EV_SENDING_PART = 5,
  EV_SENDING_PACKET = 6,
  EV_SENT = 7,
  EV_WAITING = 8,
  EV_SUB_PACKET = 9,
  EV_GOT_PACKET = 10,
  EV_CALLING_LOCAL = 11,
  EV_RESPONDING = 18,
  EV_ASYNC_OFF = 21,
  EV_ASYNC_ON = 22,
  EV_WAITING_HEADER = 25,
  EV_WAITING_BODY = 26,
  EV_COUNT = 27,
};

// Packet dumps.
enum IpcPacketDump {
  DUMP_REQUEST_OUT = 1,
  DUMP_REQUEST_IN = 2,
  DUMP_REPLY_OUT = 3,
  DUMP_REPLY_IN = 4,
};

// Socket events.
enum SocketEvent {
  SEV_HOST = 0,
  SEV_SERVICE = 1,
  SEV_SOCKET = 2,
  SEV_CONNECT = 3,
  SEV_SHUTDOWN = 4,
  SEV_CLOSE = 5,
  SEV_SENDING = 6,
  SEV_GOT = 7,
  SEV_WOULD_BLOCK = 8,
  SEV_NONBLOCKING = 9,
  SEV_SENSE = 10,
  SEV_BLOCKING = 11,
  SEV_LISTEN_SOCKET = 12,
  SEV_BIND = 13,
  SEV_LISTEN = 14,
  SEV_ACCEPTING = 15,
  SEV_CONNECTED = 16,
  SEV_ASYNC_ON = 17,
  SEV_ASYNC_OFF = 18,
  SEV_TRYING = 19,
  SEV_COUNT = 20,
};

// The process-wide dump levels (both set by every ipc_connect that passes its checks).
int ipc_event_level();
int socket_event_level();

// Sets both levels to level; with a level of 1 or more also sets the channel's hook and writes the start
// entries (a socket event header for socket 0 with "Beginning protocol layer debug dumps.", then an
// event header with the channel's connection ID and "Beginning debug dumps.").
void ipc_dump_setup(ipc_channel *channel, int level);

// Writes event's entry when the channel has a hook and the event level allows it. value is the message
// number of the events that show one, and the count of more packets for EV_SUB_PACKET.
void ipc_dump_event(int event, const ipc_channel *channel, int value);

// Writes a packet dump (DUMP_*) of packet when the channel has a hook and the event level allows it.
void ipc_dump_packet(int dump, const ipc_channel *channel, const ipc_buffer *packet);

// True when the channel writes event and packet dumps at the current level; callers test it before
// preparing anything for a dump.
bool ipc_dumps_on(const ipc_channel *channel);

// Writes a socket event for socket (-1 when the event concerns no socket yet) when the socket event
// level allows it. Events 0 and 1 take their texts in text and text2; events with a number take value.
void socket_dump_event(int event, int socket, int value, const char *text = nullptr, const char *text2 = nullptr);

// Sets both levels without touching any channel; for tests and the simulated server.
void ipc_set_dump_levels(int level);

}  // namespace trl
