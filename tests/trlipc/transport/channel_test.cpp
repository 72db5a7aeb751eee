// Channel lifecycle failures that need no server, and the local call of a served request.
#include "transport/channel.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "groups/groups.h"
#include "log_helpers.h"
#include "pack/descriptors.h"
#include "transport/errors.h"
#include "transport/exchange.h"
#include "transport/log.h"
#include "transport/socket.h"

namespace {

using omra::test::ipc_log_text;
using omra::test::occurrences;

class ChannelTest : public testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  static void reset() {
    trl::ipc_channels_reset();
    trl::ipc_log_close();
    trl::ipc_error_store().reset();
    trl::socket_reset();
    trl::rpi_registry_reset();
    trl::ipc_set_dump_levels(0);
  }
  int connect(int group, int protocol, const char *service_text, const rpi_group *table) {
    rpi_login_record login{};
    char service[32];
    std::snprintf(service, sizeof service, "%s", service_text);
    char *message = reinterpret_cast<char *>(1);
    int rc = ipc_connect("127.0.0.1", service, &login, group, protocol, 0, const_cast<rpi_group *>(table),
                         &instance_, &message);
    EXPECT_EQ(message, nullptr);
    return rc;
  }
  int instance_ = 99;
};

std::string closed_port_service() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
  int port = trl::socket_local_port(fd);
  close(fd);
  return "#" + std::to_string(port);
}

TEST_F(ChannelTest, GroupWithoutTableAndUnknownProtocol) {
  EXPECT_EQ(connect(2, 0, "#1", nullptr), IPC_REPORTED);
  int code = 0;
  ipc_getset_last_error(0, &code, nullptr);
  EXPECT_EQ(code, 700);
  EXPECT_EQ(instance_, -1);
  EXPECT_EQ(connect(2, 7, "#1", trl::trlrpi_group()), IPC_REPORTED);
  ipc_getset_last_error(0, &code, nullptr);
  EXPECT_EQ(code, 702);
  EXPECT_EQ(instance_, -1);
  EXPECT_EQ(dbirpi_find_instance(0), 0);
}

TEST_F(ChannelTest, FailedTransportConnectKeepsTheSlotAndTakesAConnectionId) {
  EXPECT_EQ(connect(2, 7, "#1", trl::trlrpi_group()), IPC_REPORTED);  // connection ID 1
  std::string service = closed_port_service();
  EXPECT_EQ(connect(2, 0, service.c_str(), trl::trlrpi_group()), 604);
  int code = 0;
  const char *text = ipc_getset_last_error(0, &code, nullptr);
  EXPECT_EQ(code, 604);
  EXPECT_STREQ(text, trl::kSocketErrors.text(604));
  ASSERT_EQ(instance_, 0);
  EXPECT_EQ(dbirpi_find_instance(instance_), 1);
  trl::ipc_channel *c = nullptr;
  ASSERT_EQ(trl::ipc_find_channel(instance_, &c), 0);
  EXPECT_EQ(c->connection_id, 2);
  EXPECT_EQ(c->max_packet_length, 920);  // set when the socket was tuned, before the connect failed
  ipc_diskumbobulate(instance_);
  EXPECT_EQ(dbirpi_find_instance(instance_), 0);
  EXPECT_EQ(ipc_diskumbobulate(instance_), 704);
  EXPECT_EQ(ipc_disconnect(instance_, 1), IPC_REPORTED);
  ipc_getset_last_error(0, &code, nullptr);
  EXPECT_EQ(code, 704);
}

int32_t g_called_with = 0;
int32_t local_function(int32_t *value) {
  g_called_with = *value;
  return 17;
}

const rpi_arg kOneIn[] = {{LW, 0, RPI_IN}};
const rpi_function kFunctions[] = {{0, nullptr, nullptr}, {1, kOneIn, reinterpret_cast<rpi_proc>(local_function)}};
const rpi_group kTestGroup = {"TEST", 4, 2, kFunctions, 0, nullptr};

TEST_F(ChannelTest, LocalCallShowsConnectionIdMinusOneAndNeverPassesNullArguments) {
  trl::rpi_register_group(&kTestGroup);
  trl::ipc_channel channel{};
  channel.connection_id = 8;
  channel.group = 4;
  channel.ops = &trl::socket_transport();
  trl::ipc_dump_setup(&channel, 1);

  int32_t value = 5;
  void *slots[21] = {&value};
  int32_t status = 0;
  EXPECT_EQ(trl::ipc_call_local(&channel, 1, &status, slots), 0);
  EXPECT_EQ(status, 17);
  EXPECT_EQ(g_called_with, 5);
  std::string log = ipc_log_text();
  EXPECT_EQ(occurrences(log, "\t\t\tConnection ID #(-1)\nAbout to call an RPI function.\n  MESSAGE # (1)\n"), 1);

  // The library unpacks no request arguments: a function would get null addresses, so it is not called.
  void *empty[21] = {};
  g_called_with = 0;
  EXPECT_EQ(trl::ipc_call_local(&channel, 1, &status, empty), 0);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(g_called_with, 0);
  EXPECT_EQ(occurrences(ipc_log_text(), "ipcerr = (20501)"), 1);
  EXPECT_EQ(trl::ipc_call_local(&channel, 0, &status, slots), 0);  // an empty entry
  EXPECT_EQ(status, -1);
}

TEST_F(ChannelTest, LatestConnectDecidesTheDumpLevel) {
  trl::ipc_channel a{};
  a.connection_id = 1;
  trl::ipc_dump_setup(&a, 2);
  trl::ipc_dump_event(trl::EV_CONNECTING, &a, 0);
  std::string before = ipc_log_text();
  EXPECT_EQ(occurrences(before, "Attempting connection to the server.\n"), 1);
  trl::ipc_channel b{};
  b.connection_id = 2;
  trl::ipc_dump_setup(&b, 0);
  EXPECT_EQ(b.dump_hook, nullptr);
  trl::ipc_dump_event(trl::EV_CONNECTING, &a, 0);
  trl::socket_dump_event(trl::SEV_SOCKET, -1, 0);
  EXPECT_EQ(ipc_log_text(), before);
}

}  // namespace
