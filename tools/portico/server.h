// The simulated server zentrixd as a child process of portico, for the demo.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace portico {

// Where zentrixd is: $ZENTRIXD when set, else next to this program (an installed bin/ folder) or in
// the build tree's tools/zentrixd/, else the name alone (found on PATH).
std::string find_zentrixd();

class ZentrixdServer {
 public:
  ZentrixdServer() = default;
  ~ZentrixdServer();
  ZentrixdServer(const ZentrixdServer &) = delete;
  ZentrixdServer &operator=(const ZentrixdServer &) = delete;

  // Starts program on a port the system picks, with options, and waits (at most 10 seconds) for the
  // line that names its port. false with *error set when it did not start.
  bool start(const std::string &program, const std::vector<std::string> &options, std::string *error);
  int port() const { return port_; }
  // SIGTERM and wait for it; true when it ended by itself with status 0.
  bool stop();

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace portico
