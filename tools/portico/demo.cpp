// portico demo: the road of one connection test, against a zentrixd of its own.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli.h"
#include "commands.h"
#include "remote.h"
#include "server.h"
#include "trlipc.h"

namespace portico {
namespace {

// The embedded demo account and versions.
constexpr char kService[] = "DEMO";
constexpr char kUser[] = "demo";
constexpr char kPassword[] = "demo";
constexpr char kClientVersion[] = "2.1";
constexpr int32_t kClientLevel = 1;
constexpr char kServerVersion[] = "5.3-AA    ";
constexpr int32_t kServerLevel = 1;
constexpr int kSteps = 7;

const char *version_verdict(int result) {
  switch (result) {
    case 0: return "the client and server versions go together";
    case 1: return "the client level is above the server level";
    case 2: return "the client version is older than the server's";
    case 3: return "the server version is older than the client's";
    default: return "the versions could not be checked";
  }
}

void step(int n, const std::string &what) {
  std::printf("[%d/%d] %s\n", n, kSteps, what.c_str());
  std::fflush(stdout);
}

void outcome(const std::string &text, long long ms) {
  std::printf("      %s (%lld ms)\n", text.c_str(), ms);
  std::fflush(stdout);
}

std::string element_text(const dyna_array *array, int i) {
  const char *data = static_cast<const char *>(dyna_get_data(array, i));
  int32_t size = dyna_get_size(array, i);
  if (!data || size <= 0 || dyna_get_type(array, i) != STR) return "";
  return std::string(data, strnlen(data, static_cast<size_t>(size)));
}

int32_t element_level(const dyna_array *array, int i) {
  int32_t level = 0;
  if (const void *data = dyna_get_data(array, i); data && dyna_get_type(array, i) == LW) std::memcpy(&level, data, 4);
  return level;
}

}  // namespace

const char kDemoHelp[] =
    "usage: portico demo [--zentrixd PATH] [--no-reconnect]\n"
    "\n"
    "Runs a connection test against a simulated server of its own: starts zentrixd on a free loopback\n"
    "port with a demo account, then trlrpi_connect (following the server's reconnect to a session\n"
    "port, after TRLIPC's 3-second wait), trlrpi_init_engine, trlrpi_validate_versions,\n"
    "trlrpi_stop_engine and trlrpi_disconnect, printing each step, its result and its time, and stops\n"
    "the server. The exit status is 0 when every step succeeded.\n"
    "\n"
    "  --zentrixd PATH   the zentrixd program (default: $ZENTRIXD, or the one next to portico)\n"
    "  --no-reconnect    the server keeps the first connection (no session port, no 3-second wait)\n";

int run_demo(const std::vector<std::string> &args) {
  OptionSpec spec{{"zentrixd"}, {"no-reconnect"}};
  ParsedArgs parsed;
  std::string error;
  if (!parse_args(args, spec, &parsed, &error)) return usage_error("demo", error);
  if (parsed.help) {
    std::fputs(kDemoHelp, stdout);
    return 0;
  }
  bool reconnect = !parsed.flags.count("no-reconnect");
  std::string program = parsed.value("zentrixd", find_zentrixd());

  std::printf("Portico demo: a connection test against the simulated Zentrix server.\n\n");
  step(1, "Starting " + program + " with the demo account " + kUser + " (service " + kService + ") ...");
  ZentrixdServer server;
  Stopwatch start_time;
  if (!server.start(program,
                    {"--account", std::string(kService) + ":" + kUser + ":" + kPassword, "--reconnect",
                     reconnect ? "on" : "off", "--server-version", kServerVersion, "--server-level",
                     std::to_string(kServerLevel)},
                    &error)) {
    std::printf("      failed: %s\n", error.c_str());
    return 1;
  }
  outcome("listening on 127.0.0.1:" + std::to_string(server.port()), start_time.elapsed_ms());

  rpi_connect_info info = make_connect_info("127.0.0.1", std::to_string(server.port()), kService, kUser, kPassword, 0);
  step(2, std::string("trlrpi_connect to ") + info.server + " " + info.port + " as " + kUser + " ...");
  if (reconnect) {
    std::printf("      The server names a session port to reconnect to; TRLIPC waits 3 seconds before it\n"
                "      reconnects, so this step takes a little over 3 seconds ...\n");
    std::fflush(stdout);
  }
  int instance = -1;
  char *message = nullptr;
  Stopwatch connect_time;
  int result = trlrpi_connect(&info, &instance, &message);
  long long ms = connect_time.elapsed_ms();
  std::string greeting = message ? message : "";
  memory_null_no_len(&message);
  if (result != 0) {
    outcome("failed: " + describe_failure(result) + (greeting.empty() ? "" : " (server: " + greeting + ")"), ms);
    return 1;
  }
  outcome("0: connected, instance " + std::to_string(instance) + (greeting.empty() ? "" : ", \"" + greeting + "\""),
          ms);

  bool ok = true;
  int32_t debug_level = 0, seltest_level = 0;
  step(3, "trlrpi_init_engine (debug level 0, SelTest level 0) ...");
  Stopwatch init_time;
  result = trlrpi_init_engine(&instance, &debug_level, &seltest_level);
  ms = init_time.elapsed_ms();
  if (result != 0) {
    ok = false;
    outcome("failed: " + describe_failure(result), ms);
  } else {
    outcome("0: the engine is running", ms);
  }

  if (ok) {
    step(4, std::string("trlrpi_validate_versions (client version ") + kClientVersion + ", level " +
                std::to_string(kClientLevel) + ") ...");
    dyna_array *in = dyna_construct();
    dyna_array *out = dyna_construct();
    int32_t level = kClientLevel;
    bool built = in && out && dyna_add_string(in, static_cast<int>(std::strlen(kClientVersion)), kClientVersion) == 0 &&
                 dyna_add_data(in, LW, &level) == 0;
    Stopwatch version_time;
    result = built ? trlrpi_validate_versions(&instance, in, out) : -1;
    ms = version_time.elapsed_ms();
    if (result >= 0 && result <= 3) {
      outcome(std::to_string(result) + ": " + version_verdict(result) + " (server version \"" + element_text(out, 1) +
                  "\", level " + std::to_string(element_level(out, 2)) + ")",
              ms);
      ok = result == 0;
    } else {
      outcome("failed: " + (built ? describe_failure(result) : std::string("out of memory")), ms);
      ok = false;
    }
    dyna_destroy(&in);
    dyna_destroy(&out);
  }

  if (ok) {
    step(5, "trlrpi_stop_engine ...");
    Stopwatch stop_time;
    result = trlrpi_stop_engine(&instance);
    ms = stop_time.elapsed_ms();
    ok = result == 0;
    outcome(ok ? "0: the engine has stopped" : "failed: " + describe_failure(result), ms);
  }

  step(6, "trlrpi_disconnect ...");
  Stopwatch disconnect_time;
  result = trlrpi_disconnect(&instance);
  ms = disconnect_time.elapsed_ms();
  if (result != 0) ok = false;
  outcome(result == 0 ? "0: disconnected" : "failed: " + describe_failure(result), ms);

  step(7, "Stopping zentrixd ...");
  Stopwatch stop_server_time;
  bool stopped = server.stop();
  outcome(stopped ? "stopped" : "it did not end cleanly", stop_server_time.elapsed_ms());

  std::printf("\n%s\n", ok && stopped ? "The connection test succeeded." : "The connection test failed.");
  return ok && stopped ? 0 : 1;
}

}  // namespace portico
