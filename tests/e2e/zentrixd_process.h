// A zentrixd process of a test's own, started on a port the system picks and stopped with SIGTERM.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

extern char **environ;

namespace omra::test {

class ZentrixdProcess {
 public:
  // Starts zentrixd with the given options (besides --port 0) and reads its port from the line it
  // prints. port() is 0 when the start failed.
  explicit ZentrixdProcess(std::initializer_list<std::string> options = {}) { start(std::vector<std::string>(options)); }
  explicit ZentrixdProcess(const std::vector<std::string> &options) { start(options); }
  ~ZentrixdProcess() { stop(); }
  ZentrixdProcess(const ZentrixdProcess &) = delete;
  ZentrixdProcess &operator=(const ZentrixdProcess &) = delete;

  int port() const { return port_; }
  std::string service() const { return "#" + std::to_string(port_); }
  pid_t pid() const { return pid_; }
  // The session's log lines (--log), once the server has stopped.
  const std::string &log() const { return log_; }

  // SIGTERM and wait; the exit status, or -1.
  int stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    if (FILE *err = std::fopen(err_path_.c_str(), "r")) {
      char buffer[4096];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, err)) > 0) log_.append(buffer, n);
      std::fclose(err);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  void start(const std::vector<std::string> &options) {
    std::vector<std::string> words = {ZENTRIXD_PATH, "--port", "0"};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char *> argv;
    for (std::string &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    static int started = 0;
    err_path_ = "zentrixd-" + std::to_string(getpid()) + "-" + std::to_string(++started) + ".err";
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
      pid_ = -1;
      close(out[0]);
      return;
    }
    FILE *lines = fdopen(out[0], "r");
    char line[256];
    if (lines && std::fgets(line, sizeof line, lines)) {
      const char *colon = std::strrchr(line, ':');
      if (std::strncmp(line, "zentrixd listening on ", 22) == 0 && colon) port_ = std::atoi(colon + 1);
    }
    if (lines) std::fclose(lines);
  }

  pid_t pid_ = -1;
  int port_ = 0;
  std::string err_path_;
  std::string log_;
};

}  // namespace omra::test
