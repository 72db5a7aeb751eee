// The transport operation table: the only way the message layer moves bytes.
//
// Every transport (TCP sockets, pipes to a child server) fills one TransportOps with its operations, in
// the slot order below, and a channel record holds a pointer to its transport's table. An endpoint is the
// transport's 32-bit handle of one connection: a socket descriptor, or a pipe slot index.
//
// Contract of every operation that returns int: 0 on success; on failure the transport has already
// written its error entry to the IPC log (its own error report, which also sets its last-error store)
// and returns that report's result, IPC_REPORTED (-32766). The message layer calls only connect,
// shutdown, send, receive, enable_async, disable_async and error_text; the server-side slots serve a
// server built on the same runtime (zentrixd). An empty slot is null.
#pragma once

#include <cstdint>

#include "trlipc.h"

namespace trl {

using tp_endpoint = int32_t;

// The handler that a transport would call on asynchronous delivery. No transport of this library
// delivers asynchronously; the slots exist so that the table keeps its shape.
using tp_async_handler = void (*)(void);

struct TransportOps {
  // 1. Opens a connection to the server named by host and service; *endpoint is -1 on failure. May
  //    lower or raise *max_packet_length (the socket transport sets 920). The socket transport may
  //    upper-case a five-character service text in place.
  int (*tp_connect)(const char *host, char *service, tp_endpoint *endpoint, uint16_t *max_packet_length);
  // 2. Ends the connection and releases the endpoint; used for every channel close. The endpoint value
  //    must not be used again afterwards.
  int (*tp_shutdown)(tp_endpoint endpoint);
  // 3. Sends every used byte of buffer (a null buffer sends nothing).
  int (*tp_send)(tp_endpoint endpoint, const ipc_buffer *buffer);
  // 4. Receives exactly buffer->length bytes into buffer->data.
  int (*tp_receive)(tp_endpoint endpoint, ipc_buffer *buffer);
  // 5. *data_waiting := 1 when at least one byte can be read without blocking; 0 when the peer closed.
  int (*tp_sense)(tp_endpoint endpoint, int32_t *data_waiting);
  // 6. Server side: opens the endpoint that waits for clients on service ("#<port>" or a service name).
  int (*tp_listen)(char *service, tp_endpoint *endpoint, uint16_t *max_packet_length);
  // 7. Server side: ends the listening endpoint.
  int (*tp_shutdown_listener)(tp_endpoint endpoint);
  // 8. Server side: takes one client connection from the listening endpoint.
  int (*tp_accept)(tp_endpoint listening, tp_endpoint *endpoint);
  // 9. Releases an endpoint that was not shut down.
  int (*tp_close)(tp_endpoint endpoint);
  // 10. Releases the listening endpoint.
  int (*tp_close_listener)(tp_endpoint endpoint);
  // 11. Server side: finds a free port and writes it as decimal text into text (at least 12 bytes).
  int (*tp_reserve_port)(char *text);
  // 12, 13. Asynchronous delivery on and off.
  int (*tp_enable_async)(tp_endpoint endpoint, tp_async_handler handler);
  int (*tp_disable_async)(tp_endpoint endpoint);
  // 14 to 16: empty.
  void (*reserved[3])(void);
  // 17. The transport's last-error store, with the contract of ipc_getset_last_error over the
  //     transport's own code family.
  const char *(*tp_error_text)(int mode, int *code, const char *text);
};

// The socket transport (TCP over IPv4, POSIX sockets).
const TransportOps &socket_transport();

}  // namespace trl
