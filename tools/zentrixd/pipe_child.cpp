// Serving one client over the pipes it started us with.
#include "pipe_child.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "group_handlers.h"
#include "groups/groups.h"
#include "options.h"
#include "pack/descriptors.h"
#include "session.h"
#include "transport/pipe.h"

namespace zentrixd {

bool is_pipe_child(int argc, char **argv) { return argc == 3 && std::strcmp(argv[1], trl::kPipeMarker) == 0; }

int serve_pipe_child(char *handles) {
  Config config;
  if (const char *file = std::getenv("ZENTRIXD_CONFIG"); file && *file) {
    std::string option = "--config";
    std::string path = file;
    char *words[] = {const_cast<char *>("zentrixd"), option.data(), path.data(), nullptr};
    std::string error;
    if (!parse_options(3, words, &config, &error)) {
      std::fprintf(stderr, "zentrixd: %s\n", error.c_str());
      return 2;
    }
  }
  set_echo_mode(config.scenario.name == "echo");
  trl::rpi_register_group(trl::trlrpi_group());
  trl::rpi_register_group(trl::dbirpi_group());
  // A client that went away is an ordinary failed write, not a signal.
  signal(SIGPIPE, SIG_IGN);

  const trl::TransportOps &ops = trl::pipe_transport();
  trl::tp_endpoint endpoint = 0;
  uint16_t max_length = 32767;
  if (ops.tp_listen(handles, &endpoint, &max_length) != 0) {
    std::fprintf(stderr, "zentrixd: cannot use the pipes %s (see the ipc log)\n", handles);
    return 1;
  }
  Session session(config, ops, endpoint, max_length);
  return session.run();
}

}  // namespace zentrixd
