// Remote calls over loopback against a zentrixd process, each beside a raw socket exchange of the same
// byte sequence with a raw peer process on the same machine in the same run:
//  - ping: a 16-byte request and a 15-byte reply;
//  - a request of 100,000 bytes: 111 packets, each of the first 110 answered by a 12-byte OK message,
//    then the 15-byte reply.
// Every benchmark reports the 50th, 99th and 99.9th percentiles and the maximum of one round trip, in
// microseconds, so that a stall (such as a 40 ms delayed acknowledgment) shows up.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "groups/groups.h"
#include "trlipc.h"

extern char **environ;

namespace {

constexpr int kPing = 22;
constexpr int kDeleteRdf = 36;            // answers with the length of its text argument
constexpr int kLongText = 100000 - 17;    // 11 + 1 + 4 + text + terminator = 100,000 bytes
constexpr int kPacket = 920;

using Clock = std::chrono::steady_clock;

void report(benchmark::State &state, std::vector<double> &us) {
  if (us.empty()) return;
  std::sort(us.begin(), us.end());
  auto at = [&](double q) { return us[std::min(us.size() - 1, static_cast<size_t>(q * static_cast<double>(us.size())))]; };
  state.counters["p50_us"] = at(0.50);
  state.counters["p99_us"] = at(0.99);
  state.counters["p999_us"] = at(0.999);
  state.counters["max_us"] = us.back();
}

// zentrixd started once for the whole run.
struct Server {
  pid_t pid = -1;
  std::string service;
  Server() {
    std::vector<std::string> words = {ZENTRIXD_PATH, "--port", "0"};
    std::vector<char *> argv;
    for (auto &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) std::abort();
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char line[128] = {};
    FILE *f = fdopen(out[0], "r");
    if (!f || !std::fgets(line, sizeof line, f)) std::abort();
    std::fclose(f);
    service = std::string("#") + (std::strrchr(line, ':') + 1);
    while (!service.empty() && (service.back() == '\n')) service.pop_back();
  }
  ~Server() {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
};

Server &server() {
  static Server s;
  return s;
}

int connect_client() {
  rpi_login_record login{};
  std::snprintf(login.service, sizeof login.service, "trl");
  std::snprintf(login.user, sizeof login.user, "bench");
  int instance = -1;
  char *message = nullptr;
  std::string service = server().service;
  if (ipc_connect("127.0.0.1", service.data(), &login, 2, 0, 0, const_cast<rpi_group *>(trl::trlrpi_group()),
                  &instance, &message) != 0) {
    std::abort();
  }
  memory_null_no_len(&message);
  return instance;
}

void BM_PingZentrixd(benchmark::State &state) {
  int instance = connect_client();
  std::vector<double> us;
  for (auto _ : state) {
    auto start = Clock::now();
    if (ipc_request(instance, kPing, &instance) != 0) state.SkipWithError("ping failed");
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  ipc_disconnect(instance, 1);
  report(state, us);
}
BENCHMARK(BM_PingZentrixd)->Iterations(20000)->UseRealTime();

void BM_Request100KZentrixd(benchmark::State &state) {
  int instance = connect_client();
  std::string text(kLongText, 't');
  char *name = text.data();
  std::vector<double> us;
  for (auto _ : state) {
    auto start = Clock::now();
    if (ipc_request(instance, kDeleteRdf, &instance, &name) != kLongText) state.SkipWithError("request failed");
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  ipc_disconnect(instance, 1);
  report(state, us);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 100000);
}
BENCHMARK(BM_Request100KZentrixd)->Iterations(2000)->UseRealTime();

// The raw peer: a forked process that receives fixed-size messages and answers each with a fixed-size
// message, on one loopback connection.
struct RawPeer {
  pid_t pid = -1;
  int fd = -1;
  // plan: pairs of (bytes to receive, bytes to answer), repeated for ever.
  explicit RawPeer(std::vector<std::pair<int, int>> plan, bool nodelay) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (bind(listener, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr *>(&a), &length) != 0) {
      std::abort();
    }
    pid = fork();
    if (pid == 0) {
      int peer = accept(listener, nullptr, nullptr);
      int one = 1;
      if (nodelay) setsockopt(peer, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      std::vector<char> buffer(1 << 20);
      for (;;) {
        for (auto [in, out] : plan) {
          if (recv(peer, buffer.data(), static_cast<size_t>(in), MSG_WAITALL) != in) _exit(0);
          if (out > 0 && send(peer, buffer.data(), static_cast<size_t>(out), 0) != out) _exit(0);
        }
      }
    }
    close(listener);
    fd = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    if (nodelay) setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) std::abort();
  }
  ~RawPeer() {
    close(fd);
    waitpid(pid, nullptr, 0);
  }
};

bool send_all(int fd, const char *p, int n) { return send(fd, p, static_cast<size_t>(n), 0) == n; }
bool receive_all(int fd, char *p, int n) { return recv(fd, p, static_cast<size_t>(n), MSG_WAITALL) == n; }

void BM_PingRaw(benchmark::State &state) {
  RawPeer peer({{16, 15}}, state.range(0) != 0);
  char request[16] = {}, reply[15];
  std::vector<double> us;
  for (auto _ : state) {
    auto start = Clock::now();
    if (!send_all(peer.fd, request, 16) || !receive_all(peer.fd, reply, 15)) state.SkipWithError("raw failed");
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  report(state, us);
}
BENCHMARK(BM_PingRaw)->Arg(1)->Arg(0)->ArgName("nodelay")->Iterations(20000)->UseRealTime();

// 100,000 bytes: 110 parts of 920 bytes (909 body bytes each) and a last part of 11 + 10 bytes.
void BM_Request100KRaw(benchmark::State &state) {
  constexpr int kParts = 111;
  constexpr int kLast = 11 + (100000 - 11 - 110 * 909);
  std::vector<std::pair<int, int>> plan(kParts - 1, {kPacket, 12});
  plan.push_back({kLast, 15});
  RawPeer peer(plan, state.range(0) != 0);
  char packet[kPacket] = {}, answer[15];
  std::vector<double> us;
  for (auto _ : state) {
    auto start = Clock::now();
    bool ok = true;
    for (int i = 0; ok && i < kParts - 1; ++i) ok = send_all(peer.fd, packet, kPacket) && receive_all(peer.fd, answer, 12);
    ok = ok && send_all(peer.fd, packet, kLast) && receive_all(peer.fd, answer, 15);
    if (!ok) state.SkipWithError("raw failed");
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  report(state, us);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 100000);
}
BENCHMARK(BM_Request100KRaw)->Arg(1)->Arg(0)->ArgName("nodelay")->Iterations(2000)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
