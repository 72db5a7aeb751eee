// The scrambler: random pairs from a generator of its own.
#include "scrambler.h"

#include <algorithm>
#include <cstdint>
#include <ctime>

namespace omra::scrambler {
namespace {

// A linear congruential generator with the classic C-library constants; its bits 16 to 23 run
// through every byte value, so each draw below ends. Each scrambling has its own, seeded from the
// clock, so the same text in the same second scrambles the same way and the program's rand() is
// left alone.
class Generator {
 public:
  explicit Generator(uint32_t seed) : m_state(seed) {}
  int byte() {
    m_state = m_state * 214013u + 2531011u;
    return static_cast<int>((m_state >> 16) & 0x7fff) & 0xff;
  }
  // A byte for which ok holds. After many draws without one (which a proper generator never needs)
  // the smallest such byte is taken, so the loop is bounded whatever the generator does.
  template <typename Ok>
  int draw(Ok ok) {
    for (int attempt = 0; attempt < 65536; ++attempt) {
      int b = byte();
      if (ok(b)) return b;
    }
    for (int b = 0; b < 256; ++b) {
      if (ok(b)) return b;
    }
    return 32;
  }

 private:
  uint32_t m_state;
};

}  // namespace

void scramble(const char *text, size_t length, char form[kFormLength + 1]) {
  const int n = static_cast<int>(std::min(length, kMaxTextLength)) + 1;
  Generator random(static_cast<uint32_t>(std::time(nullptr)));
  int s = random.draw([&](int b) { return b >= 128 && b + n <= 254; });
  form[0] = static_cast<char>(s);
  form[1] = static_cast<char>(s + n);
  for (int k = 1; k <= static_cast<int>(kPairs); ++k) {
    if (k <= n) {
      // Character k-1 as a signed byte; character n-1 is the terminating zero.
      int c = k < n ? static_cast<signed char>(text[k - 1]) : 0;
      int b = random.draw([&](int v) { return v >= 32 && v + c >= 32 && v + c <= 254; });
      form[2 * k] = static_cast<char>(b);
      form[2 * k + 1] = static_cast<char>(b + c);
    } else {
      form[2 * k] = static_cast<char>(random.draw([](int v) { return v >= 32; }));
      form[2 * k + 1] = static_cast<char>(random.draw([](int v) { return v >= 32; }));
    }
  }
  form[kFormLength] = '\0';
}

size_t unscramble(const char *form, size_t length, char *plain, size_t capacity) {
  size_t out = 0;
  if (length >= 2) {
    int n = static_cast<signed char>(form[1]) - static_cast<signed char>(form[0]);
    for (int k = 1; k <= static_cast<int>(kPairs) && k <= n; ++k) {
      size_t at = 2 * static_cast<size_t>(k);
      if (at + 1 >= length || out + 1 >= capacity) break;
      char c = static_cast<char>(static_cast<unsigned char>(form[at + 1]) - static_cast<unsigned char>(form[at]));
      if (c == '\0') break;  // the text's own terminator
      plain[out++] = c;
    }
  }
  if (capacity) plain[out] = '\0';
  return out;
}

}  // namespace omra::scrambler
