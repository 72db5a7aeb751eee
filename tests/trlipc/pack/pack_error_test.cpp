#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "log_fixture.h"
#include "pack/pack_error.h"

using namespace trl;
using omra::test::file_exists;
using omra::test::read_file;

namespace {

class PackErrorTest : public omra::test::IpcLogTest {};

// Whether text is exactly one pack error entry; its status and errno go to *status and *error.
// (std::regex is avoided: GCC 12 warns inside it under the sanitizers.)
bool is_entry(const std::string &text, int *status, int *error) {
  const std::string top = std::string(52, '=') + "\n", bottom = std::string(53, '=') + "\n";
  const std::string title = "Pack ( packgen, packxtr, or packbld ) error\n";
  if (text.compare(0, top.size(), top) != 0) return false;
  size_t time_end = text.find('\n', top.size());
  if (time_end == std::string::npos || time_end - top.size() != 24) return false;  // "Fri Dec 11 12:34:53 2026"
  size_t at = time_end + 1;
  if (text.compare(at, title.size(), title) != 0) return false;
  at += title.size();
  char tail[64] = {};
  if (std::sscanf(text.c_str() + at, "        packerr = (%d)  errno = (%d)\n%63s", status, error, tail) != 3) return false;
  size_t line_end = text.find('\n', at);
  return line_end != std::string::npos && text.substr(line_end + 1) == bottom;
}

}  // namespace

TEST_F(PackErrorTest, LogNameIsTheProcessIdAsSigned16Bit) {
  std::string expected = "ipc" + std::to_string(static_cast<short>(getpid())) + ".log";
  EXPECT_EQ(ipc_log_name(), expected);
  EXPECT_FALSE(file_exists(expected));
}

TEST_F(PackErrorTest, StatusZeroAndOneWriteNothing) {
  EXPECT_EQ(pack_error(0), 0);
  EXPECT_EQ(pack_error(1), 1);
  EXPECT_FALSE(file_exists(ipc_log_name()));
}

TEST_F(PackErrorTest, OtherStatusWritesOneEntryAndReturnsOne) {
  errno = 2;
  EXPECT_EQ(pack_error(PACKERR_GROUP), 1);
  std::string text = log_text();
  int status = 0, error = 0;
  ASSERT_TRUE(is_entry(text, &status, &error)) << text;
  EXPECT_EQ(status, 810);
  EXPECT_EQ(error, 2);

  // Entries are appended, and a stream closed in between is opened again for appending.
  ipc_log_close();
  errno = 2;
  EXPECT_EQ(pack_error(PACKERR_OUTSIDE), 1);
  text = log_text();
  ASSERT_EQ(text.size() % 2, 0u);
  ASSERT_TRUE(is_entry(text.substr(0, text.size() / 2), &status, &error)) << text;
  EXPECT_EQ(status, 810);
  ASSERT_TRUE(is_entry(text.substr(text.size() / 2), &status, &error)) << text;
  EXPECT_EQ(status, 800);
}

TEST_F(PackErrorTest, UnopenableLogWritesNothingButStillFails) {
  // A directory where the log file should be makes the open fail.
  ASSERT_EQ(mkdir(ipc_log_name(), 0700), 0);
  EXPECT_EQ(pack_error(PACKERR_TYPE), 1);
  EXPECT_EQ(ipc_log_stream(), nullptr);
}
