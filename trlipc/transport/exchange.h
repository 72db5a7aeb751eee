// The message exchange on an open channel: sending messages in packets no longer than the channel's
// maximum (each non-final part acknowledged), receiving and reassembling packets, resends, serving
// requests of the other side while a reply is awaited, and the stop message that ends a channel.
//
// Every operation returns 0 or a result that has already gone through ipc_report_error: IPC_REPORTED,
// or a pass-through code (720, 721), which each enclosing step reports again.
#pragma once

#include <cstdint>

#include "transport/channel.h"
#include "trlipc.h"

namespace trl {

// How many resend requests one message receive may send.
inline constexpr int IPC_MAX_RETRIES = 5;

// Sends message (a built packet of message number M) split as the channel's maximum requires, or with
// resend nonzero the channel's last sent packet again. On success the channel's last sent packet is a
// copy of the packet just sent.
int ipc_send_message(ipc_channel *channel, int message_number, const ipc_buffer *message, int resend);

// Receives exactly one packet into buffer (its storage grows as the bytes arrive; a header that claims
// more than arrives never makes it allocate more than what came plus one chunk). A header whose packet
// length cannot describe a packet (below 11 or above 2,000,000,000) leaves the 11 header bytes alone
// in buffer and no body is read: the message receive treats it as an unreadable packet.
int ipc_receive_packet(ipc_channel *channel, ipc_buffer *buffer);

// Receives one whole message into buffer: answers resend requests, asks for a resend of unreadable
// packets (at most IPC_MAX_RETRIES times, then 706), acknowledges and joins sub-packets.
// expected_message_number is used only for the dump.
int ipc_receive_message(ipc_channel *channel, int expected_message_number, ipc_buffer *buffer);

// Sends request and waits until a message with message_number arrives in reply (which may be the same
// buffer), serving requests of the other side meanwhile. A stop message of the other side closes the
// channel: 714, fatal.
int ipc_exchange(ipc_channel *channel, int message_number, ipc_buffer *request, ipc_buffer *reply);

// Builds a control message (stop, OK, resend) with the next sequence number and sends it.
int ipc_send_system_message(ipc_channel *channel, int system_message_number);

// Serves one request of the other side that arrived while this side awaited a reply, and sends the
// reply. Unknown message numbers are answered with status -1.
int ipc_serve_request(ipc_channel *channel, const ipc_buffer *request);

// Calls the local function of descriptor entry message_number with the first k slots (k its argument
// count); *status receives its result. An entry without a function, or a slot left null (this library
// unpacks no request arguments), is not called: *status := -1 and 20501 is reported. 0, or a report.
int ipc_call_local(ipc_channel *channel, int message_number, int32_t *status, void **slots);

// The asynchronous-communications count of a channel.
int ipc_enable_async(ipc_channel *channel);
int ipc_disable_async(ipc_channel *channel);

}  // namespace trl
