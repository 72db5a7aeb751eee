// Small helpers over the registry API for the registry tests.
#pragma once

#include <string>
#include <vector>

#include "omraplatform/registry.h"

namespace omra::test {

// A key handle closed at the end of the scope.
class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() {
    if (m_key) RegCloseKey(m_key);
  }
  KeyHandle(const KeyHandle &) = delete;
  KeyHandle &operator=(const KeyHandle &) = delete;
  HKEY *out() { return &m_key; }
  HKEY get() const { return m_key; }
  operator HKEY() const { return m_key; }  // NOLINT

 private:
  HKEY m_key = nullptr;
};

inline LONG set_string(HKEY key, const char *name, const std::string &text) {
  return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
}

inline std::vector<std::string> subkeys(HKEY key) {
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[1024];
    DWORD length = sizeof name;
    if (RegEnumKeyEx(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

inline std::vector<std::string> value_names(HKEY key) {
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[1024];
    DWORD length = sizeof name;
    if (RegEnumValue(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

// The value's data, or "<error N>".
inline std::string query(HKEY key, const char *name, DWORD *type = nullptr) {
  char data[4096];
  DWORD size = sizeof data;
  LONG status = RegQueryValueEx(key, name, nullptr, type, reinterpret_cast<BYTE *>(data), &size);
  if (status != ERROR_SUCCESS) return "<error " + std::to_string(status) + ">";
  return std::string(data, size);
}

}  // namespace omra::test
