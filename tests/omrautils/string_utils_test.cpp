#include "omrautils/string_utils.h"

#include <gtest/gtest.h>

TEST(COmraStringUtils, CleanUnPrintableCharKeepsPrintableAndLineControls) {
  EXPECT_STREQ(COmraStringUtils::CleanUnPrintableChar("a\tb\xe9" "c"), "abc");
  EXPECT_STREQ(COmraStringUtils::CleanUnPrintableChar("l1\r\nl2\fend\x7f"), "l1\r\nl2\fend\x7f");
  EXPECT_STREQ(COmraStringUtils::CleanUnPrintableChar("\x01\x1f\x80\xff"), "");
  EXPECT_STREQ(COmraStringUtils::CleanUnPrintableChar(CString("a\0b", 3)), "ab");
}

TEST(COmraStringUtils, PathConcatonateJoinsWithOneBackslash) {
  CString dir = "C:\\dir\\", file = "file";
  EXPECT_STREQ(COmraStringUtils::PathConcatonate(dir, file), "C:\\dir\\file");
  EXPECT_STREQ(dir, "C:\\dir");  // the caller's first string lost its trailing backslash
  CString empty;
  EXPECT_STREQ(COmraStringUtils::PathConcatonate(empty, "name"), "\\name");
  CString second = "b";
  EXPECT_STREQ(COmraStringUtils::PathConcatonate("SOFTWARE\\", second), "SOFTWARE\\b");
  EXPECT_STREQ(COmraStringUtils::PathConcatonate("a\\\\", "b"), "a\\\\b");  // only one is dropped
}

TEST(COmraStringUtils, StripLastSlashRemovesOneBackslash) {
  CString path = "a\\\\";
  COmraStringUtils::StripLastSlash(path);
  EXPECT_STREQ(path, "a\\");
  CString empty;
  COmraStringUtils::StripLastSlash(empty);
  EXPECT_STREQ(empty, "");
  CString slash = "a/";
  COmraStringUtils::StripLastSlash(slash);
  EXPECT_STREQ(slash, "a/");
}

TEST(COmraStringUtils, GetExecutableFromCommandLine) {
  struct Case {
    const char *line;
    const char *program;
  } cases[] = {
      {"\"C:\\Program Files\\tool.exe\" -a -b", "C:\\Program Files\\tool.exe"},
      {"tool.exe -a", "tool.exe"},
      {"/usr/bin/tool", "/usr/bin/tool"},            // no arguments: the whole line
      {"\"/opt/my tool/run -x", "/opt/my tool/run -x"},  // unclosed quote: to the end
      {"\"\" args", ""},
      {"", ""},
  };
  for (const Case &c : cases) {
    EXPECT_STREQ(COmraStringUtils::GetExecutableFromCommandLine(c.line), c.program) << c.line;
    EXPECT_STREQ(COmraStringUtils::GetExecutableFromCommandLine(CString(c.line)), c.program) << c.line;
  }
}
