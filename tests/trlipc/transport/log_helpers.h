// Reading the IPC log in tests: its text, occurrences, and the masking of what changes between runs.
#pragma once

#include <cstdio>
#include <string>

#include "test_support.h"
#include "transport/log.h"

namespace omra::test {

// What the shared log holds so far (the stream is flushed first).
inline std::string ipc_log_text() {
  if (FILE *log = trl::ipc_log_stream()) std::fflush(log);
  return read_file(trl::ipc_log_name());
}

inline int occurrences(const std::string &text, const std::string &what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Replaces every ctime text ("Fri Dec 11 12:47:14 2026") at the start of a line, after tabs, by "TIME".
inline std::string mask_times(const std::string &text) {
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    size_t tabs = line.find_first_not_of('\t');
    if (tabs != std::string::npos && line.size() - tabs == 24 && line[tabs + 3] == ' ' && line[tabs + 13] == ':' &&
        line[tabs + 16] == ':') {
      line = line.substr(0, tabs) + "TIME";
    }
    out += line;
    if (end < text.size()) out += '\n';
    start = end + 1;
  }
  return out;
}

// Replaces every run of digits that follows one of the given prefixes by "N".
inline std::string mask_numbers_after(std::string text, const std::string &prefix) {
  for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1)) {
    size_t digits = at + prefix.size();
    size_t end = digits;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end > digits) text.replace(digits, end - digits, "N");
  }
  return text;
}

}  // namespace omra::test
