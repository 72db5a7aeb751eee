// portico ping: log in to a server, ping it and disconnect.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli.h"
#include "commands.h"
#include "remote.h"
#include "trlipc.h"

namespace portico {

const char kPingHelp[] =
    "usage: portico ping --server HOST --port PORT --service SERVICE --user USER\n"
    "                    [--password-stdin] [--debug]\n"
    "\n"
    "Logs in to a Zentrix server through TRLIPC (trlrpi_connect, following the server's reconnect),\n"
    "calls trlrpi_ping and disconnects, printing each step. The exit status is 0 only when all three\n"
    "succeed; a failure prints its code and the library's text.\n"
    "\n"
    "  --server HOST       host name or dotted address of the server's dispatcher\n"
    "  --port PORT         a port number (23341 or #23341) or a service name of /etc/services\n"
    "  --service SERVICE   the server-side service to log in to\n"
    "  --user USER         the user name\n"
    "  --password-stdin    read the password from the first line of standard input (passwords are\n"
    "                      never taken on the command line); without it the password is empty\n"
    "  --debug             write TRLIPC's event and packet dumps to ipc<pid>.log in the current folder\n";

int run_ping(const std::vector<std::string> &args) {
  OptionSpec spec{{"server", "port", "service", "user"}, {"password-stdin", "debug"}};
  ParsedArgs parsed;
  std::string error;
  if (!parse_args(args, spec, &parsed, &error)) return usage_error("ping", error);
  if (parsed.help) {
    std::fputs(kPingHelp, stdout);
    return 0;
  }
  for (const char *required : {"server", "port", "service", "user"}) {
    if (parsed.value(required).empty()) return usage_error("ping", std::string("--") + required + " is required");
  }
  std::string password;
  if (parsed.flags.count("password-stdin") && !read_password_line(&password)) {
    std::fprintf(stderr, "portico: no password on standard input\n");
    return 1;
  }
  int debug = parsed.flags.count("debug") ? 1 : 0;
  rpi_connect_info info = make_connect_info(parsed.value("server"), parsed.value("port"), parsed.value("service"),
                                            parsed.value("user"), password, debug);
  password.assign(password.size(), '\0');

  std::printf("Connecting to %s port %s as %s (service %s) ...\n", info.server, info.port, info.user, info.service);
  std::fflush(stdout);
  int instance = -1;
  char *message = nullptr;
  Stopwatch connect_time;
  int result = trlrpi_connect(&info, &instance, &message);
  std::memset(info.password, 0, sizeof info.password);
  long long ms = connect_time.elapsed_ms();
  if (result != 0) {
    std::printf("trlrpi_connect failed after %lld ms: %s\n", ms, describe_failure(result).c_str());
    if (message && *message) std::printf("  server message: %s\n", message);
    memory_null_no_len(&message);
    return 1;
  }
  std::printf("trlrpi_connect: connected in %lld ms (instance %d)\n", ms, instance);
  if (message && *message) std::printf("  server message: %s\n", message);
  memory_null_no_len(&message);

  Stopwatch ping_time;
  int ping = trlrpi_ping(&instance);
  ms = ping_time.elapsed_ms();
  if (ping != 0) {
    std::printf("trlrpi_ping failed after %lld ms: %s\n", ms, describe_failure(ping).c_str());
  } else {
    std::printf("trlrpi_ping: answered in %lld ms\n", ms);
  }

  Stopwatch disconnect_time;
  int closed = trlrpi_disconnect(&instance);
  ms = disconnect_time.elapsed_ms();
  if (closed != 0) {
    std::printf("trlrpi_disconnect failed after %lld ms: %s\n", ms, describe_failure(closed).c_str());
  } else {
    std::printf("trlrpi_disconnect: disconnected in %lld ms\n", ms);
  }
  if (debug) std::printf("TRLIPC's dumps are in ipc%d.log\n", static_cast<int>(static_cast<int16_t>(getpid())));
  return ping == 0 && closed == 0 ? 0 : 1;
}

}  // namespace portico
