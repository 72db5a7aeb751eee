// zentrixd: the simulated Zentrix server. The dispatcher listens on a TCP port, and every client
// connection is served by a session in a child process of its own, as a real dispatcher does.
#include <arpa/inet.h>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "group_handlers.h"
#include "groups/groups.h"
#include "options.h"
#include "pipe_child.h"
#include "pack/descriptors.h"
#include "session.h"
#include "transport/socket.h"

namespace {

int g_signal_pipe[2] = {-1, -1};

void on_signal(int) {
  int saved = errno;
  char byte = 1;
  [[maybe_unused]] ssize_t n = write(g_signal_pipe[1], &byte, 1);
  errno = saved;
}

std::vector<pid_t> g_sessions;

void reap_sessions() {
  pid_t done;
  while ((done = waitpid(-1, nullptr, WNOHANG)) > 0) std::erase(g_sessions, done);
}

}  // namespace

int main(int argc, char **argv) {
  // Every long message is joined and unpacked in buffers of its own size that are released at once;
  // without a trim threshold each of them would move the heap's end up and down again (a brk call and
  // fresh zeroed pages per request).
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_TOP_PAD, 4 << 20);
  if (zentrixd::is_pipe_child(argc, argv)) return zentrixd::serve_pipe_child(argv[2]);
  zentrixd::Config config;
  std::string error;
  if (!zentrixd::parse_options(argc, argv, &config, &error)) {
    std::fprintf(stderr, "zentrixd: %s\n%s", error.c_str(), zentrixd::usage());
    return 2;
  }
  uint32_t address = 0;
  if (!trl::parse_dotted_address(config.address.c_str(), &address)) {
    std::fprintf(stderr, "zentrixd: the address must be a dotted IPv4 address: %s\n", config.address.c_str());
    return 2;
  }
  zentrixd::set_echo_mode(config.scenario.name == "echo");
  trl::rpi_register_group(trl::trlrpi_group());
  trl::rpi_register_group(trl::dbirpi_group());
  trl::socket_set_server_address(address);

  if (pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const trl::TransportOps &ops = trl::socket_transport();
  std::string service = "#" + std::to_string(config.port);
  trl::tp_endpoint listening = -1;
  uint16_t max_length = 0;
  if (ops.tp_listen(service.data(), &listening, &max_length) != 0) {
    std::fprintf(stderr, "zentrixd: cannot listen on %s:%d (see the ipc log)\n", config.address.c_str(), config.port);
    return 1;
  }
  std::printf("zentrixd listening on %s:%d\n", config.address.c_str(), trl::socket_local_port(listening));
  std::fflush(stdout);

  pid_t dispatcher = getpid();
  for (;;) {
    pollfd fds[2] = {{listening, POLLIN, 0}, {g_signal_pipe[0], POLLIN, 0}};
    int ready = poll(fds, 2, 1000);
    reap_sessions();
    if (ready < 0 && errno != EINTR) break;
    if (fds[1].revents) break;
    if (ready <= 0 || !(fds[0].revents & POLLIN)) continue;
    trl::tp_endpoint endpoint = -1;
    if (ops.tp_accept(listening, &endpoint) != 0) continue;
    pid_t child = fork();
    if (child == 0) {
      // The session dies with the dispatcher.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != dispatcher) _exit(1);
      signal(SIGTERM, SIG_DFL);
      ops.tp_close(listening);
      int status;
      {
        zentrixd::Session session(config, ops, endpoint, max_length);
        status = session.run();
      }
      std::fflush(stderr);
      _exit(status);
    }
    if (child > 0) g_sessions.push_back(child);
    ops.tp_close(endpoint);  // the session has its own copy
  }
  ops.tp_close(listening);
  // Sessions end with the dispatcher.
  for (pid_t session : g_sessions) kill(session, SIGTERM);
  for (pid_t session : g_sessions) waitpid(session, nullptr, 0);
  return 0;
}
