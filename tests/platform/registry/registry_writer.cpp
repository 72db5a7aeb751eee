// A second process for the registry tests: writes count string values "<prefix><n>" into
// HKEY_CURRENT_USER\<key> one write at a time and prints the number of every write that returned
// success, so that a test can kill it in the middle and know which writes were finished.
// Usage: registry_writer <key> <prefix> <count>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "omraplatform/registry.h"

int main(int argc, char **argv) {
  if (argc != 4) return 2;
  HKEY key = nullptr;
  LONG created = RegCreateKeyEx(HKEY_CURRENT_USER, argv[1], 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (created != ERROR_SUCCESS) {
    std::fprintf(stderr, "creating the key failed: %ld\n", static_cast<long>(created));
    return 3;
  }
  long count = std::strtol(argv[3], nullptr, 10);
  int failures = 0;
  for (long n = 0; n < count; ++n) {
    std::string name = std::string(argv[2]) + std::to_string(n);
    std::string data = "data of " + name;
    LONG status = RegSetValueEx(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                                static_cast<DWORD>(data.size() + 1));
    if (status == ERROR_SUCCESS) {
      std::printf("%ld\n", n);
      std::fflush(stdout);
    } else {
      std::fprintf(stderr, "write %ld failed: %ld\n", n, static_cast<long>(status));
      ++failures;
    }
  }
  RegCloseKey(key);
  return failures ? 1 : 0;
}
