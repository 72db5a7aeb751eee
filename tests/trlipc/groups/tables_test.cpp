#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "groups/groups.h"
#include "pack/descriptors.h"

using namespace trl;

namespace {

struct Arg {
  int32_t type, count, direction;
};
constexpr int32_t T = PACK_TERMINATED;
constexpr Arg kHandle = {ULW, 0, RPI_IN};

std::vector<Arg> args_of(const rpi_group *group, int number) {
  const rpi_function &fn = group->functions[number];
  std::vector<Arg> result;
  for (int i = 0; i < (fn.arg_count & 0xFF); ++i)
    result.push_back({fn.args[i].type, fn.args[i].count, fn.args[i].direction});
  return result;
}

bool same(const std::vector<Arg> &a, const std::vector<Arg> &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].type != b[i].type || a[i].count != b[i].count || a[i].direction != b[i].direction) return false;
  return true;
}

bool valid_type(const rpi_group *group, int32_t type) {
  if (type >= CH && type <= DYNA) return true;
  return type >= PACK_STRUCT_BASE && type - PACK_STRUCT_BASE < group->struct_count;
}

}  // namespace

TEST(GroupTables, HeadersMatchTheGroups) {
  const rpi_group *d = dbirpi_group();
  const rpi_group *t = trlrpi_group();
  EXPECT_STREQ(d->name, "DBIRPI");
  EXPECT_EQ(d->group, 3);
  EXPECT_EQ(d->function_count, 58);
  EXPECT_STREQ(t->name, "TRLRPI");
  EXPECT_EQ(t->group, 2);
  EXPECT_EQ(t->function_count, 75);
  for (const rpi_group *g : {d, t}) {
    ASSERT_EQ(g->struct_count, 1);
    EXPECT_EQ(g->structs, &kLoginRecordStruct);
  }
}

// Every entry is either empty or a well-formed list: valid types, in or out, counts that the engine
// accepts, an EL only before an array counted by it, a DYNA only as a scalar, and a handle first.
TEST(GroupTables, EveryEntryIsWellFormed) {
  for (const rpi_group *g : {dbirpi_group(), trlrpi_group()}) {
    for (int n = 0; n < g->function_count; ++n) {
      SCOPED_TRACE(std::string(g->name) + " " + std::to_string(n));
      const rpi_function &fn = g->functions[n];
      bool empty = (n >= 1 && n <= 3) || (n >= 5 && n <= 19);
      if (empty) {
        EXPECT_EQ(fn.arg_count, 0);
        EXPECT_EQ(fn.args, nullptr);
        EXPECT_EQ(fn.function, nullptr);
        continue;
      }
      ASSERT_GT(fn.arg_count, 0);
      ASSERT_LE(fn.arg_count, 21);  // callable locally
      ASSERT_NE(fn.args, nullptr);
      for (int i = 0; i < fn.arg_count; ++i) {
        const rpi_arg &a = fn.args[i];
        EXPECT_TRUE(valid_type(g, a.type)) << "argument " << i;
        EXPECT_TRUE(a.direction == RPI_IN || a.direction == RPI_OUT) << "argument " << i;
        if (a.type == DYNA) {
          EXPECT_EQ(a.count, 0) << "argument " << i;
        }
        if (a.type == STR) {
          EXPECT_EQ(a.count, T) << "argument " << i;
        }
        if (a.type == EL) {
          ASSERT_LT(i + 1, fn.arg_count) << "EL is the last argument";
          EXPECT_EQ(fn.args[i + 1].count, PACK_COUNT_FROM_EL);
        }
        if (a.count == PACK_COUNT_FROM_EL) {
          ASSERT_GT(i, 0);
          EXPECT_EQ(fn.args[i - 1].type, EL);
        }
      }
      if (n == 0 || n == 4) {
        EXPECT_EQ(fn.args[0].type, PACK_STRUCT_BASE);
        EXPECT_EQ(fn.function, nullptr);
      } else {
        EXPECT_TRUE(same({args_of(g, n)[0]}, {kHandle})) << "first argument is the handle";
      }
    }
  }
}

TEST(GroupTables, LoginEntriesAreSharedByBothGroups) {
  const std::vector<Arg> login0 = {{PACK_STRUCT_BASE, 0, RPI_IN}, {SH, 0, RPI_OUT}, {LW, 0, RPI_OUT},
                                   {STR, T, RPI_OUT}};
  const std::vector<Arg> login4 = {{PACK_STRUCT_BASE, 0, RPI_IN}, {STR, T, RPI_OUT}, {LW, 0, RPI_OUT},
                                   {STR, T, RPI_OUT}};
  for (const rpi_group *g : {dbirpi_group(), trlrpi_group()}) {
    EXPECT_TRUE(same(args_of(g, 0), login0)) << g->name;
    EXPECT_TRUE(same(args_of(g, 4), login4)) << g->name;
  }
}

struct EntryCase {
  int group;
  int number;
  std::vector<Arg> args;
};

class GroupEntry : public testing::TestWithParam<EntryCase> {};

TEST_P(GroupEntry, MatchesItsArgumentList) {
  const EntryCase &c = GetParam();
  const rpi_group *g = c.group == 3 ? dbirpi_group() : trlrpi_group();
  EXPECT_TRUE(same(args_of(g, c.number), c.args));
}

// A sample of both tables, spread over every argument shape that occurs.
INSTANTIATE_TEST_SUITE_P(
    Sample, GroupEntry,
    testing::Values(
        EntryCase{3, 20, {kHandle, {ULW, 0, 1}, {ULW, 0, 1}}},
        EntryCase{3, 22, {kHandle, {STR, T, 1}, {SH, 0, 1}, {SH, 0, 2}}},
        EntryCase{3, 29, {kHandle, {SH, 0, 1}, {STR, T, 1}, {SH, 0, 1}, {DYNA, 0, 2}}},
        EntryCase{3, 34,
                  {kHandle, {DYNA, 0, 1}, {DYNA, 0, 1}, {DYNA, 0, 1}, {ULW, 0, 1}, {DYNA, 0, 2},
                   {DYNA, 0, 2}}},
        EntryCase{3, 42, {kHandle, {SH, 0, 1}, {STR, T, 2}}},
        EntryCase{3, 46, {kHandle, {ULW, 0, 1}, {DYNA, 0, 1}, {DYNA, 0, 1}, {DYNA, 0, 1}}},
        EntryCase{3, 48, {kHandle, {LW, 0, 2}, {STR, T, 2}}},
        EntryCase{3, 50, {kHandle, {STR, T, 1}, {STR, T, 1}, {DYNA, 0, 2}}},
        EntryCase{3, 56, {kHandle, {STR, T, 1}, {SH, 0, 2}}},
        EntryCase{3, 57, {kHandle, {STR, T, 1}, {SH, 0, 1}, {SH, 33, 1}, {SH, 33, 1}, {SH, 0, 1}}},
        EntryCase{2, 20, {kHandle, {LW, 0, 1}, {LW, 0, 1}}},
        EntryCase{2, 21, {kHandle}},
        EntryCase{2, 22, {kHandle}},
        EntryCase{2, 23, {kHandle, {DYNA, 0, 1}, {DYNA, 0, 2}}},
        EntryCase{2, 24, {kHandle, {DYNA, 0, 2}, {DYNA, 0, 2}}},
        EntryCase{2, 27, {kHandle, {LW, 0, 2}, {STR, T, 2}}},
        EntryCase{2, 35, {kHandle, {STR, T, 1}, {STR, T, 1}, {DYNA, 0, 1}, {DYNA, 0, 1}}},
        EntryCase{2, 38, {kHandle, {DYNA, 0, 1}, {DYNA, 0, 1}, {STR, T, 2}}},
        EntryCase{2, 39, {kHandle, {DYNA, 0, 1}, {DYNA, 0, 1}, {DYNA, 0, 2}, {SH, 0, 2}, {SH, 0, 1}}},
        EntryCase{2, 40, {kHandle, {ULW, 0, 1}, {DYNA, 0, 2}}},
        EntryCase{2, 42, {kHandle, {LW, 0, 2}}},
        EntryCase{2, 44, {kHandle, {DYNA, 0, 1}}}));

TEST(GroupTables, TrlrpiObjectAndTaskEntriesTakeADynamicArrayInAndOut) {
  for (int n = 45; n <= 74; ++n)
    EXPECT_TRUE(same(args_of(trlrpi_group(), n), {kHandle, {DYNA, 0, 1}, {DYNA, 0, 2}})) << n;
}

TEST(GroupTables, ArgumentCountsOfEveryEntry) {
  // Argument counts by message number from 20 on.
  const std::vector<int> dbirpi = {3, 2, 4, 3, 3, 3, 2, 2, 3, 5, 3, 5, 2, 4, 7, 3, 3, 2, 2,
                                   2, 3, 3, 3, 3, 2, 3, 5, 3, 3, 4, 4, 2, 2, 2, 2, 2, 3, 6};
  const std::vector<int> trlrpi = {3, 1, 1, 3, 3, 2, 2, 3, 3, 3, 2, 3, 4, 3, 3, 5, 2, 3, 4, 6, 3, 2, 2, 2, 2};
  ASSERT_EQ(dbirpi.size() + 20, 58u);
  for (size_t i = 0; i < dbirpi.size(); ++i)
    EXPECT_EQ(dbirpi_group()->functions[20 + i].arg_count, dbirpi[i]) << "DBIRPI " << 20 + i;
  for (size_t i = 0; i < trlrpi.size(); ++i)
    EXPECT_EQ(trlrpi_group()->functions[20 + i].arg_count, trlrpi[i]) << "TRLRPI " << 20 + i;
}
