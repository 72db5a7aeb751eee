// The pipe transport against real child processes.
#include "transport/pipe.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "transport/errors.h"
#include "transport/log.h"

using namespace trl;
using omra::test::read_file;

namespace {

using omra::test::count;
using omra::test::open_descriptors;

const TransportOps &ops = pipe_transport();

int last_pipe_error() {
  int code = 0;
  ops.tp_error_text(0, &code, nullptr);
  return code;
}

// A script in the current directory; children run it with the arguments the transport gives them.
std::string script(const std::string &name, const std::string &body) {
  std::string path = omra::test::temp_dir() + "/" + name;
  std::ofstream(path) << "#!/bin/bash\n" << body << "\n";
  chmod(path.c_str(), 0755);
  return path;
}

// Copies what it reads from the pipe it was given back into the other pipe.
std::string echo_program() {
  return script("echo_child.sh", "h=$2; r=$((16#${h%/*})); w=$((16#${h#*/})); exec cat <&$r >&$w");
}

int connect(const std::string &program, const char *host = "") {
  tp_endpoint endpoint = -1;
  uint16_t max = 32767;
  std::string copy = program;
  int result = ops.tp_connect(host, copy.data(), &endpoint, &max);
  EXPECT_EQ(max, 32767) << "a pipe channel keeps its packet length";
  return result == 0 ? endpoint : result;
}

class PipeTest : public testing::Test {
 protected:
  void TearDown() override { pipe_reset(); }
};

}  // namespace

TEST_F(PipeTest, ClientsTakeTheHighestFreeSlot) {
  EXPECT_EQ(connect("/bin/true"), 128);
  EXPECT_EQ(connect("/bin/true"), 127);
  EXPECT_EQ(ops.tp_shutdown(128), 0);
  EXPECT_EQ(connect("/bin/true"), 128);
  EXPECT_EQ(connect("/bin/true", "$host"), 126) << "a host beginning with $ is allowed";
}

TEST_F(PipeTest, AllSlotsInUseFailsWith1104AndEndpoint0) {
  int before = open_descriptors();
  for (int slot = 128; slot >= 1; --slot) ASSERT_EQ(connect("/bin/true"), slot);
  tp_endpoint endpoint = -1;
  uint16_t max = 32767;
  char program[] = "/bin/true";
  EXPECT_EQ(ops.tp_connect("", program, &endpoint, &max), IPC_REPORTED);
  EXPECT_EQ(endpoint, 0);
  EXPECT_EQ(last_pipe_error(), 1104);
  pipe_reset();
  EXPECT_EQ(open_descriptors(), before) << "closing the slots releases every descriptor";
}

TEST_F(PipeTest, HostTextNotBeginningWithDollarFailsWith1104) {
  tp_endpoint endpoint = -1;
  uint16_t max = 32767;
  char program[] = "/bin/true";
  EXPECT_EQ(ops.tp_connect("localhost", program, &endpoint, &max), IPC_REPORTED);
  EXPECT_EQ(last_pipe_error(), 1104);
  int r = 0, w = 0;
  pipe_slot_handles(128, &r, &w);
  EXPECT_EQ(r, -1) << "the slot stays free";
  std::string log = read_file(ipc_log_name());
  EXPECT_EQ(count(log, "IPC PIPE error\n"), 1);
  EXPECT_NE(log.find("        ipcwpipeerr = (1104) Can't connect to named pipe.\n"), std::string::npos) << log;
}

TEST_F(PipeTest, ShutdownChecksTheSlotNumber) {
  EXPECT_EQ(ops.tp_shutdown(0), IPC_REPORTED);
  EXPECT_EQ(last_pipe_error(), 1105);
  EXPECT_EQ(ops.tp_shutdown(129), IPC_REPORTED);
  EXPECT_EQ(last_pipe_error(), 1105);
  EXPECT_EQ(ops.tp_shutdown(5), 0) << "closing a free slot in range succeeds";
  ipc_buffer empty = {nullptr, 0, 0};
  int32_t flag = -1;
  EXPECT_EQ(ops.tp_send(5, &empty), IPC_REPORTED) << "a free slot has no handles";
  EXPECT_EQ(ops.tp_receive(5, &empty), IPC_REPORTED);
  EXPECT_EQ(ops.tp_sense(5, &flag), IPC_REPORTED);
  EXPECT_EQ(last_pipe_error(), 1105);
  EXPECT_EQ(count(read_file(ipc_log_name()), "IPC PIPE error\n"), 5);
}

TEST_F(PipeTest, TheChildGetsTheMarkerAndItsTwoHandles) {
  std::string program = script("args_child.sh", "printf '%s\\n' \"$@\" > \"$0.args\"");
  ASSERT_EQ(connect(program), 128);
  // "\"<program>\" WPIPE rrrrrrrr/wwwwwwww"
  const std::string &line = pipe_last_command_line();
  const std::string prefix = "\"" + program + "\" WPIPE ";
  ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
  std::string handles = line.substr(prefix.size());
  ASSERT_EQ(handles.size(), 17u) << line;
  EXPECT_EQ(handles[8], '/');
  EXPECT_EQ(handles.find_first_not_of("0123456789abcdef/"), std::string::npos) << line;
  std::string args;
  for (int i = 0; i < 200 && args.empty(); ++i) {  // bounded: about 2 seconds
    usleep(10000);
    args = read_file(program + ".args");
  }
  EXPECT_EQ(args, "WPIPE\n" + handles + "\n");
}

TEST_F(PipeTest, BytesGoThereAndBackThroughAChild) {
  int slot = connect(echo_program());
  ASSERT_EQ(slot, 128);
  std::vector<unsigned char> out(32767), in(32767);
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<unsigned char>(i * 7);
  ipc_buffer send = {out.data(), 32767, 0};
  ipc_buffer receive = {in.data(), 32767, 0};
  ASSERT_EQ(ops.tp_send(slot, &send), 0);
  ASSERT_EQ(ops.tp_receive(slot, &receive), 0);
  EXPECT_EQ(in, out);

  int32_t flag = -1;
  EXPECT_EQ(ops.tp_sense(slot, &flag), 0);
  EXPECT_EQ(flag, 0);
  unsigned char byte = 42;
  ipc_buffer one = {&byte, 1, 0};
  ASSERT_EQ(ops.tp_send(slot, &one), 0);
  for (int i = 0; i < 100 && flag != 1; ++i) ASSERT_EQ(ops.tp_sense(slot, &flag), 0);  // 20 ms each
  EXPECT_EQ(flag, 1);
}

TEST_F(PipeTest, AWriterThatIsGoneEndsTheReceiveWith1108) {
  int slot = connect("/bin/true");
  ASSERT_EQ(slot, 128);
  unsigned char bytes[11];
  ipc_buffer header = {bytes, 11, 0};
  EXPECT_EQ(ops.tp_receive(slot, &header), IPC_REPORTED);
  EXPECT_EQ(last_pipe_error(), 1108);
}

TEST_F(PipeTest, AReaderThatIsGoneFailsTheSendWithoutASignal) {
  int slot = connect("/bin/true");
  ASSERT_EQ(slot, 128);
  // Wait until the child has ended: its end of the reply pipe then reads as closed.
  unsigned char byte = 0;
  ipc_buffer one = {&byte, 1, 0};
  ASSERT_EQ(ops.tp_receive(slot, &one), IPC_REPORTED);
  std::vector<unsigned char> data(1000, 1);
  ipc_buffer send = {data.data(), 1000, 0};
  EXPECT_EQ(ops.tp_send(slot, &send), IPC_REPORTED);
  EXPECT_EQ(last_pipe_error(), 1106);
}

TEST_F(PipeTest, AProgramThatCannotStartFailsWith1102AndLeavesNothingOpen) {
  int before = open_descriptors();
  tp_endpoint endpoint = -1;
  uint16_t max = 32767;
  char program[] = "/nonexistent/zentrixd";
  EXPECT_EQ(ops.tp_connect("", program, &endpoint, &max), IPC_REPORTED);
  EXPECT_EQ(endpoint, 128);
  EXPECT_EQ(last_pipe_error(), 1102);
  EXPECT_EQ(open_descriptors(), before);
  int r = 0, w = 0;
  pipe_slot_handles(128, &r, &w);
  EXPECT_EQ(r, -1);
  EXPECT_EQ(w, -1);
  std::string log = read_file(ipc_log_name());
  EXPECT_NE(log.find("        ipcwpipeerr = (1102) Can't create server process.\n"), std::string::npos) << log;
  EXPECT_NE(log.find("        errno = (2) No such file or directory\n"), std::string::npos) << log;
}

TEST_F(PipeTest, ListenAdoptsTheHandlesAsSlot1) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  char text[40];
  std::snprintf(text, sizeof text, "%08lx/%08lx", static_cast<unsigned long>(fds[0]),
                static_cast<unsigned long>(fds[1]));
  tp_endpoint endpoint = 0;
  uint16_t max = 32767;
  ASSERT_EQ(ops.tp_listen(text, &endpoint, &max), 0);
  EXPECT_EQ(endpoint, 1);
  int r = 0, w = 0;
  pipe_slot_handles(1, &r, &w);
  EXPECT_EQ(r, fds[0]);
  EXPECT_EQ(w, fds[1]);
  EXPECT_EQ(ops.tp_listen(text, &endpoint, &max), IPC_REPORTED) << "slot 1 is taken";
  EXPECT_EQ(last_pipe_error(), 1104);

  // What goes into the write handle comes out of the read handle.
  unsigned char out[3] = {1, 2, 3}, in[3] = {};
  ipc_buffer send = {out, 3, 0}, receive = {in, 3, 0};
  ASSERT_EQ(ops.tp_send(1, &send), 0);
  ASSERT_EQ(ops.tp_receive(1, &receive), 0);
  EXPECT_EQ(in[2], 3);
  EXPECT_EQ(ops.tp_close(1), 0);
  pipe_slot_handles(1, &r, &w);
  EXPECT_EQ(r, -1);
}

TEST_F(PipeTest, ListenRejectsUnreadableHandleTexts) {
  tp_endpoint endpoint = 0;
  uint16_t max = 32767;
  for (const char *text : {"", "12", "zz/zz", "7fffff00/7fffff01", "ffffffffffff/3"}) {
    std::string copy = text;
    EXPECT_EQ(ops.tp_listen(copy.data(), &endpoint, &max), IPC_REPORTED) << text;
    EXPECT_EQ(last_pipe_error(), 1103) << text;
  }
  EXPECT_EQ(ops.tp_listen(nullptr, &endpoint, &max), IPC_REPORTED);
}

TEST_F(PipeTest, TheReportSetsTheStoreOnlyWhenItWritesItsEntry) {
  EXPECT_EQ(pipe_report(0), 0);
  EXPECT_EQ(pipe_report(IPC_REPORTED), IPC_REPORTED);
  EXPECT_FALSE(omra::test::file_exists(ipc_log_name())) << "0 and -32766 write nothing";

  ASSERT_EQ(mkdir(ipc_log_name(), 0700), 0);  // the log cannot be opened
  EXPECT_EQ(pipe_report(1107), IPC_REPORTED);
  EXPECT_EQ(last_pipe_error(), 0);
  ASSERT_EQ(rmdir(ipc_log_name()), 0);

  errno = 0;
  EXPECT_EQ(pipe_report(1107), IPC_REPORTED);
  int code = 0;
  EXPECT_STREQ(ops.tp_error_text(0, &code, nullptr), "Failed to send correct amount of info through the pipe.");
  EXPECT_EQ(code, 1107);
  const std::string expected_tail =
      "IPC PIPE error\n"
      "        ipcwpipeerr = (1107) Failed to send correct amount of info through the pipe.\n"
      "        errno = (0) \n"
      "====================================================\n";
  std::string log = read_file(ipc_log_name());
  EXPECT_EQ(log.rfind("====================================================\n", 0), 0u) << log;
  ASSERT_GE(log.size(), expected_tail.size());
  EXPECT_EQ(log.substr(log.size() - expected_tail.size()), expected_tail) << log;
}
