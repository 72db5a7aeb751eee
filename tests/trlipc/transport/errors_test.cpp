// Last-error stores, the error report and its log entries.
#include "transport/errors.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "pack/memory.h"
#include "test_support.h"
#include "log_helpers.h"
#include "transport/log.h"

namespace {

using omra::test::read_file;

using omra::test::mask_times;

std::string log_text() { return omra::test::ipc_log_text(); }

class ErrorsTest : public testing::Test {
 protected:
  void SetUp() override {
    trl::ipc_log_close();
    trl::ipc_error_store().reset();
    trl::fatal_reset();
  }
  void TearDown() override {
    trl::ipc_log_close();
    trl::ipc_error_store().reset();
  }
};

TEST_F(ErrorsTest, GetBeforeAnySetGivesCodeZeroAndNoText) {
  int code = 99;
  EXPECT_EQ(ipc_getset_last_error(0, &code, nullptr), nullptr);
  EXPECT_EQ(code, 0);
}

TEST_F(ErrorsTest, SetFromTheTableTakesTheFamilyTextOrTheEmptyText) {
  struct Case {
    int code;
    const char *text;
  } cases[] = {{705, "Did not received expected OK packet for multiple packet message."},
               {700, "Previous PACK error caused problems"},
               {723, "Server error."},
               {724, ""},
               {1201, ""},
               {699, ""}};
  for (const Case &c : cases) {
    int code = c.code;
    EXPECT_STREQ(ipc_getset_last_error(1, &code, "ignored"), c.text) << c.code;
    int read = 0;
    EXPECT_STREQ(ipc_getset_last_error(0, &read, nullptr), c.text);
    EXPECT_EQ(read, c.code);
  }
}

TEST_F(ErrorsTest, SetWithATextStoresACopyAndAcceptsItsOwnText) {
  char text[] = "own words";
  int code = 601;
  const char *stored = ipc_getset_last_error(-1, &code, text);
  EXPECT_NE(stored, text);
  text[0] = 'X';
  EXPECT_STREQ(stored, "own words");
  // Handing the stored text back must not read released memory.
  code = 602;
  EXPECT_STREQ(ipc_getset_last_error(-1, &code, ipc_getset_last_error(0, &code, nullptr)), "own words");
  code = 603;
  EXPECT_STREQ(ipc_getset_last_error(-1, &code, nullptr), "");
}

TEST_F(ErrorsTest, FamiliesHaveEveryCodeAndNothingElse) {
  EXPECT_EQ(trl::kIpcErrors.count, 24);
  EXPECT_EQ(trl::kSocketErrors.count, 25);
  EXPECT_EQ(trl::kPipeErrors.count, 10);
  EXPECT_STREQ(trl::kSocketErrors.text(619),
               "Received no data through socket. Most likely the other side has a problem.");
  EXPECT_STREQ(trl::kPipeErrors.text(1109), "Can't peek at pipe.");
  EXPECT_EQ(trl::kPipeErrors.text(1110), nullptr);
}

TEST_F(ErrorsTest, ReportWritesOneEntryAndReturnsReported) {
  errno = 0;
  EXPECT_EQ(trl::ipc_report_error(705), IPC_REPORTED);
  EXPECT_EQ(mask_times(log_text()),
            "====================================================\n"
            "TIME\n"
            "IPC  error\n"
            "        ipcerr = (705) Did not received expected OK packet for multiple packet message.\n"
            "        errno = (0)\n"
            "=====================================================\n");
  int code = 0;
  ipc_getset_last_error(0, &code, nullptr);
  EXPECT_EQ(code, 705);
}

TEST_F(ErrorsTest, PassThroughAndSilentCodes) {
  EXPECT_EQ(trl::ipc_report_error(720), 720);
  EXPECT_EQ(trl::ipc_report_error(1203), 1203);
  int code = 0;
  EXPECT_STREQ(ipc_getset_last_error(0, &code, nullptr), "");
  EXPECT_EQ(code, 1203);
  std::string before = log_text();
  EXPECT_EQ(trl::ipc_report_error(701), 701);
  EXPECT_EQ(trl::ipc_report_error(0), 0);
  EXPECT_EQ(trl::ipc_report_error(IPC_REPORTED), IPC_REPORTED);
  EXPECT_EQ(log_text(), before);
  ipc_getset_last_error(0, &code, nullptr);
  EXPECT_EQ(code, 1203);
  EXPECT_EQ(trl::ipc_report_error(20501), IPC_REPORTED);
  EXPECT_NE(log_text().find("        ipcerr = (20501) Trelio Zentrix received an unknown request message from the "
                            "client.\n"),
            std::string::npos);
  ipc_getset_last_error(0, &code, nullptr);
  EXPECT_EQ(code, 1203);
}

TEST_F(ErrorsTest, ChannelLostIsFatalOncePerProcess) {
  EXPECT_EQ(trl::ipc_report_error(714), IPC_REPORTED);
  EXPECT_EQ(trl::ipc_report_error(714), IPC_REPORTED);
  const std::string message =
      "The server unexpectedly shut down.\n\nSee the client ipc log file or the server ntrx log file for more "
      "information.\n\n";
  EXPECT_EQ(trl::fatal_state().code, 714);
  EXPECT_EQ(std::string(trl::fatal_state().user_message), message);
  EXPECT_EQ(read_file("pardex.log"), message);
  std::string log = log_text();
  size_t first = log.find("ipcerr = (714)");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(log.find("ipcerr = (714)", first + 1), std::string::npos);
}

TEST_F(ErrorsTest, AnUnwritableLogLosesTheEntryButSetsTheStore) {
  ASSERT_EQ(mkdir(trl::ipc_log_name(), 0700), 0);  // a directory where the file would be
  EXPECT_EQ(trl::ipc_report_error(719), IPC_REPORTED);
  int code = 0;
  EXPECT_STREQ(ipc_getset_last_error(0, &code, nullptr), "Cannot reconnect to server.");
  EXPECT_EQ(code, 719);
}

}  // namespace
