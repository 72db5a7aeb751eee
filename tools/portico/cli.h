// Command-line parsing shared by portico's subcommands: options of the form --name VALUE,
// --name=VALUE and --flag, with one clear line for every mistake.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace portico {

// What a subcommand accepts.
struct OptionSpec {
  std::set<std::string> with_value;  // names without the leading "--"
  std::set<std::string> flags;
};

struct ParsedArgs {
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  bool help = false;
  bool has(const std::string &name) const { return values.count(name) || flags.count(name); }
  std::string value(const std::string &name, const std::string &fallback = "") const;
};

// Parses args (the words after the subcommand's name). false with *error set, a one-line text.
bool parse_args(const std::vector<std::string> &args, const OptionSpec &spec, ParsedArgs *out, std::string *error);

// Prints "portico: <message>" on standard error and returns the exit status of a usage error (2).
int usage_error(const std::string &command, const std::string &message);

}  // namespace portico
