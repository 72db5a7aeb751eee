// The scrambled form shared by CEncrypt, ODBC_Encrypt / ODBC_Decrypt and Portico's
// EncrptConnectPwd / DecrptConnectPwd; compiled into each library, hidden in each.
//
// Layout of the 50 bytes: byte 0 a start byte s (128 to 255), byte 1 s + n with n = text length + 1;
// then 24 pairs (b, b + c): pair k holds character k-1 of the text as a signed difference for k up to
// n (the text's terminating zero included), and two random bytes after that. Every byte is 32 or more.
#pragma once

#include <cstddef>

namespace omra::scrambler {

constexpr size_t kFormLength = 50;
constexpr size_t kPairs = 24;
// The longest text that has a start byte: s + length + 1 must stay at or below 254 with s at least 128.
constexpr size_t kMaxTextLength = 125;

// Scrambles the first length bytes of text (at most kMaxTextLength of them) into form, which receives
// kFormLength bytes and a terminating zero. The generator is seeded with the time in seconds.
void scramble(const char *text, size_t length, char form[kFormLength + 1]);

// Reads the text out of the first length bytes of form into plain (capacity bytes, at least
// kPairs + 1), zero-terminated. Pairs beyond length are not read. Returns the text's length.
size_t unscramble(const char *form, size_t length, char *plain, size_t capacity);

}  // namespace omra::scrambler
