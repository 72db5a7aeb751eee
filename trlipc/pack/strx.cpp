// Text fields: the bounded copy into a fixed-size field and the option-driven in-place editor.
#include <cstring>

#include "trlipc.h"

namespace trl {
namespace {

bool blank(unsigned char c) { return c == ' ' || c == '\t'; }

bool control(unsigned char c) {
  return c < 32 || c == 127 || (c >= 132 && c <= 151) || (c >= 155 && c <= 159);
}

// Keeps the characters for which keep(text, i) holds, in one pass.
template <typename Keep>
void filter(char *text, Keep keep) {
  size_t w = 0;
  for (size_t r = 0; text[r]; ++r) {
    if (keep(text, r)) text[w++] = text[r];
  }
  text[w] = '\0';
}

// Applies every option but the quote-aware one to a whole terminated text, in the documented order.
void edit_plain(char *text, unsigned options) {
  auto u = [](const char *s, size_t i) { return static_cast<unsigned char>(s[i]); };
  if (options & STRX_REMOVE_BLANKS) filter(text, [&](const char *s, size_t i) { return !blank(u(s, i)); });
  if (options & STRX_REMOVE_CONTROL) filter(text, [&](const char *s, size_t i) { return !control(u(s, i)); });
  if (options & STRX_LEADING_BLANKS) {
    size_t skip = 0;
    while (blank(u(text, skip))) ++skip;
    if (skip > 0) std::memmove(text, text + skip, std::strlen(text + skip) + 1);
  }
  if (options & STRX_SHORTEN_BLANKS) {
    // A blank followed by another blank goes, so each run keeps its last character.
    filter(text, [&](const char *s, size_t i) { return !(blank(u(s, i)) && blank(u(s, i + 1))); });
  }
  if (options & STRX_UPPER) {
    for (char *p = text; *p; ++p) {
      unsigned char c = static_cast<unsigned char>(*p);
      if ((c >= 'a' && c <= 'z') || (c >= 224 && c <= 253)) *p = static_cast<char>(c & ~0x20u);
    }
  }
  if (options & STRX_BRACKETS) {
    for (char *p = text; *p; ++p) {
      if (*p == '[') *p = '(';
      else if (*p == ']') *p = ')';
    }
  }
  if (options & STRX_TRAILING_BLANKS) {
    size_t n = std::strlen(text);
    while (n > 0 && blank(u(text, n - 1))) --n;
    text[n] = '\0';
  }
  if (options & STRX_LOWER) {
    for (char *p = text; *p; ++p) {
      unsigned char c = static_cast<unsigned char>(*p);
      if ((c >= 'A' && c <= 'Z') || (c >= 192 && c <= 221)) *p = static_cast<char>(c | 0x20u);
    }
  }
}

// Edits only the parts outside quotes; quoted parts and their quote characters stay as they are.
void edit_outside_quotes(char *text, unsigned options) {
  size_t r = 0, w = 0;
  while (text[r]) {
    size_t end = r;
    while (text[end] && text[end] != '"' && text[end] != '\'') ++end;
    const char saved = text[end];
    text[end] = '\0';
    edit_plain(text + r, options);
    const size_t length = std::strlen(text + r);
    std::memmove(text + w, text + r, length);
    w += length;
    text[end] = saved;
    r = end;
    if (!text[r]) break;
    const char quote = text[r];
    text[w++] = text[r++];
    while (text[r] && text[r] != quote) text[w++] = text[r++];
    if (text[r]) text[w++] = text[r++];
  }
  text[w] = '\0';
}

}  // namespace
}  // namespace trl

extern "C" {

TRL_API char *TRL_CDECL strx_cpy(char *destination, const char *source, int n) {
  // A destination of n <= 0 bytes has no room at all, so nothing is written to it.
  if (!destination || n <= 0) return destination;
  if (source) std::strncpy(destination, source, static_cast<size_t>(n));
  destination[n - 1] = '\0';
  return destination;
}

TRL_API char *TRL_CDECL strx_edit(char *text, unsigned int options) {
  if (!text) return text;
  if (options & STRX_QUOTE_AWARE) {
    trl::edit_outside_quotes(text, options & ~static_cast<unsigned>(STRX_QUOTE_AWARE));
  } else {
    trl::edit_plain(text, options);
  }
  return text;
}

}  // extern "C"
