// The socket transport over POSIX sockets.
#include "transport/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "pack/memory.h"
#include "transport/errors.h"
#include "transport/log.h"

namespace trl {
namespace {

constexpr char kProtocolName[] = "tcp";
constexpr int kFirstReservedPort = 1100;
constexpr int kLastReservedPort = 32768;
constexpr int kSuperServerEndpoint = 1;  // the standard handle a super-server passes

ErrorStore g_socket_store(kSocketErrors);

// Read-ahead. A packet is received as its 11-byte header and then its body, and the acknowledgments of
// the stop-and-wait exchange are 12 bytes: reading each piece with its own receive call doubles the
// system calls of every packet. A receive of less than kReadAhead bytes therefore asks the socket for
// up to kReadAhead bytes and keeps the rest for the next receive on the same descriptor. Nothing
// changes on the wire, and the socket events read as before ("Trying to get" / "Got" per piece).
constexpr int kReadAhead = 4096;
constexpr int kReadAheadSockets = 1024;  // descriptors above this are read directly
struct ReadAhead {
  unsigned char *data = nullptr;
  int32_t start = 0;
  int32_t length = 0;
};
ReadAhead g_read_ahead[kReadAheadSockets];

ReadAhead *read_ahead(int socket) { return socket >= 0 && socket < kReadAheadSockets ? &g_read_ahead[socket] : nullptr; }

// Forgets what was read ahead on a descriptor that is being released.
void drop_read_ahead(int socket) {
  if (ReadAhead *r = read_ahead(socket)) {
    raw_release(r->data);
    *r = ReadAhead{};
  }
}
int g_listening_socket = -1;
int g_next_reserved_port = kFirstReservedPort;
int g_accepted_count = 0;
bool g_server_address_set = false;
uint32_t g_server_address = 0;

// The standard decimal conversion, saturating instead of overflowing.
long decimal(const char *text) {
  long value = std::strtol(text, nullptr, 10);
  return value;
}

// "INETD" in any case, exactly five characters.
bool is_inetd(const char *service) {
  if (!service || std::strlen(service) != 5) return false;
  char upper[6];
  for (int i = 0; i < 5; ++i) upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(service[i])));
  upper[5] = '\0';
  return std::strcmp(upper, "INETD") == 0;
}

// The port of a service text in network order: "#<decimal>" or a services-database name. 0, or
// SOCERR_SERVICE. Its event carries socket -1 on both sides, like every event before a socket is in play.
int lookup_service(const char *service, uint16_t *port) {
  socket_dump_event(SEV_SERVICE, -1, 0, service, kProtocolName);
  if (!service) return SOCERR_SERVICE;
  if (service[0] == '#') {
    *port = htons(static_cast<uint16_t>(decimal(service + 1)));
    return 0;
  }
  servent entry{};
  servent *found = nullptr;
  char scratch[1024];
  if (getservbyname_r(service, kProtocolName, &entry, scratch, sizeof scratch, &found) != 0 || !found) {
    return SOCERR_SERVICE;
  }
  *port = static_cast<uint16_t>(found->s_port);
  return 0;
}

// The first IPv4 address of a host name, or 0 with false.
bool resolve_host(const char *host, uint32_t *address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo *list = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &list) != 0 || !list) return false;
  *address = reinterpret_cast<sockaddr_in *>(list->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(list);
  return true;
}

sockaddr_in make_address(uint32_t address, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = address;
  a.sin_port = port;
  return a;
}

int new_socket() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }

int tp_connect(const char *host, char *service, tp_endpoint *endpoint, uint16_t *max_packet_length) {
  *endpoint = -1;
  int s = -1;
  int code = 0;
  uint32_t address = 0;
  uint16_t port = 0;
  socket_dump_event(SEV_HOST, -1, 0, host ? host : "");
  if (!parse_dotted_address(host ? host : "", &address) && !(host && resolve_host(host, &address))) {
    code = SOCERR_HOST;
  } else if (lookup_service(service, &port) != 0) {
    code = SOCERR_SERVICE;
  } else {
    socket_dump_event(SEV_SOCKET, -1, 0);
    s = new_socket();
    if (s < 0) {
      code = SOCERR_SOCKET;
    } else if (socket_tune(s, max_packet_length) != 0) {
      code = SOCERR_TUNE;
    } else {
      socket_dump_event(SEV_CONNECT, s, 0);
      sockaddr_in a = make_address(address, port);
      int rc;
      do {
        rc = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
      } while (rc != 0 && errno == EINTR);
      if (rc != 0) code = SOCERR_CONNECT;
    }
  }
  if (code == 0) {
    socket_dump_event(SEV_CONNECTED, s, 0);
    *endpoint = s;
    return 0;
  }
  int result = socket_report(code);
  // A five-character service text is left upper-cased, as callers of the Windows build saw it.
  if (service && std::strlen(service) == 5) {
    for (int i = 0; i < 5; ++i) service[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(service[i])));
  }
  // A socket of a failed connect is never handed out, so it is released here whatever the service.
  if (s >= 0) {
    ::shutdown(s, SHUT_RDWR);
    ::close(s);
  }
  return result;
}

int tp_shutdown(tp_endpoint endpoint) {
  socket_dump_event(SEV_SHUTDOWN, endpoint, 0);
  // A connection the peer already reset is as shut down as it gets; only an endpoint that is no
  // connected socket at all is a failure, and its descriptor is then left alone.
  if (::shutdown(endpoint, SHUT_RDWR) != 0 && errno != ENOTCONN) return socket_report(SOCERR_SHUTDOWN);
  drop_read_ahead(endpoint);
  ::close(endpoint);
  return 0;
}

int tp_send(tp_endpoint endpoint, const ipc_buffer *buffer) {
  int32_t length = buffer ? buffer->length : 0;
  socket_dump_event(SEV_SENDING, endpoint, length);
  const unsigned char *p = buffer ? buffer->data : nullptr;
  int32_t left = length;
  if (left > 0 && !p) return socket_report(SOCERR_SEND);
  // One send carries a whole packet on a blocking socket; the loop only resumes after a signal.
  do {
    ssize_t n = ::send(endpoint, p, static_cast<size_t>(left), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return socket_report(SOCERR_SEND);
    }
    if (n == 0 && left > 0) return socket_report(SOCERR_SHORT_SEND);
    p += n;
    left -= static_cast<int32_t>(n);
  } while (left > 0);
  return 0;
}

// One receive call of at most n bytes into p, with the would-block and signal rules. The count, or -1
// after the report (its result in *result).
ssize_t receive_some(int endpoint, unsigned char *p, int32_t n, int *result) {
  for (;;) {
    ssize_t got = ::recv(endpoint, p, static_cast<size_t>(n), 0);
    if (got > 0) return got;
    if (got == 0) {
      *result = socket_report(SOCERR_PEER_CLOSED);
      return -1;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      socket_dump_event(SEV_WOULD_BLOCK, endpoint, 0);
      int flags = fcntl(endpoint, F_GETFL);
      if (flags < 0 || fcntl(endpoint, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        *result = socket_report(SOCERR_BLOCK);
        return -1;
      }
      continue;
    }
    *result = socket_report(SOCERR_RECEIVE);
    return -1;
  }
}

int tp_receive(tp_endpoint endpoint, ipc_buffer *buffer) {
  int32_t left = buffer ? buffer->length : 0;
  if (left <= 0) return 0;
  unsigned char *p = buffer->data;
  ReadAhead *ahead = read_ahead(endpoint);
  while (left > 0) {
    socket_dump_event(SEV_TRYING, endpoint, left);
    int result = 0;
    int32_t n;
    if (ahead && ahead->length == 0 && left < kReadAhead &&
        (ahead->data || (ahead->data = static_cast<unsigned char *>(raw_allocate(kReadAhead))))) {
      ssize_t got = receive_some(endpoint, ahead->data, kReadAhead, &result);
      if (got < 0) return result;
      ahead->start = 0;
      ahead->length = static_cast<int32_t>(got);
    }
    if (ahead && ahead->length > 0) {
      n = left < ahead->length ? left : ahead->length;
      std::memcpy(p, ahead->data + ahead->start, static_cast<size_t>(n));
      ahead->start += n;
      ahead->length -= n;
    } else {
      ssize_t got = receive_some(endpoint, p, left, &result);
      if (got < 0) return result;
      n = static_cast<int32_t>(got);
    }
    socket_dump_event(SEV_GOT, endpoint, n);
    p += n;
    left -= n;
  }
  return 0;
}

int tp_sense(tp_endpoint endpoint, int32_t *data_waiting) {
  errno = 0;
  socket_dump_event(SEV_SENSE, endpoint, 0);
  if (ReadAhead *ahead = read_ahead(endpoint); ahead && ahead->length > 0) {
    *data_waiting = 1;
    return 0;
  }
  unsigned char byte;
  ssize_t n = ::recv(endpoint, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  if (n == 1) {
    *data_waiting = 1;
    return 0;
  }
  if (n == 0) {
    int pending = 0;
    socklen_t size = sizeof pending;
    if (getsockopt(endpoint, SOL_SOCKET, SO_ERROR, &pending, &size) == 0 && pending != 0) {
      errno = pending;
      return socket_report(SOCERR_SENSE);
    }
    *data_waiting = 0;
    return 0;
  }
  if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
  return socket_report(SOCERR_SENSE);
}

int tp_listen(char *service, tp_endpoint *endpoint, uint16_t *max_packet_length) {
  if (is_inetd(service)) {
    socket_dump_event(SEV_CONNECTED, kSuperServerEndpoint, 0);
    *endpoint = kSuperServerEndpoint;
    *max_packet_length = kSocketMaxPacketLength;
    return 0;
  }
  socket_dump_event(SEV_LISTEN_SOCKET, -1, 0);
  int s = new_socket();
  if (s < 0) return socket_report(SOCERR_LISTEN_SOCKET);
  int code = 0;
  uint16_t port = 0;
  if (socket_tune(s, max_packet_length) != 0) {
    code = SOCERR_TUNE;
  } else if (lookup_service(service, &port) != 0) {
    code = SOCERR_SERVICE;
  } else {
    socket_dump_event(SEV_BIND, s, ntohs(port));
    int one = 1;
    // A per-session port of an earlier session may still linger in TIME_WAIT.
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = make_address(g_server_address_set ? g_server_address : htonl(INADDR_ANY), port);
    if (::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
      code = SOCERR_BIND;
    } else {
      socket_dump_event(SEV_LISTEN, s, ntohs(port));
      if (::listen(s, INT_MAX) != 0) code = SOCERR_LISTEN;
    }
  }
  if (code != 0) {
    int result = socket_report(code);
    ::close(s);
    return result;
  }
  g_listening_socket = s;
  *endpoint = s;
  return 0;
}

int tp_accept(tp_endpoint listening, tp_endpoint *endpoint) {
  int s = kSuperServerEndpoint;
  if (listening != kSuperServerEndpoint) {
    socket_dump_event(SEV_ACCEPTING, listening, 0);
    do {
      s = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
    } while (s < 0 && errno == EINTR);
    if (s < 0) return socket_report(SOCERR_ACCEPT);
  }
  uint16_t discarded = 0;
  if (socket_tune(s, &discarded) != 0) {
    int result = socket_report(SOCERR_TUNE);
    if (s != kSuperServerEndpoint) ::close(s);
    return result;
  }
  socket_dump_event(SEV_CONNECTED, s, 0);
  *endpoint = s;
  if (g_accepted_count++ >= 100) {
    g_next_reserved_port = kFirstReservedPort;
    g_accepted_count = 0;
  }
  return 0;
}

int tp_close(tp_endpoint endpoint) {
  socket_dump_event(SEV_CLOSE, endpoint, 0);
  drop_read_ahead(endpoint);
  int rc = ::close(endpoint);
  if (rc != 0) return socket_report(rc);
  if (endpoint == g_listening_socket) g_listening_socket = -1;
  return 0;
}

int tp_reserve_port(char *text) {
  uint32_t address = g_server_address;
  if (!g_server_address_set) {
    char host[64] = {};
    if (gethostname(host, sizeof host - 1) != 0 || !resolve_host(host, &address)) return -1;
  }
  int port = g_next_reserved_port;
  int rc = -1;
  for (; port <= kLastReservedPort; ++port) {
    int s = new_socket();
    if (s < 0) return -1;
    socket_dump_event(SEV_BIND, s, port);
    sockaddr_in a = make_address(address, htons(static_cast<uint16_t>(port)));
    rc = ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 ? 0 : -1;
    tp_close(s);
    if (rc == 0) break;
  }
  if (port > kLastReservedPort) port = kLastReservedPort;
  g_next_reserved_port = port + 1;
  std::snprintf(text, 12, "%d", port);
  return rc;
}

int tp_enable_async(tp_endpoint, tp_async_handler) { return 0; }
int tp_disable_async(tp_endpoint) { return 0; }

const TransportOps kSocketOps = {
    tp_connect, tp_shutdown, tp_send,   tp_receive,      tp_sense,        tp_listen,
    tp_shutdown, tp_accept,  tp_close,  tp_close,        tp_reserve_port, tp_enable_async,
    tp_disable_async, {nullptr, nullptr, nullptr}, socket_error_text,
};

}  // namespace

const TransportOps &socket_transport() { return kSocketOps; }

int parse_dotted_address(const char *text, uint32_t *address) {
  *address = 0;
  if (!text) return 0;
  while (*text == ' ' || *text == '\n' || *text == '\t' || *text == '\r') ++text;
  if (!std::isdigit(static_cast<unsigned char>(*text)) || std::strlen(text) >= 100) return 0;
  char copy[100];
  std::snprintf(copy, sizeof copy, "%s", text);
  char *parts[4] = {copy, nullptr, nullptr, nullptr};
  for (int i = 1; i < 4; ++i) {
    char *dot = std::strchr(parts[i - 1], '.');
    if (!dot) return 0;
    *dot = '\0';
    parts[i] = dot + 1;
  }
  uint32_t host_order = 0;
  for (char *part : parts) {
    long value = decimal(part);
    if (value < 0 || value > 255) return 0;
    host_order = (host_order << 8) | static_cast<uint32_t>(value);
  }
  *address = htonl(host_order);
  return 1;
}

int socket_tune(int socket, uint16_t *max_packet_length) {
  linger off{0, 0};
  int one = 1;
  int code = 0;
  if (setsockopt(socket, SOL_SOCKET, SO_LINGER, &off, sizeof off) != 0 ||
      setsockopt(socket, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one) != 0 ||
      setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) != 0) {
    code = SOCERR_TUNE;
  }
  *max_packet_length = kSocketMaxPacketLength;
  return code;
}

int socket_report(int code) {
  int saved_errno = errno;
  if (code == 0 || code == IPC_REPORTED) return code;
  FILE *log = ipc_log_stream();
  if (!log) return IPC_REPORTED;
  std::fputs("====================================================\n", log);
  std::fputs(log_time_text(), log);
  std::fputs("IPC SOCKET error\n", log);
  int c = code;
  const char *text = g_socket_store.get_set(1, &c, nullptr);
  std::fprintf(log, "\tipcsocerr = (%d) %s\n", code, text ? text : "");
  char message[256];
  const char *system_text = strerror_r(saved_errno, message, sizeof message);
  std::fprintf(log, "\terrno = (%d) %s\n", saved_errno,
               system_text && *system_text ? system_text : "No error text available.");
  std::fputs("====================================================\n", log);
  std::fflush(log);
  return IPC_REPORTED;
}

const char *socket_error_text(int mode, int *code, const char *text) { return g_socket_store.get_set(mode, code, text); }

void socket_set_server_address(uint32_t address) {
  g_server_address = address;
  g_server_address_set = true;
}

int socket_local_port(int socket) {
  sockaddr_in a{};
  socklen_t size = sizeof a;
  if (getsockname(socket, reinterpret_cast<sockaddr *>(&a), &size) != 0) return -1;
  return ntohs(a.sin_port);
}

void socket_reset() {
  for (int i = 0; i < kReadAheadSockets; ++i) drop_read_ahead(i);
  g_socket_store.reset();
  g_listening_socket = -1;
  g_next_reserved_port = kFirstReservedPort;
  g_accepted_count = 0;
  g_server_address_set = false;
  g_server_address = 0;
}

}  // namespace trl
