#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <regex>
#include <string>

#include "log_fixture.h"
#include "pack/pack_error.h"

using namespace trl;
using omra::test::file_exists;
using omra::test::read_file;

namespace {

class PackErrorTest : public omra::test::IpcLogTest {};

const std::regex kEntry(
    "====================================================\n"
    "[A-Z][a-z][a-z] [A-Z][a-z][a-z] [ 0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9] [0-9]{4}\n"
    "Pack \\( packgen, packxtr, or packbld \\) error\n"
    "        packerr = \\(([0-9]+)\\)  errno = \\(([0-9]+)\\)\n"
    "=====================================================\n");

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
  std::smatch match;
  ASSERT_TRUE(std::regex_match(text, match, kEntry)) << text;
  EXPECT_EQ(match[1], "810");
  EXPECT_EQ(match[2], "2");

  // Entries are appended, and a stream closed in between is opened again for appending.
  ipc_log_close();
  errno = 2;
  EXPECT_EQ(pack_error(PACKERR_OUTSIDE), 1);
  text = log_text();
  ASSERT_EQ(text.size() % 2, 0u);
  std::string first = text.substr(0, text.size() / 2), second = text.substr(text.size() / 2);
  ASSERT_TRUE(std::regex_match(first, match, kEntry)) << text;
  EXPECT_EQ(match[1], "810");
  ASSERT_TRUE(std::regex_match(second, match, kEntry)) << text;
  EXPECT_EQ(match[1], "800");
}

TEST_F(PackErrorTest, UnopenableLogWritesNothingButStillFails) {
  // A directory where the log file should be makes the open fail.
  ASSERT_EQ(mkdir(ipc_log_name(), 0700), 0);
  EXPECT_EQ(pack_error(PACKERR_TYPE), 1);
  EXPECT_EQ(ipc_log_stream(), nullptr);
}
