// A fixture for tests that read the IPC log: the shared stream is closed around each test, so that
// every test's log file is opened in its own fresh directory.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "transport/log.h"

namespace omra::test {

class IpcLogTest : public testing::Test {
 protected:
  void SetUp() override { trl::ipc_log_close(); }
  void TearDown() override { trl::ipc_log_close(); }
  // What the log holds so far.
  static std::string log_text() {
    if (FILE *log = trl::ipc_log_stream()) std::fflush(log);
    return read_file(trl::ipc_log_name());
  }
};

}  // namespace omra::test
