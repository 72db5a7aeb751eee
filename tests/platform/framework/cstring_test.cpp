#include "omraplatform/cstring.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CString, ConstructionAndConversion) {
  EXPECT_STREQ(CString(), "");
  EXPECT_STREQ(CString(static_cast<LPCTSTR>(nullptr)), "");
  EXPECT_STREQ(CString("abc"), "abc");
  EXPECT_STREQ(CString('x', 3), "xxx");
  EXPECT_STREQ(CString('x', 0), "");
  EXPECT_STREQ(CString("abcdef", 3), "abc");
  CString embedded("a\0b", 3);
  EXPECT_EQ(embedded.GetLength(), 3);
  CString s = "hello";
  LPCTSTR p = s;
  EXPECT_EQ(std::strlen(p), 5u);
  s = s.Mid(1);  // assigning from itself
  EXPECT_STREQ(s, "ello");
  s = static_cast<LPCTSTR>(s) + 1;  // from its own buffer
  EXPECT_STREQ(s, "llo");
}

TEST(CString, LengthAndElements) {
  CString s("abc");
  EXPECT_EQ(s.GetLength(), 3);
  EXPECT_FALSE(s.IsEmpty());
  EXPECT_EQ(s.GetAt(1), 'b');
  EXPECT_EQ(s[2], 'c');
  EXPECT_EQ(s.GetAt(3), '\0');
  EXPECT_EQ(s.GetAt(-1), '\0');
  s.SetAt(0, 'X');
  s.SetAt(7, 'Y');
  EXPECT_STREQ(s, "Xbc");
  s.Empty();
  EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, ExtractionClampsLikeMfc) {
  CString s("abcdef");
  struct Case {
    CString got;
    const char *want;
  } cases[] = {
      {s.Left(2), "ab"},      {s.Left(-1), ""},        {s.Left(10), "abcdef"},
      {s.Right(2), "ef"},     {s.Right(10), "abcdef"}, {s.Right(-3), ""},
      {s.Mid(2), "cdef"},     {s.Mid(2, 2), "cd"},     {s.Mid(-2, 2), "ab"},
      {s.Mid(4, 10), "ef"},   {s.Mid(9), ""},          {s.Mid(1, -1), ""},
      {s.SpanIncluding("cba"), "abc"},                 {s.SpanExcluding("dx"), "abc"},
  };
  for (const Case &c : cases) EXPECT_STREQ(c.got, c.want);
}

TEST(CString, Searching) {
  CString s("a.b.c");
  EXPECT_EQ(s.Find('.'), 1);
  EXPECT_EQ(s.Find('.', 2), 3);
  EXPECT_EQ(s.Find('.', 4), -1);
  EXPECT_EQ(s.Find('.', 50), -1);
  EXPECT_EQ(s.Find('z'), -1);
  EXPECT_EQ(s.Find("b.c"), 2);
  EXPECT_EQ(s.Find("b", 3), -1);
  EXPECT_EQ(s.Find(""), 0);
  EXPECT_EQ(s.Find(static_cast<LPCTSTR>(nullptr)), -1);
  EXPECT_EQ(s.ReverseFind('.'), 3);
  EXPECT_EQ(s.ReverseFind('q'), -1);
  EXPECT_EQ(s.FindOneOf("cb"), 2);
  EXPECT_EQ(s.FindOneOf("xyz"), -1);
  EXPECT_EQ(s.FindOneOf(""), -1);
}

TEST(CString, CaseAndTrimming) {
  CString s("MiXed 1\xe9");
  EXPECT_STREQ(CString(s).MakeUpper(), "MIXED 1\xe9");
  EXPECT_STREQ(CString(s).MakeLower(), "mixed 1\xe9");
  EXPECT_STREQ(CString("abc").MakeReverse(), "cba");
  EXPECT_STREQ(CString(" \t\r\n x y \n").TrimLeft(), "x y \n");
  EXPECT_STREQ(CString(" \t x y \n").TrimRight(), " \t x y");
  EXPECT_STREQ(CString("xxaxx").TrimLeft('x'), "axx");
  EXPECT_STREQ(CString("xxaxx").TrimRight('x'), "xxa");
  EXPECT_STREQ(CString("[\\a\\]").TrimRight("]\\"), "[\\a");
  EXPECT_STREQ(CString("[\\a\\]").TrimLeft("[\\"), "a\\]");
  EXPECT_STREQ(CString("  a  ").Trim(), "a");
  EXPECT_STREQ(CString("   ").TrimLeft(), "");
}

TEST(CString, EditingReturnsCounts) {
  CString s("a-b-c");
  EXPECT_EQ(s.Replace('-', '+'), 2);
  EXPECT_STREQ(s, "a+b+c");
  EXPECT_EQ(s.Replace("+", "::"), 2);
  EXPECT_STREQ(s, "a::b::c");
  EXPECT_EQ(s.Replace("::", ""), 2);
  EXPECT_STREQ(s, "abc");
  EXPECT_EQ(s.Replace("", "x"), 0);
  EXPECT_EQ(s.Replace("zz", "x"), 0);
  CString aaa("aaa");
  EXPECT_EQ(aaa.Replace("a", "aa"), 3);  // no rescanning of replaced text
  EXPECT_STREQ(aaa, "aaaaaa");
  EXPECT_EQ(aaa.Remove('a'), 6);
  EXPECT_TRUE(aaa.IsEmpty());

  CString t("ace");
  EXPECT_EQ(t.Insert(1, 'b'), 4);
  EXPECT_EQ(t.Insert(3, "d"), 5);
  EXPECT_EQ(t.Insert(99, "!"), 6);
  EXPECT_EQ(t.Insert(-5, '>'), 7);
  EXPECT_STREQ(t, ">abcde!");
  EXPECT_EQ(t.Delete(0), 6);
  EXPECT_EQ(t.Delete(3, 99), 3);
  EXPECT_EQ(t.Delete(10, 1), 3);
  EXPECT_STREQ(t, "abc");
}

TEST(CString, Format) {
  CString s;
  s.Format("%sOmraTmp%d%s", "/tmp/", 3, ".tmp");
  EXPECT_STREQ(s, "/tmp/OmraTmp3.tmp");
  s.Format("[%s]", static_cast<LPCTSTR>(s));  // its own text as an argument
  EXPECT_STREQ(s, "[/tmp/OmraTmp3.tmp]");
  std::string long_text(5000, 'q');
  s.Format("%s!", long_text.c_str());
  EXPECT_EQ(s.GetLength(), 5001);
  s.AppendFormat("%04d", 7);
  EXPECT_STREQ(s.Right(5), "!0007");
}

TEST(CString, ComparisonAndConcatenation) {
  CString a("abc"), b("ABC");
  EXPECT_LT(a.Compare("abd"), 0);
  EXPECT_GT(a.Compare(b), 0);
  EXPECT_EQ(a.CompareNoCase(b), 0);
  EXPECT_LT(a.CompareNoCase("ABD"), 0);
  EXPECT_GT(a.Compare(nullptr), 0);
  EXPECT_TRUE(a == "abc");
  EXPECT_TRUE("abc" == a);
  EXPECT_TRUE(a != b);
  EXPECT_TRUE(b < a);
  EXPECT_TRUE(a > "ab");
  EXPECT_TRUE("abd" >= a);
  EXPECT_TRUE(a <= CString("abc"));
  CString c = a + "-" + b + '!';
  EXPECT_STREQ(c, "abc-ABC!");
  EXPECT_STREQ("<" + a, "<abc");
  EXPECT_STREQ('<' + a, "<abc");
  c += a;
  c += "/";
  c += 'z';
  EXPECT_STREQ(c, "abc-ABC!abc/z");
}

TEST(CString, Buffers) {
  CString s("abc");
  char *p = s.GetBuffer(10);
  std::strcpy(p, "0123456789");
  s.ReleaseBuffer();
  EXPECT_STREQ(s, "0123456789");
  p = s.GetBuffer(0);
  p[2] = '\0';
  s.ReleaseBuffer();
  EXPECT_EQ(s.GetLength(), 2);
  p = s.GetBufferSetLength(4);
  std::memcpy(p, "wxyz", 4);
  s.ReleaseBuffer(3);
  EXPECT_STREQ(s, "wxy");
  s.GetBuffer(8);
  s.ReleaseBuffer(99);  // never longer than the buffer
  EXPECT_EQ(s.GetLength(), 8);
}
