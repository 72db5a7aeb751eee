// The text-field exports, called through the public header as a client program would.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>
#include <string>

#include "trlipc.h"

TEST(StrxTest, CopyIntoFixedFields) {
  char field[50];
  std::string sixty(60, 'x');
  std::memset(field, '#', sizeof field);
  EXPECT_EQ(strx_cpy(field, sixty.c_str(), 50), field);
  EXPECT_EQ(std::strlen(field), 49u);
  EXPECT_EQ(field[49], '\0');

  std::memset(field, '#', sizeof field);
  strx_cpy(field, "abc", 50);
  EXPECT_STREQ(field, "abc");
  for (int i = 3; i < 50; ++i) EXPECT_EQ(field[i], '\0') << i;

  // No source: only the last byte is set.
  std::memset(field, '#', sizeof field);
  strx_cpy(field, nullptr, 50);
  EXPECT_EQ(field[0], '#');
  EXPECT_EQ(field[49], '\0');

  // A field of no bytes is not written at all; no destination is a no-op.
  std::memset(field, '#', sizeof field);
  strx_cpy(field, "abc", 0);
  strx_cpy(field, "abc", -3);
  EXPECT_EQ(field[0], '#');
  EXPECT_EQ(strx_cpy(nullptr, "abc", 50), nullptr);
  strx_cpy(field, "abc", 1);
  EXPECT_EQ(field[0], '\0');
}

TEST(StrxTest, EditOptions) {
  struct Case {
    const char *name;
    std::string text;
    unsigned options;
    std::string expected;
  } cases[] = {
      {"trailing blanks", "abc  \t", STRX_TRAILING_BLANKS, "abc"},
      {"blanks only", " \t  ", STRX_TRAILING_BLANKS, ""},
      {"remove every blank", " a b\tc ", STRX_REMOVE_BLANKS, "abc"},
      {"leading blanks", " \t a b ", STRX_LEADING_BLANKS, "a b "},
      {"runs of blanks", "a   b", STRX_SHORTEN_BLANKS, "a b"},
      {"run ending in a tab", "a  \tb", STRX_SHORTEN_BLANKS, "a\tb"},
      {"upper", "abz\xdf\xe9\xfd\xfe", STRX_UPPER, "ABZ\xdf\xc9\xdd\xfe"},
      {"lower", "ABZ\xc0\xdd\xde", STRX_LOWER, "abz\xe0\xfd\xde"},
      {"brackets", "[a]", STRX_BRACKETS, "(a)"},
      {"control", "a\x01\x1f\x7f\x84\x96\x97\x98\x9a\x9b\x9f\xa0\x80z", STRX_REMOVE_CONTROL, "a\x98\x9a\xa0\x80z"},
      {"quote-aware blanks", "a b \"c d\" e 'f g' h", STRX_QUOTE_AWARE | STRX_REMOVE_BLANKS, "ab\"c d\"e'f g'h"},
      {"quote-aware upper", "ab 'cd' \"ef", STRX_QUOTE_AWARE | STRX_UPPER, "AB 'cd' \"ef"},
      {"quote-aware mixed quotes", "x \"it's\" y", STRX_QUOTE_AWARE | STRX_REMOVE_BLANKS, "x\"it's\"y"},
      {"quote-aware trailing", "ab  'q'  ", STRX_QUOTE_AWARE | STRX_TRAILING_BLANKS, "ab'q'"},
      {"several in order", "  [ab]   cd  ", STRX_LEADING_BLANKS | STRX_SHORTEN_BLANKS | STRX_UPPER | STRX_BRACKETS |
                                               STRX_TRAILING_BLANKS, "(AB) CD"},
      {"no options", " a ", 0, " a "},
  };
  for (const Case &c : cases) {
    std::string text = c.text;
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    EXPECT_EQ(strx_edit(buffer.data(), c.options), buffer.data());
    EXPECT_EQ(std::string(buffer.data()), c.expected) << c.name;
  }
  EXPECT_EQ(strx_edit(nullptr, STRX_UPPER), nullptr);
}
