// A server that answers a client's remote call with arbitrary bytes. The client logs in over a loopback
// socket (the server's login reply is genuine), calls function 27 of group 2 and then receives whatever
// the input holds, after which the server closes its side: every input ends with the client's receive
// seeing the end of the stream, so each run is bounded by the input's length.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "groups/groups.h"
#include "pack/buffer.h"
#include "pack/descriptors.h"
#include "pack/pack.h"
#include "transport/channel.h"
#include "transport/log.h"
#include "trlipc.h"

namespace {

int g_listener = -1;
std::string g_service;
std::string g_login_reply;
bool g_fatal_log_existed = false;

bool read_exactly(int fd, size_t n) {
  char scratch[1024];
  while (n > 0) {
    ssize_t got = recv(fd, scratch, n < sizeof scratch ? n : sizeof scratch, 0);
    if (got <= 0) return false;
    n -= static_cast<size_t>(got);
  }
  return true;
}

void serve(const uint8_t *data, size_t size) {
  // Bounded even when the client never comes.
  pollfd p{g_listener, POLLIN, 0};
  if (poll(&p, 1, 5000) != 1) return;
  int fd = accept(g_listener, nullptr, nullptr);
  if (fd < 0) return;
  // The login request is 714 bytes, the call of function 27 16 bytes.
  if (read_exactly(fd, 714) && send(fd, g_login_reply.data(), g_login_reply.size(), MSG_NOSIGNAL) > 0 &&
      read_exactly(fd, 16)) {
    send(fd, data, size, MSG_NOSIGNAL);
  }
  shutdown(fd, SHUT_WR);
  char scratch[4096];
  while (recv(fd, scratch, sizeof scratch, 0) > 0) {
  }
  close(fd);
}

void set_up() {
  // The log files land in the current directory; libFuzzer reads its corpus relative to it, so the
  // directory stays and each run removes what it wrote.
  g_fatal_log_existed = access("pardex.log", F_OK) == 0;
  trl::rpi_register_group(trl::trlrpi_group());
  trl::ipc_set_reconnect_delay_ms(0);
  g_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  if (bind(g_listener, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || listen(g_listener, 4) != 0 ||
      getsockname(g_listener, reinterpret_cast<sockaddr *>(&a), &length) != 0) {
    std::abort();
  }
  g_service = "#" + std::to_string(ntohs(a.sin_port));

  // The login reply: empty reconnect text, status 0, a server message.
  char empty[] = "";
  char message[] = "fuzz";
  char *reconnect_text = empty;
  char *server_message = message;
  int32_t status = 0;
  void *values[4] = {nullptr, &reconnect_text, &status, &server_message};
  ipc_buffer *reply = trl::buffer_new(0);
  if (!reply || trl::packbld_reply(2, IPC_MSG_LOGIN, 1, 0, reply, values) != 0) std::abort();
  g_login_reply.assign(reinterpret_cast<char *>(reply->data), static_cast<size_t>(reply->length));
  trl::buffer_release(reply);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static bool ready = (set_up(), true);
  (void)ready;
  std::thread server(serve, data, size);
  rpi_login_record login{};
  std::snprintf(login.user, sizeof login.user, "fuzz");
  int instance = -1;
  char *server_message = nullptr;
  std::string service = g_service;
  if (ipc_connect("127.0.0.1", service.data(), &login, 2, 0, 0, const_cast<rpi_group *>(trl::trlrpi_group()),
                  &instance, &server_message) == 0) {
    int32_t code = 0;
    char *text = nullptr;
    ipc_request(instance, 27, &instance, &code, &text);
    memory_null_no_len(&text);
  }
  ipc_diskumbobulate(instance);
  memory_null_no_len(&server_message);
  server.join();
  // Error entries of every run would pile up: start each run with an empty log.
  trl::ipc_log_close();
  unlink(trl::ipc_log_name());
  if (!g_fatal_log_existed) unlink("pardex.log");
  return 0;
}
