// portico's subcommands. Each takes the words after its name and returns the process's exit status:
// 0 on success, 1 when what it did failed, 2 for a usage error.
#pragma once

#include <string>
#include <vector>

namespace portico {

struct Command {
  const char *name;
  const char *summary;
  const char *help;  // the full --help text
  int (*run)(const std::vector<std::string> &args);
};

int run_ping(const std::vector<std::string> &args);
int run_demo(const std::vector<std::string> &args);

extern const char kPingHelp[];
extern const char kDemoHelp[];

}  // namespace portico
