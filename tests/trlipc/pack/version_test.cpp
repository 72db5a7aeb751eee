#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "pack/version.h"

using namespace trl;

namespace {

struct Case {
  const char *client;
  int client_level;
  const char *server;
  int server_level;
  int mode;
  int expected;
};

int validate(const Case &c, bool *note_empty) {
  char *a = const_cast<char *>(c.client);
  char *b = const_cast<char *>(c.server);
  int la = c.client_level, lb = c.server_level;
  char *note = nullptr;
  int result = allver_validate_versions(&a, &la, &b, &lb, &note, c.mode);
  *note_empty = note && note[0] == '\0';
  memory_null_no_len(&note);
  return result;
}

class AllverCase : public testing::TestWithParam<Case> {};

}  // namespace

TEST_P(AllverCase, GivesItsResult) {
  const Case &c = GetParam();
  bool note_empty = false;
  EXPECT_EQ(validate(c, &note_empty), c.expected);
  EXPECT_EQ(note_empty, c.mode == 1 || c.mode == 2) << "modes 1 and 2 hand out a new empty note";
}

INSTANTIATE_TEST_SUITE_P(
    Tables, AllverCase,
    testing::Values(
        // Mode 2: same row, client row below the server's, server row below the client's.
        Case{"2.0.1", 0, "5.1-AC 001", 0, 2, 0}, Case{"1.5.0", 3, "5.3-AA    ", 3, 2, 2},
        Case{"2.1.0", 0, "5.1-AA 001", 0, 2, 3},
        // A higher client level wins over everything.
        Case{"2.0.1", 2, "5.1-AC 001", 1, 2, 1}, Case{"x", 1, "y", 0, 1, 1},
        // Below every row of column A, or of column B.
        Case{"1.0.0", 0, "5.1-AA 001", 0, 2, 2}, Case{"2.0.1", 0, "4.9", 0, 2, 3},
        // Versions between rows fall on the lower row; letters compare without case.
        Case{"2.0.9", 0, "5.1-ac 001", 0, 2, 0}, Case{"9.9.9", 0, "5.3-AA    ", 0, 2, 0},
        Case{"9.9.9", 0, "5.3-AA", 0, 2, 3},  // without the four blanks it sorts before row 3
        // Mode 1.
        Case{"1.0-AA 002", 0, "5.0-AA 002", 0, 1, 0}, Case{"1.3-AA 001", 0, "5.0-AB 001", 0, 1, 3},
        Case{"1.0-AA 001", 0, "5.3-AA 001", 0, 1, 2},
        // An unknown mode.
        Case{"2.0.1", 0, "5.1-AC 001", 0, 0, 1}, Case{"2.0.1", 0, "5.1-AC 001", 0, 3, 1}));

TEST(VersionCompare, FoldsCaseAndTreatsMissingTextsAsLowest) {
  EXPECT_EQ(version_compare("5.1-ac", "5.1-AC"), 0);
  EXPECT_LT(version_compare("2.0.0", "2.0.1"), 0);
  EXPECT_EQ(version_compare("\xe9", "\xc9"), 0);  // 233 folds to 201
  EXPECT_EQ(version_compare("\xfd", "\xdd"), 0);     // 253 is the last byte folded
  EXPECT_EQ(version_compare("\xdf", "\xff"), 223 - 255);  // neither 223 nor 255 is folded
  EXPECT_EQ(version_compare("1234567890abc", "1234567890xyz"), 0) << "only 10 bytes count";
  EXPECT_LT(version_compare(nullptr, "1"), 0);
  EXPECT_GT(version_compare("1", nullptr), 0);
  EXPECT_EQ(version_compare(nullptr, nullptr), 0);
}

TEST(Allver, MissingVersionTextsAreBelowEveryRow) {
  char *version = const_cast<char *>("2.0.1");
  char *none = nullptr;
  int level = 0;
  char *note = nullptr;
  EXPECT_EQ(allver_validate_versions(&none, &level, &version, &level, &note, 2), 2);
  memory_null_no_len(&note);
  EXPECT_EQ(allver_validate_versions(&version, &level, &none, &level, &note, 2), 3);
  memory_null_no_len(&note);
}

TEST(Allver, ShortCallerTextsAreNotReadPastTheirEnd) {
  // Heap blocks of exactly the text's size: a read over 10 bytes would be caught by the sanitizer.
  char *client = static_cast<char *>(memory_get(6));
  std::memcpy(client, "2.0.1", 6);
  char *server = static_cast<char *>(memory_get(3));
  std::memcpy(server, "5.", 3);
  int level = 0;
  char *note = nullptr;
  EXPECT_EQ(allver_validate_versions(&client, &level, &server, &level, &note, 2), 3);
  memory_null_no_len(&note);
  memory_null_no_len(&client);
  memory_null_no_len(&server);
}

namespace {

// An array of a version text element and a level element, as function 23 carries them.
dyna_array *versions(const char *text, int32_t level) {
  dyna_array *array = dyna_construct();
  size_t n = std::strlen(text) + 1;
  char *copy = static_cast<char *>(memory_get(static_cast<int32_t>(n)));
  std::memcpy(copy, text, n);
  dyna_add(array, STR, static_cast<int32_t>(n), copy);
  dyna_add_data(array, LW, &level);
  return array;
}

}  // namespace

TEST(ValidateReplyVersions, BuildsTheClientTextAndChecksInMode2) {
  struct {
    const char *client;
    int32_t client_level;
    const char *server;
    int32_t server_level;
    int expected;
  } cases[] = {
      {"2.0.1", 1, "5.1-AC 001", 1, 0},
      {"2.1", 0, "5.3-AA    ", 0, 0},  // "2.1" counts as "2.1.0"
      {"2.1", 0, "5.1-AA 001", 0, 3},
      {"1.5", 0, "5.3-AA    ", 0, 2},
      {"2.0.1", 5, "5.1-AC 001", 4, 1},
      {"2.0.1 and a long tail", 0, "5.1-AC 001", 0, 0},  // only the first 10 characters count
  };
  for (const auto &c : cases) {
    dyna_array *in = versions(c.client, c.client_level);
    dyna_array *out = versions(c.server, c.server_level);
    EXPECT_EQ(validate_reply_versions(in, out), c.expected) << c.client << " / " << c.server;
    dyna_destroy(&in);
    dyna_destroy(&out);
  }
}

TEST(ValidateReplyVersions, MissingElementsCountAsBelowEveryRow) {
  dyna_array *good = versions("2.0.1", 0);
  dyna_array *empty = dyna_construct();
  dyna_array *text_only = dyna_construct();
  dyna_add_string(text_only, 5, "5.1-A");
  dyna_array *level_first = dyna_construct();
  int32_t level = 0;
  dyna_add_data(level_first, LW, &level);
  dyna_add_data(level_first, LW, &level);

  EXPECT_EQ(validate_reply_versions(empty, good), 2);
  EXPECT_EQ(validate_reply_versions(nullptr, good), 2);
  EXPECT_EQ(validate_reply_versions(level_first, good), 2);
  EXPECT_EQ(validate_reply_versions(good, empty), 3);
  EXPECT_EQ(validate_reply_versions(good, text_only), 3);
  EXPECT_EQ(validate_reply_versions(good, level_first), 3);
  for (dyna_array *a : {good, empty, text_only, level_first}) dyna_destroy(&a);
}
