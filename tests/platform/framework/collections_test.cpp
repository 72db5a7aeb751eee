#include "omraplatform/collections.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

std::string joined(const CStringList &list) {
  std::string out;
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    out += list.GetNext(pos);
    out += ';';
  }
  return out;
}

std::string joined_backwards(const CStringList &list) {
  std::string out;
  for (POSITION pos = list.GetTailPosition(); pos;) {
    out += list.GetPrev(pos);
    out += ';';
  }
  return out;
}

}  // namespace

TEST(CStringList, AddWalkAndRemove) {
  CStringList list;
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.GetHeadPosition(), nullptr);
  list.AddTail("b");
  list.AddTail(CString("c"));
  list.AddHead("a");
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(joined(list), "a;b;c;");
  EXPECT_EQ(joined_backwards(list), "c;b;a;");
  EXPECT_STREQ(list.GetHead(), "a");
  EXPECT_STREQ(list.GetTail(), "c");
  EXPECT_STREQ(list.RemoveHead(), "a");
  EXPECT_STREQ(list.RemoveTail(), "c");
  EXPECT_EQ(joined(list), "b;");
  list.RemoveAll();
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_STREQ(list.RemoveHead(), "");
  EXPECT_STREQ(list.RemoveTail(), "");
  EXPECT_STREQ(list.GetHead(), "");
}

TEST(CStringList, PositionsStayValidAcrossOtherChanges) {
  CStringList list;
  POSITION a = list.AddTail("a");
  POSITION b = list.AddTail("b");
  POSITION c = list.AddTail("c");
  list.AddHead("z");
  list.InsertAfter(a, "a2");
  list.InsertBefore(c, "b2");
  EXPECT_EQ(joined(list), "z;a;a2;b;b2;c;");
  list.RemoveAt(b);
  EXPECT_STREQ(list.GetAt(a), "a");
  EXPECT_STREQ(list.GetAt(c), "c");
  list.SetAt(c, "C");
  list.GetAt(a) = "A";
  EXPECT_EQ(joined(list), "z;A;a2;b2;C;");
  list.InsertBefore(nullptr, "head");
  list.InsertAfter(nullptr, "tail");
  EXPECT_EQ(joined(list), "head;z;A;a2;b2;C;tail;");
  // Removing the element being walked to, while walking, as the libraries do.
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    POSITION current = pos;
    if (list.GetNext(pos).GetLength() > 1) list.RemoveAt(current);
  }
  EXPECT_EQ(joined(list), "z;A;C;");
}

TEST(CStringList, FindAndFindIndex) {
  CStringList list;
  list.AddTail("x");
  POSITION second_x = nullptr;
  list.AddTail("y");
  second_x = list.AddTail("x");
  POSITION first_x = list.Find("x");
  ASSERT_NE(first_x, nullptr);
  EXPECT_EQ(list.Find("x", first_x), second_x);
  EXPECT_EQ(list.Find("x", second_x), nullptr);
  EXPECT_EQ(list.Find("X"), nullptr);  // case-sensitive
  EXPECT_EQ(list.FindIndex(2), second_x);
  EXPECT_EQ(list.FindIndex(3), nullptr);
  EXPECT_EQ(list.FindIndex(-1), nullptr);

  CStringList other;
  other.AddTail("1");
  other.AddTail("2");
  list.AddHead(&other);
  list.AddTail(&other);
  EXPECT_EQ(joined(list), "1;2;x;y;x;1;2;");
}

TEST(CPtrArray, AddInsertRemove) {
  int v[5] = {};
  CPtrArray array;
  EXPECT_TRUE(array.IsEmpty());
  EXPECT_EQ(array.Add(&v[0]), 0);
  EXPECT_EQ(array.Add(&v[2]), 1);
  array.InsertAt(1, &v[1]);
  EXPECT_EQ(array.GetSize(), 3);
  EXPECT_EQ(array.GetUpperBound(), 2);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(array.GetAt(i), &v[i]);
  array.SetAt(2, &v[3]);
  EXPECT_EQ(array[2], &v[3]);
  array[2] = &v[4];
  EXPECT_EQ(array.GetAt(2), &v[4]);
  array.RemoveAt(0);
  EXPECT_EQ(array.GetAt(0), &v[1]);
  EXPECT_EQ(array.GetSize(), 2);
  array.InsertAt(4, &v[0], 2);  // beyond the end: the gap is null
  EXPECT_EQ(array.GetSize(), 6);
  EXPECT_EQ(array.GetAt(2), nullptr);
  EXPECT_EQ(array.GetAt(5), &v[0]);
  array.RemoveAt(1, 100);
  EXPECT_EQ(array.GetSize(), 1);
  array.RemoveAll();
  EXPECT_EQ(array.GetSize(), 0);
}

TEST(CPtrArray, OutOfRangeIsHarmless) {
  int v = 0;
  CPtrArray array;
  array.Add(&v);
  EXPECT_EQ(array.GetAt(1), nullptr);
  EXPECT_EQ(array.GetAt(-1), nullptr);
  array.SetAt(5, &v);
  EXPECT_EQ(array.GetSize(), 1);
  array.RemoveAt(3);
  EXPECT_EQ(array.GetSize(), 1);
  EXPECT_THROW(array[1], std::out_of_range);
  array.SetAtGrow(3, &v);
  EXPECT_EQ(array.GetSize(), 4);
  EXPECT_EQ(array.GetAt(3), &v);
}
