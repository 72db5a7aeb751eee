// Starting and stopping zentrixd for the demo.
#include "server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char **environ;

namespace portico {
namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr char kListeningLine[] = "zentrixd listening on ";

bool executable(const std::filesystem::path &path) { return ::access(path.c_str(), X_OK) == 0; }

}  // namespace

std::string find_zentrixd() {
  if (const char *given = std::getenv("ZENTRIXD"); given && *given) return given;
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    std::filesystem::path dir = self.parent_path();
    for (const auto &candidate : {dir / "zentrixd", dir / ".." / "zentrixd" / "zentrixd"}) {
      if (executable(candidate)) return candidate.lexically_normal().string();
    }
  }
  return "zentrixd";
}

ZentrixdServer::~ZentrixdServer() { stop(); }

bool ZentrixdServer::start(const std::string &program, const std::vector<std::string> &options, std::string *error) {
  std::vector<std::string> words = {program, "--address", "127.0.0.1", "--port", "0"};
  words.insert(words.end(), options.begin(), options.end());
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    *error = std::string("cannot create a pipe: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  int rc = ::posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (rc != 0) {
    pid_ = -1;
    ::close(out[0]);
    *error = "cannot start " + program + ": " + std::strerror(rc);
    return false;
  }

  // The first line names the port; read it with a time limit so a server that hangs cannot hang us.
  std::string line;
  bool complete = false;
  for (int waited = 0; !complete && waited < kStartTimeoutMs;) {
    pollfd p{out[0], POLLIN, 0};
    int ready = ::poll(&p, 1, 100);
    if (ready == 0) {
      waited += 100;
      continue;
    }
    char c;
    if (ready < 0 || ::read(out[0], &c, 1) != 1) break;
    if (c == '\n') complete = true;
    else line += c;
  }
  ::close(out[0]);
  if (complete && line.rfind(kListeningLine, 0) == 0) {
    size_t colon = line.rfind(':');
    if (colon != std::string::npos) port_ = std::atoi(line.c_str() + colon + 1);
  }
  if (port_ <= 0) {
    stop();
    *error = program + " did not say which port it listens on";
    return false;
  }
  return true;
}

bool ZentrixdServer::stop() {
  if (pid_ <= 0) return false;
  ::kill(pid_, SIGTERM);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace portico
