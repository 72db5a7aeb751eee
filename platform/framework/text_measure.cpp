#include "framework/text_measure.h"

#include <algorithm>
#include <string>
#include <vector>

namespace omra::detail {

namespace {

// Greedy wrapping of one paragraph into lines of at most max_chars characters.
void wrap(const std::string &paragraph, size_t max_chars, std::vector<std::string> &lines) {
  std::string line;
  size_t i = 0;
  while (i < paragraph.size()) {
    size_t end = paragraph.find(' ', i);
    if (end == std::string::npos) end = paragraph.size();
    std::string word = paragraph.substr(i, end - i);
    i = end + 1;
    std::string candidate = line.empty() ? word : line + " " + word;
    if (candidate.size() <= max_chars) {
      line = candidate;
      continue;
    }
    if (!line.empty()) lines.push_back(line);
    while (word.size() > max_chars) {
      lines.push_back(word.substr(0, max_chars));
      word.erase(0, max_chars);
    }
    line = word;
  }
  lines.push_back(line);
}

}  // namespace

SIZE measure_fixed(const char *text, int width, UINT format, int char_width, int line_height) {
  std::string all = text ? text : "";
  all.erase(std::remove(all.begin(), all.end(), '\r'), all.end());
  std::vector<std::string> lines;
  if (format & DT_SINGLELINE) {
    std::replace(all.begin(), all.end(), '\n', ' ');
    lines.push_back(all);
  } else {
    size_t max_chars = std::max(1, width / std::max(1, char_width));
    size_t start = 0;
    while (true) {
      size_t nl = all.find('\n', start);
      std::string paragraph = all.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
      if (format & DT_WORDBREAK) {
        wrap(paragraph, max_chars, lines);
      } else {
        lines.push_back(paragraph);
      }
      if (nl == std::string::npos) break;
      start = nl + 1;
    }
  }
  size_t widest = 0;
  for (const std::string &l : lines) widest = std::max(widest, l.size());
  return {static_cast<LONG>(widest) * char_width, static_cast<LONG>(lines.size()) * line_height};
}

}  // namespace omra::detail
