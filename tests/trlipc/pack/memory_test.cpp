#include <gtest/gtest.h>

#include <cstring>

#include "../failing_allocator.h"
#include "pack/memory.h"
#include "test_support.h"

using omra::test::FailingAllocator;
using omra::test::file_exists;
using omra::test::read_file;

class MemoryTest : public testing::Test {
 protected:
  void SetUp() override { trl::fatal_reset(); }
};

TEST_F(MemoryTest, GetGivesZeroFilledBlocks) {
  auto *block = static_cast<unsigned char *>(memory_get(64));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(block[i], 0) << i;
  void *variable = block;
  EXPECT_EQ(memory_null(&variable, 64), 0);
  EXPECT_EQ(variable, nullptr);
}

TEST_F(MemoryTest, ReleaseFunctionsHonourLengthAndNull) {
  // A length of 0 marks memory that is not owned: nothing is released, the variable is still cleared.
  char stack_text[8] = "abc";
  EXPECT_EQ(memory_free(stack_text, 0), 0);
  void *variable = stack_text;
  EXPECT_EQ(memory_null(&variable, 0), 0);
  EXPECT_EQ(variable, nullptr);

  void *owned = memory_get(10);
  int32_t length = 10;
  EXPECT_EQ(memory_null_zero(&owned, &length), 0);
  EXPECT_EQ(owned, nullptr);
  EXPECT_EQ(length, 0);

  memory_null_no_len(nullptr);
  char *none = nullptr;
  memory_null_no_len(&none);
  EXPECT_EQ(none, nullptr);
  char *text = static_cast<char *>(memory_get(4));
  memory_null_no_len(&text);
  EXPECT_EQ(text, nullptr);
}

TEST_F(MemoryTest, CopyFillCases) {
  struct Case {
    int32_t destination_length, source_length;
    const char *expected;
  } cases[] = {
      {11, 3, "abc        "},  // 3 copied, 8 blanks
      {2, 5, "ab"},            // 2 copied, nothing filled
      {5, 5, "abcde"},
      {0, 5, ""},
  };
  for (const Case &c : cases) {
    char destination[16];
    std::memset(destination, '#', sizeof destination);
    EXPECT_EQ(libsa_memcpy_fill(destination, "abcde", c.destination_length, c.source_length, ' '), 0);
    EXPECT_EQ(std::string(destination, c.destination_length), c.expected);
    EXPECT_EQ(destination[c.destination_length], '#') << "wrote past the destination";
  }
}

TEST_F(MemoryTest, CopyHandlesOverlap) {
  char text[] = "abcdef";
  EXPECT_EQ(libsa_memcpy(text + 1, text, 4), 0);
  EXPECT_STREQ(text, "aabcdf");
}

TEST_F(MemoryTest, NegativeCopyLengthsCopyNothingAndLogNothing) {
  char destination[4] = "xyz";
  EXPECT_EQ(libsa_memcpy(destination, "abc", -1), 0);
  EXPECT_STREQ(destination, "xyz");
  EXPECT_EQ(trl::fatal_state().code, -1);
  EXPECT_STREQ(trl::fatal_state().user_message, "FTL_LIB4VMS_CPY");
  EXPECT_EQ(trl::fatal_state().handled, 1);
  EXPECT_FALSE(file_exists("pardex.log"));

  EXPECT_EQ(libsa_memcpy_fill(destination, "abc", 3, -7, ' '), 0);
  EXPECT_STREQ(destination, "xyz");
  EXPECT_EQ(trl::fatal_state().code, -7);
  EXPECT_STREQ(trl::fatal_state().user_message, "FTL_LIB4VMS_CPY_FILL");
  EXPECT_EQ(libsa_memcpy_fill(destination, "abc", -2, 3, ' '), 0);
  EXPECT_EQ(trl::fatal_state().code, -2);
  EXPECT_FALSE(file_exists("pardex.log"));
}

TEST_F(MemoryTest, TwoFailedAllocationsWriteOnePardexEntry) {
  EXPECT_STREQ(trl::fatal_state().user_message, "A fatal error has occurred in the application.\n");
  {
    FailingAllocator fail(1, true);
    EXPECT_EQ(memory_get(16), nullptr);
    EXPECT_EQ(memory_get(16), nullptr);
  }
  EXPECT_EQ(read_file("pardex.log"), "UNRECOVERABLE ERROR ENCOUNTERED...\nError number: 17003 - memory get\n");
  EXPECT_EQ(trl::fatal_state().code, 17003);
  EXPECT_STREQ(trl::fatal_state().user_message,
               "Could not perform needed virtual memory function.\n"
               "Shutting down program for problem to be identified.\n");
}

TEST_F(MemoryTest, InternalAllocationsReportTheirOwnCodes) {
  {
    FailingAllocator fail(1);
    EXPECT_EQ(trl::memory_get_clear(4, 8), nullptr);
  }
  EXPECT_EQ(read_file("pardex.log"), "UNRECOVERABLE ERROR ENCOUNTERED...\nError number: 17001 - memory get clear\n");

  void *block = trl::memory_get_clear(1, 4);
  {
    FailingAllocator fail(1);
    EXPECT_EQ(trl::memory_realloc_clear(block, 4096, 4), nullptr);
  }
  EXPECT_EQ(trl::fatal_state().code, 17002);
  EXPECT_STREQ(trl::memory_error_text(17000), "memory get no clear");
  EXPECT_STREQ(trl::memory_error_text(42), "");
  memory_free(block, 4);  // the old block survives a failed reallocation
}

TEST_F(MemoryTest, ReallocationZeroFillsTheNewPart) {
  auto *block = static_cast<unsigned char *>(trl::memory_realloc_or_get(nullptr, 4, 0));
  ASSERT_NE(block, nullptr);
  std::memset(block, 0xAB, 4);
  block = static_cast<unsigned char *>(trl::memory_realloc_or_get(block, 1000, 4));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[3], 0xAB);
  for (int i = 4; i < 1000; ++i) ASSERT_EQ(block[i], 0) << i;
  memory_free(block, 1000);
}
