// The server side of the packet protocol for one client.
#include "session.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "handlers.h"
#include "pack/buffer.h"
#include "pack/memory.h"
#include "pack/pack.h"
#include "pack/packet.h"

namespace zentrixd {
namespace {

constexpr int kStop = IPC_MSG_STOP;
constexpr int kOk = IPC_MSG_OK;
constexpr int kResend = IPC_MSG_RESEND;
constexpr int kLogin = IPC_MSG_LOGIN;
constexpr int kFirstFunction = 20;
constexpr int kSessionAcceptMs = 10000;  // how long a named session port waits for its client
constexpr int kReservedPortTries = 50;

void sleep_ms(int ms) {
  timespec t{ms / 1000, (ms % 1000) * 1000000L};
  while (nanosleep(&t, &t) != 0) {
  }
}

std::string field(const char *bytes, size_t size) { return std::string(bytes, strnlen(bytes, size)); }

struct Owned {
  ipc_buffer *b;
  explicit Owned(int32_t capacity = 0) : b(trl::buffer_new(capacity)) {}
  ~Owned() { trl::buffer_release(b); }
  Owned(const Owned &) = delete;
  Owned &operator=(const Owned &) = delete;
};

}  // namespace

Session::Session(const Config &config, const trl::TransportOps &ops, trl::tp_endpoint endpoint,
                 uint16_t max_packet_length)
    : config_(config), ops_(ops), endpoint_(endpoint), max_packet_length_(max_packet_length) {}

Session::~Session() {
  trl::buffer_release(last_sent_);
  if (endpoint_ >= 0) ops_.tp_shutdown(endpoint_);
}

void Session::log_packet(const char *direction, const ipc_buffer *packet) const {
  if (!config_.log) return;
  int group = -1, message = -1, sequence = -1, number = -1;
  int32_t length = -1;
  trl::packet_group(packet, &group);
  trl::packet_message_number(packet, &message);
  trl::packet_sequence_number(packet, &sequence);
  trl::packet_number(packet, &number);
  trl::packet_length(packet, &length);
  std::fprintf(stderr, "zentrixd[%d] %s group %d message %d sequence %d packet %d length %d (%d bytes)\n",
               static_cast<int>(getpid()), direction, group, message, sequence, number, length,
               packet ? packet->length : 0);
}

bool Session::send_packet(const ipc_buffer *packet) {
  log_packet("send", packet);
  if (ops_.tp_send(endpoint_, packet) != 0) return false;
  trl::buffer_release(last_sent_);
  last_sent_ = trl::buffer_new_from(packet->length, packet->data);
  if (last_sent_) last_sent_->length = packet->length;
  return true;
}

bool Session::receive_packet(ipc_buffer *out) {
  unsigned char header_bytes[trl::kPacketHeaderSize];
  ipc_buffer header{header_bytes, trl::kPacketHeaderSize, 0};
  if (ops_.tp_receive(endpoint_, &header) != 0) return false;
  int32_t length = 0;
  trl::packet_length(&header, &length);
  if (length < trl::kPacketHeaderSize || length > trl::kMaxPacketLength) return false;
  out->length = 0;
  if (trl::buffer_append(out, header_bytes, trl::kPacketHeaderSize) != 0) return false;
  // The body arrives in pieces, each backed by bytes before the buffer grows further.
  unsigned char piece[64 * 1024];
  while (out->length < length) {
    int32_t n = length - out->length;
    if (n > static_cast<int32_t>(sizeof piece)) n = sizeof piece;
    ipc_buffer chunk{piece, n, 0};
    if (ops_.tp_receive(endpoint_, &chunk) != 0 || trl::buffer_append(out, piece, n) != 0) return false;
  }
  log_packet("recv", out);
  return true;
}

bool Session::receive_message(ipc_buffer *out) {
  ipc_buffer **parts = nullptr;
  int collected = 0;
  bool ok = false;
  for (;;) {
    Owned packet;
    if (!packet.b || !receive_packet(packet.b)) break;
    int message = 0, number = 0;
    trl::packet_message_number(packet.b, &message);
    trl::packet_number(packet.b, &number);
    if (group_ == 0) trl::packet_group(packet.b, &group_);
    if (message == kResend && number == 0) {
      if (!last_sent_ || !send_packet(last_sent_)) break;
      continue;
    }
    if (number > 0 || parts) {
      if (!parts) {
        parts = static_cast<ipc_buffer **>(trl::memory_get_clear(number + 2, sizeof(ipc_buffer *)));
        if (!parts) break;
      } else if (collected > 65536) {
        break;
      }
      parts[collected++] = packet.b;
      packet.b = nullptr;
      if (number > 0) {
        if (config_.scenario.name == "wrong-ack" && !fault_done_) {
          // A part answered with something other than an OK message.
          fault_done_ = true;
          Owned other(15);
          void *none[Call::kMaxArgs] = {};
          if (other.b && trl::packbld_reply(group_, message, counter_++, 0, other.b, none) == 0) send_packet(other.b);
          drain();
          break;
        }
        if (!send_control(kOk)) break;
        continue;
      }
      ok = trl::packgen_join(parts, out) == 0;
      break;
    }
    out->length = 0;
    ok = trl::buffer_append(out, packet.b->data, packet.b->length) == 0;
    break;
  }
  if (parts) {
    for (int i = 0; i < collected; ++i) trl::buffer_release(parts[i]);
    trl::raw_release(parts);
  }
  return ok;
}

bool Session::send_message(const ipc_buffer *message) {
  if (message->length <= max_packet_length_) return send_packet(message);
  ipc_buffer **parts = nullptr;
  if (trl::packgen_split(message, max_packet_length_, &parts) != 0) return false;
  bool ok = true;
  for (int i = 0; ok && parts[i]; ++i) {
    ok = send_packet(parts[i]);
    if (ok && parts[i + 1]) {
      Owned ack;
      int answer = 0;
      ok = ack.b && receive_message(ack.b) && trl::packet_message_number(ack.b, &answer) == 0 && answer == kOk;
    }
  }
  trl::packgen_release_parts(parts);
  return ok;
}

bool Session::send_control(int message) {
  Owned packet(12);
  return packet.b && trl::packbld_control(group_, message, counter_++, packet.b) == 0 && send_packet(packet.b);
}

// The rest of the connection is read and dropped until the client goes away.
void Session::drain() {
  unsigned char scratch[4096];
  for (;;) {
    ipc_buffer one{scratch, 1, 0};
    if (ops_.tp_receive(endpoint_, &one) != 0) return;
  }
}

bool Session::answer_login(ipc_buffer *request) {
  Call call;
  if (!unpack_request(request, &call) || !call.values[0]) return false;
  const auto *login = static_cast<const rpi_login_record *>(call.values[0]);
  std::string service = field(login->service, sizeof login->service);
  std::string user = field(login->user, sizeof login->user);
  std::string password = field(login->password, sizeof login->password);

  int32_t status = 0;
  std::string message = "Welcome to the simulated Zentrix server, " + user + ".";
  bool known = config_.accounts.empty();
  for (const Account &a : config_.accounts) {
    if (a.service == service && a.user == user) {
      known = a.password == password;
      if (!known) message = "Login refused: wrong password for user " + user + ".";
      break;
    }
    message = "Login refused: no account for user " + user + " and service " + service + ".";
  }
  if (!known) status = config_.refused_status;
  if (config_.scenario.name == "refuse-login") {
    status = config_.scenario.number(1203);
    message = "Login refused by request.";
  }

  std::string reconnect;
  trl::tp_endpoint session_listener = -1;
  if (config_.scenario.name == "reconnect-text") {
    reconnect = config_.scenario.arg;
  } else if (status == 0 && config_.reconnect && ops_.tp_reserve_port && ops_.tp_listen && ops_.tp_accept) {
    for (int i = 0; i < kReservedPortTries && session_listener < 0; ++i) {
      char text[16] = "#";
      uint16_t max_length = 0;
      if (ops_.tp_reserve_port(text + 1) != 0) break;
      if (ops_.tp_listen(text, &session_listener, &max_length) != 0) session_listener = -1;
      else reconnect = text;
    }
    if (session_listener < 0) {
      status = 723;
      message = "The server could not open a session port.";
    }
  }

  call.set_out_text(1, reconnect);
  call.set_out_i32(2, status);
  call.set_out_text(3, message);
  Owned reply;
  if (!reply.b || trl::packbld_reply(call.group, kLogin, counter_++, 0, reply.b, call.values) != 0) return false;
  if (!send_message(reply.b)) return false;
  if (status != 0) {
    drain();
    return false;
  }
  if (session_listener < 0) return true;

  // The client leaves the dispatcher's connection and comes back on the session port.
  pollfd p{session_listener, POLLIN, 0};
  trl::tp_endpoint next = -1;
  bool accepted = poll(&p, 1, kSessionAcceptMs) == 1 && ops_.tp_accept(session_listener, &next) == 0;
  ops_.tp_close(session_listener);
  if (!accepted) return false;
  ops_.tp_shutdown(endpoint_);
  endpoint_ = next;
  return true;
}

bool Session::send_reply(ipc_buffer *reply, int message) {
  const Scenario &s = config_.scenario;
  if (s.name == "delay") sleep_ms(s.number(100));
  if (fault_done_ || message < kFirstFunction) return send_message(reply);
  fault_done_ = true;
  if (s.name == "close-in-header" || s.name == "close-in-body") {
    int32_t n = s.name == "close-in-header" ? 5 : trl::kPacketHeaderSize + 3;
    if (n > reply->length) n = reply->length;
    ipc_buffer cut{reply->data, n, 0};
    ops_.tp_send(endpoint_, &cut);
    return false;
  }
  if (s.name == "stop-instead") {
    send_control(kStop);
    drain();
    return false;
  }
  if (s.name == "resend-first") {
    // The client answers with its last packet, the request, and then waits again for the reply.
    Owned again;
    if (!send_control(kResend) || !again.b || !receive_message(again.b)) return false;
    return send_message(reply);
  }
  if (s.name == "bad-header-then-resend") {
    unsigned char header[trl::kPacketHeaderSize];
    std::memcpy(header, reply->data, sizeof header);
    header[7] = header[8] = header[9] = 0;
    header[10] = 5;
    ipc_buffer bad{header, sizeof header, 0};
    ops_.tp_send(endpoint_, &bad);
    send_control(kResend);
    drain();
    return false;
  }
  if (s.name == "garbage-headers") {
    // Six headers whose length describes no packet: the client asks for a resend five times.
    unsigned char header[trl::kPacketHeaderSize];
    std::memcpy(header, reply->data, sizeof header);
    header[7] = header[8] = header[9] = 0;
    header[10] = 5;
    ipc_buffer bad{header, sizeof header, 0};
    for (int i = 0; i < 6; ++i) ops_.tp_send(endpoint_, &bad);
    drain();
    return false;
  }
  if (s.name == "wrong-group") {
    reply->data[0] = static_cast<unsigned char>(group_ == 2 ? 3 : 2);
    send_packet(reply);
    drain();
    return false;
  }
  if (s.name == "out-of-sequence") {
    ipc_buffer **parts = nullptr;
    if (trl::packgen_split(reply, max_packet_length_, &parts) != 0) return false;
    Owned ack;
    bool ok = parts[0] && parts[1] && parts[2] && send_packet(parts[0]) && ack.b && receive_message(ack.b);
    if (ok) send_packet(parts[2]);  // the part numbered one less is left out
    trl::packgen_release_parts(parts);
    drain();
    return false;
  }
  if (s.name == "request-first") {
    // A request the client does not know; it answers with status -1 and still waits for its reply.
    Owned request(12);
    unsigned char async_flag = 0;
    if (!request.b ||
        trl::packet_write_header(request.b, group_, s.number(200), counter_++, 0, trl::kRequestArgsOffset) != 0 ||
        trl::buffer_append(request.b, &async_flag, 1) != 0 || !send_message(request.b)) {
      return false;
    }
    Owned answer;
    if (!answer.b || !receive_message(answer.b)) return false;
    return send_message(reply);
  }
  return send_message(reply);
}

bool Session::serve(ipc_buffer *request) {
  int message = 0;
  trl::packet_message_number(request, &message);
  if (message == kStop) {
    send_control(kStop);
    stopped_ = true;
    return false;
  }
  if (message == kLogin) return answer_login(request);
  Call call;
  int32_t status = -1;
  if (unpack_request(request, &call)) {
    if (Handler handler = find_handler(call.group, call.message)) status = handler(*this, call);
  }
  Owned reply;
  if (!reply.b || trl::packbld_reply(group_, message, counter_++, status, reply.b, call.values) != 0) return false;
  return send_reply(reply.b, message);
}

int Session::run() {
  for (;;) {
    Owned request;
    if (!request.b || !receive_message(request.b)) return stopped_ ? 0 : 1;
    if (!serve(request.b)) return stopped_ ? 0 : 1;
  }
}

}  // namespace zentrixd
