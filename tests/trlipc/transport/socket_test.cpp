// The socket transport against real sockets on the loopback interface.
#include "transport/socket.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "test_support.h"
#include "transport/errors.h"
#include "transport/log.h"

namespace {

using omra::test::count;
using omra::test::open_descriptors;

using omra::test::read_file;

std::string log_text() {
  if (FILE *log = trl::ipc_log_stream()) std::fflush(log);
  return read_file(trl::ipc_log_name());
}

// A plain listening socket on 127.0.0.1 with a port the system picked.
struct Listener {
  int fd = -1;
  int port = 0;
  Listener() {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    listen(fd, 8);
    port = trl::socket_local_port(fd);
  }
  ~Listener() { close(fd); }
  std::string service() const { return "#" + std::to_string(port); }
};

class SocketTest : public testing::Test {
 protected:
  void SetUp() override {
    trl::ipc_log_close();
    trl::socket_reset();
  }
  void TearDown() override {
    trl::ipc_log_close();
    trl::socket_reset();
  }
  const trl::TransportOps &ops = trl::socket_transport();
};

TEST(ParseDottedAddress, ReadsFourNumbersOrFallsBack) {
  struct Case {
    const char *text;
    int ok;
    const char *address;
  } cases[] = {
      {"127.0.0.1", 1, "127.0.0.1"},     {" \t\r\n10.1.2.3", 1, "10.1.2.3"}, {"1..2.3", 1, "1.0.2.3"},
      {"1.2.3.4.5", 1, "1.2.3.4"},       {"1.2.3.4x", 1, "1.2.3.4"},         {"255.255.255.255", 1, "255.255.255.255"},
      {"1.2.3.256", 0, "0.0.0.0"},       {"1.-2.3.4", 0, "0.0.0.0"},         {"1.2.3", 0, "0.0.0.0"},
      {"localhost", 0, "0.0.0.0"},       {"", 0, "0.0.0.0"},                 {".1.2.3", 0, "0.0.0.0"},
  };
  for (const Case &c : cases) {
    uint32_t address = 99;
    EXPECT_EQ(trl::parse_dotted_address(c.text, &address), c.ok) << c.text;
    char dotted[INET_ADDRSTRLEN];
    in_addr a{address};
    inet_ntop(AF_INET, &a, dotted, sizeof dotted);
    EXPECT_STREQ(dotted, c.address) << c.text;
  }
  std::string long_text = "1.2.3.4" + std::string(100, ' ');
  uint32_t address = 0;
  EXPECT_EQ(trl::parse_dotted_address(long_text.c_str(), &address), 0);
}

TEST_F(SocketTest, ConnectSendReceiveAndShutdownWithoutLeaks) {
  Listener listener;
  int before = open_descriptors();
  std::string service = listener.service();
  trl::tp_endpoint endpoint = -1;
  uint16_t max_length = 32767;
  ASSERT_EQ(ops.tp_connect("127.0.0.1", service.data(), &endpoint, &max_length), 0);
  EXPECT_EQ(max_length, 920);
  int peer = accept(listener.fd, nullptr, nullptr);
  ASSERT_GE(peer, 0);

  unsigned char out[5] = {1, 2, 3, 4, 5};
  ipc_buffer send_buffer{out, 5, 5};
  ASSERT_EQ(ops.tp_send(endpoint, &send_buffer), 0);
  unsigned char got[5] = {};
  ASSERT_EQ(recv(peer, got, 5, MSG_WAITALL), 5);
  EXPECT_EQ(0, memcmp(got, out, 5));

  // Bytes arriving in two pieces are still received exactly.
  std::thread writer([peer] {
    send(peer, "abc", 3, 0);
    usleep(20000);
    send(peer, "defg", 4, 0);
  });
  unsigned char in[7] = {};
  ipc_buffer receive_buffer{in, 7, 7};
  EXPECT_EQ(ops.tp_receive(endpoint, &receive_buffer), 0);
  writer.join();
  EXPECT_EQ(std::string(reinterpret_cast<char *>(in), 7), "abcdefg");

  int waiting = -1;
  EXPECT_EQ(ops.tp_sense(endpoint, &waiting), 0);
  EXPECT_EQ(waiting, -1);  // nothing waiting: the flag is left alone
  send(peer, "z", 1, 0);
  usleep(10000);
  EXPECT_EQ(ops.tp_sense(endpoint, &waiting), 0);
  EXPECT_EQ(waiting, 1);

  EXPECT_EQ(ops.tp_shutdown(endpoint), 0);
  close(peer);
  EXPECT_EQ(open_descriptors(), before);
  EXPECT_FALSE(omra::test::file_exists(trl::ipc_log_name()));  // level 0 and no error: no file
}

TEST_F(SocketTest, BytesReadAheadAreDeliveredInOrderAndSensed) {
  Listener listener;
  std::string service = listener.service();
  trl::tp_endpoint endpoint = -1;
  uint16_t max_length = 0;
  ASSERT_EQ(ops.tp_connect("127.0.0.1", service.data(), &endpoint, &max_length), 0);
  int peer = accept(listener.fd, nullptr, nullptr);
  ASSERT_EQ(send(peer, "headerbody", 10, 0), 10);
  usleep(10000);
  unsigned char head[6] = {}, body[4] = {};
  ipc_buffer first{head, 6, 6}, second{body, 4, 4};
  ASSERT_EQ(ops.tp_receive(endpoint, &first), 0);
  int waiting = 0;
  EXPECT_EQ(ops.tp_sense(endpoint, &waiting), 0);
  EXPECT_EQ(waiting, 1);  // the rest is held by the transport, not by the socket
  ASSERT_EQ(ops.tp_receive(endpoint, &second), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(head), 6) + std::string(reinterpret_cast<char *>(body), 4),
            "headerbody");
  // Nothing of this connection survives into the next one on the same descriptor number.
  ASSERT_EQ(send(peer, "tail", 4, 0), 4);
  usleep(10000);
  unsigned char one = 0;
  ipc_buffer byte{&one, 1, 1};
  ASSERT_EQ(ops.tp_receive(endpoint, &byte), 0);
  EXPECT_EQ(ops.tp_shutdown(endpoint), 0);
  close(peer);
  ASSERT_EQ(ops.tp_connect("127.0.0.1", service.data(), &endpoint, &max_length), 0);
  peer = accept(listener.fd, nullptr, nullptr);
  waiting = 0;
  EXPECT_EQ(ops.tp_sense(endpoint, &waiting), 0);
  EXPECT_EQ(waiting, 0);
  EXPECT_EQ(ops.tp_shutdown(endpoint), 0);
  close(peer);
}

TEST_F(SocketTest, PeerClosingMidReceiveIs619AndSenseSeesTheClose) {
  Listener listener;
  std::string service = listener.service();
  trl::tp_endpoint endpoint = -1;
  uint16_t max_length = 0;
  ASSERT_EQ(ops.tp_connect("127.0.0.1", service.data(), &endpoint, &max_length), 0);
  int peer = accept(listener.fd, nullptr, nullptr);
  send(peer, "ab", 2, 0);
  close(peer);
  int waiting = -1;
  EXPECT_EQ(ops.tp_sense(endpoint, &waiting), 0);
  EXPECT_EQ(waiting, 1);
  unsigned char in[11];
  ipc_buffer header{in, 11, 11};
  EXPECT_EQ(ops.tp_receive(endpoint, &header), IPC_REPORTED);
  int code = 0;
  ops.tp_error_text(0, &code, nullptr);
  EXPECT_EQ(code, 619);
  EXPECT_EQ(ops.tp_sense(endpoint, &waiting), 0);
  EXPECT_EQ(waiting, 0);
  std::string log = log_text();
  EXPECT_EQ(count(log, "IPC SOCKET error\n"), 1);
  EXPECT_NE(log.find("\tipcsocerr = (619) Received no data through socket. Most likely the other side has a "
                     "problem.\n\terrno = ("),
            std::string::npos);
  // A send to a peer that went away fails without killing the process with SIGPIPE.
  unsigned char out[920] = {};
  ipc_buffer big{out, 920, 920};
  int sends = 0;
  while (sends < 100 && ops.tp_send(endpoint, &big) == 0) ++sends;
  EXPECT_LT(sends, 100);
  EXPECT_EQ(ops.tp_shutdown(endpoint), 0);
}

TEST_F(SocketTest, FailedConnectsReportAndLeakNothing) {
  int port;
  {
    Listener closed;  // a port that nobody listens on once this goes
    port = closed.port;
  }
  trl::ipc_log_stream();  // the log's own descriptor is not a leak
  int before = open_descriptors();
  struct Case {
    const char *host;
    std::string service;
    int code;
  } cases[] = {
      {"127.0.0.1", "#" + std::to_string(port), 604},
      {"127.0.0.1", "no-such-service-here", 602},
      {"no-such-host.invalid", "#1", 601},
  };
  for (Case &c : cases) {
    trl::tp_endpoint endpoint = 7;
    uint16_t max_length = 0;
    EXPECT_EQ(ops.tp_connect(c.host, c.service.data(), &endpoint, &max_length), IPC_REPORTED);
    EXPECT_EQ(endpoint, -1);
    int code = 0;
    ops.tp_error_text(0, &code, nullptr);
    EXPECT_EQ(code, c.code) << c.service;
  }
  EXPECT_EQ(open_descriptors(), before);
  EXPECT_EQ(count(log_text(), "IPC SOCKET error\n"), 3);
  EXPECT_NE(log_text().find("\tipcsocerr = (602) Service information not found."), std::string::npos);
}

TEST_F(SocketTest, FiveCharacterServiceOfAFailedConnectIsUpperCased) {
  struct Case {
    const char *service;
    const char *after;
  } cases[] = {{"inetd", "INETD"}, {"abcde", "ABCDE"}, {"abcdef", "abcdef"}};
  for (const Case &c : cases) {
    char service[16];
    snprintf(service, sizeof service, "%s", c.service);
    trl::tp_endpoint endpoint;
    uint16_t max_length;
    EXPECT_EQ(ops.tp_connect("127.0.0.1", service, &endpoint, &max_length), IPC_REPORTED);
    EXPECT_STREQ(service, c.after);
  }
}

TEST_F(SocketTest, ServerSideListenAcceptReserveAndClose) {
  trl::socket_set_server_address(htonl(INADDR_LOOPBACK));
  trl::ipc_log_stream();
  int before = open_descriptors();
  char service[] = "#0";
  trl::tp_endpoint listening = -1;
  uint16_t max_length = 0;
  ASSERT_EQ(ops.tp_listen(service, &listening, &max_length), 0);
  EXPECT_EQ(max_length, 920);
  int port = trl::socket_local_port(listening);
  ASSERT_GT(port, 0);

  std::string client_service = "#" + std::to_string(port);
  trl::tp_endpoint client = -1;
  ASSERT_EQ(ops.tp_connect("127.0.0.1", client_service.data(), &client, &max_length), 0);
  trl::tp_endpoint accepted = -1;
  ASSERT_EQ(ops.tp_accept(listening, &accepted), 0);
  unsigned char byte = 42;
  ipc_buffer one{&byte, 1, 1};
  ASSERT_EQ(ops.tp_send(accepted, &one), 0);
  unsigned char got = 0;
  ipc_buffer in{&got, 1, 1};
  ASSERT_EQ(ops.tp_receive(client, &in), 0);
  EXPECT_EQ(got, 42);
  EXPECT_EQ(ops.tp_shutdown(client), 0);
  EXPECT_EQ(ops.tp_shutdown(accepted), 0);

  char text[12] = {};
  ASSERT_EQ(ops.tp_reserve_port(text), 0);
  int reserved = atoi(text);
  EXPECT_GE(reserved, 1100);
  char next[12] = {};
  ASSERT_EQ(ops.tp_reserve_port(next), 0);
  EXPECT_GT(atoi(next), reserved);

  char inetd[] = "inetd";
  trl::tp_endpoint super = -1;
  EXPECT_EQ(ops.tp_listen(inetd, &super, &max_length), 0);
  EXPECT_EQ(super, 1);
  EXPECT_STREQ(inetd, "inetd");  // compared on a copy

  EXPECT_EQ(ops.tp_close(listening), 0);
  EXPECT_EQ(open_descriptors(), before);
  char unknown[] = "no-such-service-here";
  EXPECT_EQ(ops.tp_listen(unknown, &listening, &max_length), IPC_REPORTED);
  EXPECT_EQ(open_descriptors(), before);
}

}  // namespace
