// One client session of zentrixd, over any transport of the runtime's operation table.
//
// The session speaks the packet protocol from the server's side: it receives whole messages
// (acknowledging each non-final part with an OK message, answering resend requests with its last packet,
// joining the parts), dispatches requests to the handler table, and sends replies split at the channel's
// maximum packet length, waiting for the client's acknowledgment of each non-final part. The login is
// answered here, with the reconnect to a per-session port when the configuration asks for it (socket
// transport only: over a transport without the server-side slots the session stays where it is). The
// configured scenario injects one fault into the first remote call.
#pragma once

#include <cstdint>
#include <string>

#include "options.h"
#include "transport/transport.h"
#include "trlipc.h"

namespace zentrixd {

class Session {
 public:
  Session(const Config &config, const trl::TransportOps &ops, trl::tp_endpoint endpoint, uint16_t max_packet_length);
  ~Session();
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;

  // Serves until the client stops or goes away. 0 for an orderly end, 1 otherwise.
  int run();

  const Config &config() const { return config_; }
  int group() const { return group_; }

 private:
  bool receive_packet(ipc_buffer *out);
  bool receive_message(ipc_buffer *out);
  bool send_packet(const ipc_buffer *packet);
  bool send_message(const ipc_buffer *message);
  bool send_control(int message);
  bool serve(ipc_buffer *request);
  bool answer_login(ipc_buffer *request);
  // Sends the reply of a remote call, through the scenario's fault when it is due. false ends the
  // session.
  bool send_reply(ipc_buffer *reply, int message);
  void drain();
  void log_packet(const char *direction, const ipc_buffer *packet) const;

  const Config &config_;
  const trl::TransportOps &ops_;
  trl::tp_endpoint endpoint_;
  uint16_t max_packet_length_;
  int group_ = 0;
  int32_t counter_ = 1;
  bool fault_done_ = false;
  bool stopped_ = false;
  ipc_buffer *last_sent_ = nullptr;
};

}  // namespace zentrixd
