// The socket transport: TCP over IPv4 with POSIX sockets, filling the transport operation table.
//
// Endpoints are socket descriptors. Every connect, listen and accept sets the maximum network packet
// length to 920. tp_shutdown ends a connection and closes its descriptor (nothing leaks per connection);
// tp_close releases a descriptor that was never shut down (the server's listening socket). Failures are
// written as "IPC SOCKET error" entries and set the socket transport's last-error store (codes 600 to
// 624). Sends never raise SIGPIPE: a peer that went away is an ordinary send failure.
#pragma once

#include <cstdint>

#include "transport/transport.h"

namespace trl {

inline constexpr uint16_t kSocketMaxPacketLength = 920;

// Reads four dot-separated decimal numbers of 0 to 255 (after leading blanks, tabs, newlines and
// carriage returns) as an address in network byte order: 1, or 0 with *address 0.
int parse_dotted_address(const char *text, uint32_t *address);

// Linger off, keep-alive on, and Nagle's algorithm off (each packet is one send and the exchange is
// stop-and-wait, so coalescing only delays). *max_packet_length becomes 920 whatever happens. 0, or
// SOCERR_TUNE (616) when an option could not be set.
int socket_tune(int socket, uint16_t *max_packet_length);

// The socket error report: 0 and -32766 return as they are; any other code is written as an
// "IPC SOCKET error" entry with errno and its text (the store is set only when the entry is written) and
// IPC_REPORTED is returned.
int socket_report(int code);

// The socket transport's last-error store (the tp_error_text slot).
const char *socket_error_text(int mode, int *code, const char *text);

// Server side: the local address that tp_listen binds and tp_reserve_port tries (network byte order).
// By default tp_listen binds every local address and tp_reserve_port the local host name's address.
void socket_set_server_address(uint32_t address);

// The local port (host order) of a bound socket, or -1.
int socket_local_port(int socket);

// The server-side state (listening socket, next reserved port 1100, accepted-connection count) and the
// store back to their initial values; for tests.
void socket_reset();

}  // namespace trl
