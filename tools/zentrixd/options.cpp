// Command-line and config-file options of zentrixd.
#include "options.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zentrixd {
namespace {

bool to_int(const std::string &text, long low, long high, long *value) {
  if (text.empty()) return false;
  char *end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  *value = v;
  return true;
}

bool apply(const std::string &name, const std::string &value, Config *config, std::string *error, int depth);

bool read_config(const std::string &path, Config *config, std::string *error, int depth) {
  if (depth > 4) {
    *error = "config files nest too deeply: " + path;
    return false;
  }
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read config file " + path;
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    line = line.substr(start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.pop_back();
    size_t space = line.find_first_of(" \t");
    std::string name = line.substr(0, space);
    std::string value = space == std::string::npos ? "" : line.substr(line.find_first_not_of(" \t", space));
    if (!apply(name, value, config, error, depth + 1)) return false;
  }
  return true;
}

bool apply(const std::string &name, const std::string &value, Config *config, std::string *error, int depth) {
  long number = 0;
  if (name == "address") {
    config->address = value;
  } else if (name == "port") {
    if (!to_int(value, 0, 65535, &number)) {
      *error = "bad port: " + value;
      return false;
    }
    config->port = static_cast<int>(number);
  } else if (name == "account") {
    size_t first = value.find(':');
    size_t second = first == std::string::npos ? first : value.find(':', first + 1);
    if (second == std::string::npos) {
      *error = "an account is service:user:password, not " + value;
      return false;
    }
    config->accounts.push_back({value.substr(0, first), value.substr(first + 1, second - first - 1),
                                value.substr(second + 1)});
  } else if (name == "refused-status") {
    if (!to_int(value, -2147483647L, 2147483647L, &number)) {
      *error = "bad refused-status: " + value;
      return false;
    }
    config->refused_status = static_cast<int32_t>(number);
  } else if (name == "reconnect") {
    if (value != "on" && value != "off") {
      *error = "reconnect is on or off";
      return false;
    }
    config->reconnect = value == "on";
  } else if (name == "scenario") {
    size_t equals = value.find('=');
    config->scenario.name = value.substr(0, equals);
    config->scenario.has_arg = equals != std::string::npos;
    config->scenario.arg = config->scenario.has_arg ? value.substr(equals + 1) : "";
  } else if (name == "server-error") {
    size_t colon = value.find(':');
    if (colon == std::string::npos || !to_int(value.substr(0, colon), -2147483647L, 2147483647L, &number)) {
      *error = "server-error is CODE:TEXT";
      return false;
    }
    config->server_error_code = static_cast<int32_t>(number);
    config->server_error_text = value.substr(colon + 1);
  } else if (name == "server-version") {
    config->server_version = value;
  } else if (name == "server-level") {
    if (!to_int(value, -2147483647L, 2147483647L, &number)) {
      *error = "bad server-level: " + value;
      return false;
    }
    config->server_level = static_cast<int32_t>(number);
  } else if (name == "log") {
    config->log = true;
  } else if (name == "config") {
    return read_config(value, config, error, depth);
  } else {
    *error = "unknown option: " + name;
    return false;
  }
  return true;
}

}  // namespace

int Scenario::number(int fallback) const {
  long value = 0;
  return has_arg && to_int(arg, -2147483647L, 2147483647L, &value) ? static_cast<int>(value) : fallback;
}

const char *usage() {
  return "usage: zentrixd [--address A] [--port P] [--account service:user:password]... [--config FILE]\n"
         "                [--refused-status N] [--reconnect on|off] [--scenario NAME[=ARG]]\n"
         "                [--server-error CODE:TEXT] [--server-version TEXT] [--server-level N] [--log]\n"
         "Port 0 (the default) picks a free port; the line \"zentrixd listening on ADDRESS:PORT\" on standard\n"
         "output tells which. SIGTERM stops the server.\n"
         "Started as \"zentrixd WPIPE r/w\" it serves one client over the inherited pipes, configured by the\n"
         "file that $ZENTRIXD_CONFIG names.\n";
}

bool parse_options(int argc, char **argv, Config *config, std::string *error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) {
      *error = "unexpected argument: " + arg;
      return false;
    }
    std::string name = arg.substr(2);
    std::string value;
    size_t equals = name.find('=');
    if (name == "log") {
      config->log = true;
      continue;
    }
    if (equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      *error = "option --" + name + " needs a value";
      return false;
    }
    if (!apply(name, value, config, error, 0)) return false;
  }
  return true;
}

}  // namespace zentrixd
