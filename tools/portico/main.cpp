// portico: the command-line front door of the Zentrix client.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli.h"
#include "commands.h"

namespace {

const portico::Command kCommands[] = {
    {"ping", "log in to a server, ping it and disconnect", portico::kPingHelp, portico::run_ping},
    {"demo", "a connection test against a simulated server of its own", portico::kDemoHelp, portico::run_demo},
};

void print_usage(FILE *out) {
  std::fputs("usage: portico COMMAND [OPTIONS]\n\ncommands:\n", out);
  for (const auto &command : kCommands) std::fprintf(out, "  %-6s %s\n", command.name, command.summary);
  std::fputs("\n'portico COMMAND --help' describes a command.\n", out);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    print_usage(stderr);
    return 2;
  }
  std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    if (argc >= 3) {
      for (const auto &command : kCommands) {
        if (std::strcmp(command.name, argv[2]) == 0) {
          std::fputs(command.help, stdout);
          return 0;
        }
      }
      return portico::usage_error("", std::string("unknown command '") + argv[2] + "'");
    }
    print_usage(stdout);
    return 0;
  }
  for (const auto &command : kCommands) {
    if (name == command.name) return command.run(std::vector<std::string>(argv + 2, argv + argc));
  }
  return portico::usage_error("", "unknown command '" + name + "'");
}
