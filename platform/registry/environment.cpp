// ExpandEnvironmentStrings over the process environment.
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "omraplatform/registry.h"

namespace {

// Windows looks variables up without regard to case; Linux keeps case. The exact name wins, then the
// first variable whose name matches without regard to case.
const char *lookup(const std::string &name) {
  if (const char *value = std::getenv(name.c_str())) return value;
  for (char **entry = environ; entry && *entry; ++entry) {
    const char *equals = std::strchr(*entry, '=');
    if (equals && static_cast<size_t>(equals - *entry) == name.size() &&
        strncasecmp(*entry, name.c_str(), name.size()) == 0) {
      return equals + 1;
    }
  }
  return nullptr;
}

}  // namespace

DWORD ExpandEnvironmentStrings(LPCTSTR source, LPTSTR dst, DWORD dst_size) {
  if (!source) return 0;
  std::string out;
  for (const char *p = source; *p;) {
    const char *close = *p == '%' ? std::strchr(p + 1, '%') : nullptr;
    if (close && close > p + 1) {
      std::string name(p + 1, static_cast<size_t>(close - p - 1));
      if (const char *value = lookup(name)) {
        out += value;
        p = close + 1;
        continue;
      }
      // Not set: the reference stays as written, both percent signs included.
      out.append(p, static_cast<size_t>(close - p + 1));
      p = close + 1;
      continue;
    }
    out += *p++;
  }
  DWORD needed = static_cast<DWORD>(out.size() + 1);
  if (dst && dst_size >= needed) std::memcpy(dst, out.c_str(), needed);
  return needed;
}
