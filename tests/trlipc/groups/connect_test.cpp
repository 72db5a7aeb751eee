// The connect stubs: login records, the pipe transport with zentrixd as a child, and the version check
// against a real server.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "groups/groups.h"
#include "test_support.h"
#include "transport/channel.h"
#include "transport/log.h"
#include "transport/pipe.h"
#include "trlipc.h"
#include "zentrixd_process.h"

using namespace trl;
using omra::test::read_file;
using omra::test::ZentrixdProcess;

namespace {

rpi_connect_info request(const char *server, const std::string &port) {
  rpi_connect_info info;
  std::memset(&info, 0, sizeof info);
  strx_cpy(info.server, server, sizeof info.server);
  strx_cpy(info.port, port.c_str(), sizeof info.port);
  strx_cpy(info.service, "TEST", sizeof info.service);
  strx_cpy(info.user, "tester", sizeof info.user);
  return info;
}

int last_error() {
  int code = 0;
  ipc_getset_last_error(0, &code, nullptr);
  return code;
}

std::string log_text() {
  if (FILE *log = ipc_log_stream()) std::fflush(log);
  return read_file(ipc_log_name());
}

class ConnectTest : public testing::Test {
 protected:
  void TearDown() override {
    ipc_channels_reset();
    pipe_reset();
  }
};

}  // namespace

TEST_F(ConnectTest, TrlrpiLoginFieldsHoldAtMost49Characters) {
  rpi_connect_info info = request("", "");
  std::memset(info.user, 'u', 50);
  info.user[50] = '\0';
  std::strcpy(info.password, "pw");
  std::memcpy(info.variables, "A=1", 4);
  std::memcpy(info.variables + 50, "B=2", 4);
  info.ipc_server_debug_level = 0x10005;
  info.dispatcher_debug_level = 1;
  rpi_login_record login;
  build_trlrpi_login(info, &login);
  EXPECT_EQ(std::string(login.user, strnlen(login.user, 50)), std::string(49, 'u'));
  EXPECT_EQ(login.user[49], '\0');
  EXPECT_STREQ(login.service, "TEST");
  EXPECT_STREQ(login.password, "pw");
  EXPECT_EQ(login.flags, 5 + 128) << "the low 16 bits of the server debug level, 128 for the dispatcher";
  EXPECT_EQ(std::memcmp(login.variables, info.variables, 500), 0);
}

TEST_F(ConnectTest, DbirpiLoginFieldsKeep50CharactersWithoutTrailingBlanks) {
  rpi_connect_info info = request("", "");
  std::memset(info.user, 'u', 50);
  std::memset(info.path, 'p', 50);
  std::strcpy(info.password, "pw   \t");
  std::memset(info.variables, 'x', sizeof info.variables);
  info.variables[0] = '\0';  // an empty first slot: the whole block goes out as zeros
  rpi_login_record login;
  build_dbirpi_login(info, &login);
  EXPECT_EQ(std::string(login.user, 50), std::string(50, 'u'));
  EXPECT_STREQ(login.password, "pw") << "trailing blanks and tabs removed";
  EXPECT_EQ(std::string(login.path, 50), std::string(49, 'p') + '\0') << "the last field keeps 49";
  for (char c : login.variables) ASSERT_EQ(c, '\0');
}

TEST_F(ConnectTest, PipeSelectorStartsZentrixdAsAChildAndCompletesCalls) {
  rpi_connect_info info = request("", ZENTRIXD_PATH);
  info.protocol_selector = 3;
  int instance = -1;
  char *message = nullptr;
  ASSERT_EQ(trlrpi_connect(&info, &instance, &message), 0) << trlrpi_get_last_error(&instance, nullptr);
  EXPECT_NE(message, nullptr);
  memory_null_no_len(&message);
  EXPECT_EQ(trlrpi_ping(&instance), 0);
  int32_t debug = 0, seltest = 0;
  EXPECT_EQ(trlrpi_init_engine(&instance, &debug, &seltest), 0);
  EXPECT_EQ(trlrpi_disconnect(&instance), 0);
  EXPECT_EQ(dbirpi_find_instance(instance), 0);
}

TEST_F(ConnectTest, PipeServerTextMustBeEmptyOrBeginWithDollar) {
  rpi_connect_info info = request("localhost", ZENTRIXD_PATH);
  info.protocol_selector = 3;
  int instance = -1;
  char *message = nullptr;
  EXPECT_EQ(trlrpi_connect(&info, &instance, &message), 1104);
  EXPECT_EQ(last_error(), 1104);
  EXPECT_EQ(instance, -1) << "no instance value of a closed channel is handed out";
  EXPECT_EQ(message, nullptr);

  info = request("$anything", ZENTRIXD_PATH);
  info.protocol_selector = 3;
  ASSERT_EQ(trlrpi_connect(&info, &instance, &message), 0);
  memory_null_no_len(&message);
  EXPECT_EQ(trlrpi_disconnect(&instance), 0);
}

TEST_F(ConnectTest, A32767ByteMessageCrossesAPipeChannelAsOnePacket) {
  rpi_connect_info info = request("", ZENTRIXD_PATH);
  info.protocol_selector = 3;
  info.ipc_client_debug_level = 1;
  int instance = -1;
  char *message = nullptr;
  ASSERT_EQ(trlrpi_connect(&info, &instance, &message), 0);
  memory_null_no_len(&message);
  // header 11, async flag 1, instance 4, then the text and its zero
  std::string name(32767 - 16 - 1, 'n');
  const char *text = name.c_str();
  // zentrixd answers with the number of characters that arrived.
  EXPECT_EQ(trlrpi_delete_rdf(&instance, &text), static_cast<int>(name.size()));
  EXPECT_EQ(trlrpi_disconnect(&instance), 0);
  std::string log = log_text();
  EXPECT_NE(log.find("Packet length     : 32767\n"), std::string::npos);
  EXPECT_EQ(log.find("Sending a part of packet."), std::string::npos) << "no message was split";
}

TEST_F(ConnectTest, ValidateVersionsGivesEachResultAgainstZentrixd) {
  struct {
    const char *server_version;
    const char *server_level;
    const char *client_version;
    int32_t client_level;
    int expected;
  } cases[] = {
      {"5.1-AC 001", "1", "2.0.1", 1, 0},
      {"5.1-AC 001", "1", "2.0.1", 2, 1},
      {"5.1-AC 001", "1", "1.5", 1, 2},
      {"5.1-AA 001", "1", "2.1", 1, 3},
      {"5.3-AA    ", "1", "2.1", 1, 0},  // the four blanks travel with the text
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.client_version) + " against " + c.server_version);
    ZentrixdProcess server({"--server-version", c.server_version, "--server-level", c.server_level});
    ASSERT_GT(server.port(), 0);
    rpi_connect_info info = request("127.0.0.1", server.service());
    int instance = -1;
    char *message = nullptr;
    ASSERT_EQ(trlrpi_connect(&info, &instance, &message), 0);
    memory_null_no_len(&message);
    dyna_array *in = dyna_construct();
    dyna_array *out = dyna_construct();
    dyna_add_string(in, static_cast<int>(std::strlen(c.client_version)), c.client_version);
    dyna_add_data(in, LW, &c.client_level);
    EXPECT_EQ(trlrpi_validate_versions(&instance, in, out), c.expected);
    ASSERT_EQ(dyna_count(out), 2);
    EXPECT_STREQ(static_cast<const char *>(dyna_get_data(out, 1)), c.server_version);
    dyna_destroy(&in);
    dyna_destroy(&out);
    EXPECT_EQ(trlrpi_disconnect(&instance), 0);
  }
}
