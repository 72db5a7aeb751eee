#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../failing_allocator.h"
#include "pack/dyna.h"
#include "test_support.h"

namespace {

struct ArrayDeleter {
  void operator()(dyna_array *array) const { dyna_destroy(&array); }
};
using Array = std::unique_ptr<dyna_array, ArrayDeleter>;

std::string text_of(const dyna_array *array, int i) {
  return std::string(static_cast<const char *>(dyna_get_data(array, i)));
}

}  // namespace

TEST(DynaTest, AddStringTrimsTrailingBlanksOnly) {
  Array array(dyna_construct());
  struct Case {
    int length;
    const char *text, *expected;
  } cases[] = {
      {6, "ab    ", "ab"},
      {4, "    ", ""},
      {5, " a\tb ", " a\tb"},
      {2, "abcdef", "ab"},
      {9, "xy", "xy"},  // a text shorter than length ends at its zero
  };
  int i = 0;
  for (const Case &c : cases) {
    ASSERT_EQ(dyna_add_string(array.get(), c.length, c.text), 0);
    ++i;
    EXPECT_EQ(dyna_get_type(array.get(), i), STR);
    EXPECT_EQ(text_of(array.get(), i), c.expected);
    EXPECT_EQ(dyna_get_size(array.get(), i), static_cast<int32_t>(std::strlen(c.expected) + 1));
  }
  EXPECT_EQ(dyna_add_string(array.get(), -1, "x"), -1);
  EXPECT_EQ(dyna_add_string(nullptr, 1, "x"), -1);
}

TEST(DynaTest, AddDataCopiesOneValueOfTheType) {
  Array array(dyna_construct());
  int16_t sh = -3;
  int32_t lw = 70000;
  double db = 2.5;
  int8_t ch = 'q';
  ASSERT_EQ(dyna_add_data(array.get(), SH, &sh), 0);
  ASSERT_EQ(dyna_add_data(array.get(), LW, &lw), 0);
  ASSERT_EQ(dyna_add_data(array.get(), DB, &db), 0);
  ASSERT_EQ(dyna_add_data(array.get(), CH, &ch), 0);
  lw = 0;  // the element holds a copy
  EXPECT_EQ(dyna_count(array.get()), 4);
  EXPECT_EQ(*static_cast<int16_t *>(dyna_get_data(array.get(), 1)), -3);
  EXPECT_EQ(*static_cast<int32_t *>(dyna_get_data(array.get(), 2)), 70000);
  EXPECT_EQ(*static_cast<double *>(dyna_get_data(array.get(), 3)), 2.5);
  EXPECT_EQ(*static_cast<int8_t *>(dyna_get_data(array.get(), 4)), 'q');
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(dyna_get_size(array.get(), i), 1);
}

TEST(DynaTest, GettersRejectIndexesOutOfRange) {
  Array array(dyna_construct());
  int32_t value = 1;
  dyna_add_data(array.get(), LW, &value);
  for (int i : {0, 2, -1}) {
    EXPECT_EQ(dyna_get_type(array.get(), i), 0);
    EXPECT_EQ(dyna_get_size(array.get(), i), 0);
    EXPECT_EQ(dyna_get_data(array.get(), i), nullptr);
  }
  EXPECT_EQ(dyna_count(nullptr), 0);
  EXPECT_EQ(dyna_get_type(nullptr, 1), 0);
  EXPECT_EQ(trl::dyna_capacity(nullptr), 0);
}

TEST(DynaTest, TableGrowsByHundredsAndKeepsValues) {
  Array array(dyna_construct());
  EXPECT_EQ(trl::dyna_capacity(array.get()), 0);
  for (int32_t i = 1; i <= 101; ++i) {
    ASSERT_EQ(dyna_add_data(array.get(), LW, &i), 0);
    if (i == 1 || i == 100) {
      EXPECT_EQ(trl::dyna_capacity(array.get()), 100);
    }
  }
  EXPECT_EQ(trl::dyna_capacity(array.get()), 200);
  for (int32_t i = 1; i <= 101; ++i) ASSERT_EQ(*static_cast<int32_t *>(dyna_get_data(array.get(), i)), i);
}

TEST(DynaTest, CountNeverWrapsPastTheSixteenBitLimit) {
  Array array(dyna_construct());
  dyna_make_room(array.get(), 65534);
  ASSERT_EQ(dyna_count(array.get()), 65534);
  int32_t value = 7;
  // The table is full: it grows by at most what the 16-bit capacity allows.
  EXPECT_EQ(dyna_add_data(array.get(), LW, &value), 0);
  EXPECT_EQ(dyna_count(array.get()), 65535);
  EXPECT_EQ(trl::dyna_capacity(array.get()), 65535);
  EXPECT_EQ(dyna_add_data(array.get(), LW, &value), -1);
  EXPECT_EQ(dyna_add(array.get(), LW, 1, nullptr), 0);
  EXPECT_EQ(dyna_count(array.get()), 65535);
  EXPECT_EQ(*static_cast<int32_t *>(dyna_get_data(array.get(), 65535)), 7);
  EXPECT_EQ(dyna_grow_add(array.get(), 65536, LW, 1, nullptr), 0);
  dyna_make_room(array.get(), 70000);  // refused: the old table stays
  EXPECT_EQ(dyna_count(array.get()), 65535);
}

TEST(DynaTest, GrowAddOnAFreshArray) {
  Array array(dyna_construct());
  void *block = memory_get(4);
  EXPECT_EQ(dyna_grow_add(array.get(), 5, LW, 1, block), 5);
  EXPECT_EQ(trl::dyna_capacity(array.get()), 105);
  EXPECT_EQ(dyna_count(array.get()), 5);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(dyna_get_type(array.get(), i), 0);
    EXPECT_EQ(dyna_get_data(array.get(), i), nullptr);
  }
  EXPECT_EQ(dyna_get_data(array.get(), 5), block);
  // Within the capacity but past the count: stored, count unchanged, not visible yet.
  EXPECT_EQ(dyna_grow_add(array.get(), 8, SH, 1, memory_get(2)), 5);
  EXPECT_EQ(dyna_get_type(array.get(), 8), 0);
  // Replacing an element releases its old block (checked by the leak sanitizer).
  EXPECT_EQ(dyna_grow_add(array.get(), 5, LW, 1, memory_get(4)), 5);
}

TEST(DynaTest, ClearElemDetachesTheBlock) {
  Array array(dyna_construct());
  dyna_add_string(array.get(), 3, "abc");
  void *detached = dyna_get_data(array.get(), 1);
  dyna_clear_elem(array.get(), 1);
  EXPECT_EQ(dyna_get_data(array.get(), 1), nullptr);
  EXPECT_EQ(dyna_get_type(array.get(), 1), 0);
  EXPECT_EQ(dyna_get_size(array.get(), 1), 0);
  dyna_free(array.get());
  EXPECT_STREQ(static_cast<char *>(detached), "abc");  // still ours, still intact
  memory_null_no_len(&detached);
  EXPECT_EQ(dyna_count(array.get()), 0);
}

TEST(DynaTest, DestroyAndFreeOfNothing) {
  dyna_array *none = nullptr;
  EXPECT_EQ(dyna_destroy(&none), 0);
  EXPECT_EQ(dyna_destroy(nullptr), 0);
  EXPECT_EQ(dyna_free(nullptr), 0);
  dyna_array *array = dyna_construct();
  dyna_add_string(array, 1, "a");
  EXPECT_EQ(dyna_destroy(&array), 0);
  EXPECT_EQ(array, nullptr);
}

TEST(DynaTest, FailedGrowthReturnsZeroAndKeepsTheArray) {
  Array array(dyna_construct());
  int32_t value = 3;
  ASSERT_EQ(dyna_add_data(array.get(), LW, &value), 0);
  {
    omra::test::FailingAllocator fail(1);
    EXPECT_EQ(dyna_add_data(array.get(), LW, &value), -1);  // the value's block
  }
  Array fresh(dyna_construct());
  {
    omra::test::FailingAllocator fail(1);
    EXPECT_EQ(dyna_add(fresh.get(), LW, 1, nullptr), 0);  // the table
  }
  EXPECT_EQ(dyna_count(fresh.get()), 0);
  EXPECT_EQ(dyna_count(array.get()), 1);
}

TEST(DynaTest, PrintFormats) {
  Array array(dyna_construct());
  int8_t ch = -5;
  uint8_t uch = 200;
  int16_t sh = -300;
  uint16_t ush = 60000;
  int32_t lw = -70000;
  uint32_t ulw = 4000000000u;
  float fl = 1.5f;
  double db = 0.25;
  dyna_add_data(array.get(), CH, &ch);
  dyna_add_data(array.get(), UCH, &uch);
  dyna_add_data(array.get(), SH, &sh);
  dyna_add_data(array.get(), USH, &ush);
  dyna_add_data(array.get(), LW, &lw);
  dyna_add_data(array.get(), ULW, &ulw);
  dyna_add_data(array.get(), DB, &db);
  dyna_add_string(array.get(), 5, "hi");
  int32_t other = 77;
  dyna_add_data(array.get(), ULW, &other);
  array->elements[8].type = 10;
  dyna_add_data(array.get(), FL, &fl);
  int32_t fl_bits;
  std::memcpy(&fl_bits, &fl, 4);

  std::string printed = omra::test::capture_stdout(
      [](void *a) { dyna_print(static_cast<dyna_array *>(a)); }, array.get());
  EXPECT_EQ(printed,
            "DYNA 1\tType: CHAR\n\tData: -5\n"
            "DYNA 2\tType: UCHAR\n\tData: 200\n"
            "DYNA 3\tType: SHORT\n\tData: -300\n"
            "DYNA 4\tType: USHORT\n\tData: 60000\n"
            "DYNA 5\tType: LONG\n\tData: -70000\n"
            "DYNA 6\tType: ULONG\n\tData: 4000000000\n"
            "DYNA 7\tType: DOUBLE\n\tData: 0.250000\n"
            "DYNA 8\tType: STRING\n\tData: hi\n"
            "DYNA 9\tType: OTHER\n\tData: 77\n"
            "DYNA 10\tType: OTHER\n\tData: " + std::to_string(fl_bits) + "\n");
}
