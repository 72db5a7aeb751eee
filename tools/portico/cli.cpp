// Command-line parsing of portico's subcommands.
#include "cli.h"

#include <cstdio>

namespace portico {

std::string ParsedArgs::value(const std::string &name, const std::string &fallback) const {
  auto it = values.find(name);
  return it == values.end() ? fallback : it->second;
}

bool parse_args(const std::vector<std::string> &args, const OptionSpec &spec, ParsedArgs *out, std::string *error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out->help = true;
      continue;
    }
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      *error = "unexpected argument '" + arg + "'";
      return false;
    }
    std::string name = arg.substr(2);
    std::string value;
    bool inline_value = false;
    if (size_t equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      inline_value = true;
    }
    if (spec.flags.count(name)) {
      if (inline_value) {
        *error = "option --" + name + " takes no value";
        return false;
      }
      out->flags.insert(name);
    } else if (spec.with_value.count(name)) {
      if (!inline_value) {
        if (i + 1 >= args.size()) {
          *error = "option --" + name + " needs a value";
          return false;
        }
        value = args[++i];
      }
      out->values[name] = value;
    } else if (name == "password") {
      *error = "passwords are not taken on the command line; use --password-stdin";
      return false;
    } else {
      *error = "unknown option --" + name;
      return false;
    }
  }
  return true;
}

int usage_error(const std::string &command, const std::string &message) {
  std::fprintf(stderr, "portico: %s (see 'portico %s--help')\n", message.c_str(),
               command.empty() ? "" : (command + " ").c_str());
  return 2;
}

}  // namespace portico
