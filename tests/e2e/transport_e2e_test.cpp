// The runtime against a real zentrixd process: login, reconnect, remote calls, long messages, resends,
// faults of the server, error entries and debug dumps.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "groups/groups.h"
#include "pack/descriptors.h"
#include "pack/memory.h"
#include "test_support.h"
#include "transport/channel.h"
#include "transport/errors.h"
#include "transport/log.h"
#include "transport/socket.h"
#include "trlipc.h"
#include "log_helpers.h"
#include "zentrixd_process.h"

namespace {

using omra::test::count;
using omra::test::open_descriptors;

using omra::test::read_file;
using omra::test::ZentrixdProcess;

constexpr int kPing = 22;
constexpr int kInitEngine = 20;
constexpr int kGetServerError = 27;
constexpr int kDeleteRdf = 36;
constexpr char kPassword[] = "s3cr3t-pw";

rpi_login_record login_record(const char *service, const char *user, const char *password) {
  rpi_login_record r{};
  std::snprintf(r.service, sizeof r.service, "%s", service);
  std::snprintf(r.user, sizeof r.user, "%s", user);
  std::snprintf(r.password, sizeof r.password, "%s", password);
  std::snprintf(r.path, sizeof r.path, "%s", "/dict");
  return r;
}

int last_error(std::string *text = nullptr) {
  int code = 0;
  const char *t = ipc_getset_last_error(0, &code, nullptr);
  if (text) *text = t ? t : "(none)";
  return code;
}

class E2E : public testing::Test {
 protected:
  void SetUp() override {
    trl::ipc_log_close();
    trl::ipc_channels_reset();
    trl::ipc_error_store().reset();
    trl::socket_reset();
    trl::fatal_reset();
    trl::ipc_set_reconnect_delay_ms(0);
    trl::ipc_set_dump_levels(0);
  }
  void TearDown() override {
    trl::ipc_channels_reset();
    trl::ipc_log_close();
    trl::ipc_error_store().reset();
    trl::socket_reset();
  }

  // Connects to server as trl/alice with kPassword.
  int connect(const ZentrixdProcess &server, int *instance, int debug_level = 0, const char *password = kPassword) {
    rpi_login_record login = login_record("trl", "alice", password);
    std::string service = server.service();
    char *message = nullptr;
    int rc = ipc_connect("127.0.0.1", service.data(), &login, 2, 0, debug_level,
                         const_cast<rpi_group *>(trl::trlrpi_group()), instance, &message);
    server_message_ = message ? message : "";
    memory_null_no_len(&message);
    return rc;
  }

  static std::string log_text() {
    if (FILE *log = trl::ipc_log_stream()) std::fflush(log);
    return read_file(trl::ipc_log_name());
  }

  std::string server_message_;
};

std::vector<std::string> account_options() { return {"--account", std::string("trl:alice:") + kPassword}; }

TEST_F(E2E, LoginPingStopAndDisconnectWithReuseOfTheInstance) {
  ZentrixdProcess server(account_options());
  ASSERT_GT(server.port(), 0);
  int instance = -1;
  ASSERT_EQ(connect(server, &instance), 0);
  EXPECT_EQ(instance, 0);
  EXPECT_EQ(server_message_, "Welcome to the simulated Zentrix server, alice.");
  EXPECT_EQ(dbirpi_find_instance(instance), 1);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), 0);
  {
    trl::ipc_channel *c = nullptr;
    ASSERT_EQ(trl::ipc_find_channel(instance, &c), 0);
    EXPECT_EQ(c->max_packet_length, 920);
    EXPECT_EQ(c->connection_id, 1);
    EXPECT_EQ(c->message_counter, 3);  // login 1, ping 2
  }
  EXPECT_EQ(ipc_disconnect(instance, 1), 0);
  EXPECT_EQ(dbirpi_find_instance(instance), 0);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), IPC_REPORTED);
  EXPECT_EQ(last_error(), 704);

  int again = -1;
  ASSERT_EQ(connect(server, &again), 0);
  EXPECT_EQ(again, instance);
  int second = -1;
  ASSERT_EQ(connect(server, &second), 0);
  EXPECT_EQ(second, 1);
  trl::ipc_channel *a = nullptr, *b = nullptr;
  ASSERT_EQ(trl::ipc_find_channel(again, &a), 0);
  ASSERT_EQ(trl::ipc_find_channel(second, &b), 0);
  EXPECT_EQ(a->connection_id, 2);
  EXPECT_EQ(b->connection_id, 3);
  EXPECT_EQ(ipc_request(second, kPing, &second), 0);
  EXPECT_EQ(ipc_disconnect(again, 1), 0);
  EXPECT_EQ(ipc_disconnect(second, 1), 0);
  EXPECT_EQ(ipc_diskumbobulate(-1), 703);
  EXPECT_EQ(ipc_diskumbobulate(second), 704);
  EXPECT_EQ(ipc_request(7, kPing, &second), IPC_REPORTED);
  EXPECT_EQ(last_error(), 703);
  EXPECT_EQ(server.stop(), 0);
}

TEST_F(E2E, LevelZeroWritesNothingAndNoDescriptorLeaks) {
  ZentrixdProcess server(account_options());
  int before = open_descriptors();
  for (int i = 0; i < 5; ++i) {
    int instance = -1;
    ASSERT_EQ(connect(server, &instance), 0);
    ASSERT_EQ(ipc_request(instance, kPing, &instance), 0);
    ASSERT_EQ(ipc_disconnect(instance, 1), 0);
  }
  EXPECT_EQ(open_descriptors(), before);
  EXPECT_FALSE(omra::test::file_exists(trl::ipc_log_name()));
}

TEST_F(E2E, RemoteCallsWithInAndOutArguments) {
  ZentrixdProcess server({"--server-error", "42:abc"});
  int instance = -1;
  ASSERT_EQ(connect(server, &instance), 0);
  int32_t debug = 1, seltest = 0, bad = -1;
  EXPECT_EQ(ipc_request(instance, kInitEngine, &instance, &debug, &seltest), 0);
  EXPECT_EQ(ipc_request(instance, kInitEngine, &instance, &bad, &seltest), 1);
  int32_t code = 0;
  char *text = nullptr;
  EXPECT_EQ(ipc_request(instance, kGetServerError, &instance, &code, &text), 0);
  EXPECT_EQ(code, 42);
  EXPECT_STREQ(text, "abc");
  memory_null_no_len(&text);
  EXPECT_EQ(ipc_disconnect(instance, 1), 0);
}

TEST_F(E2E, LongRequestTravelsInThreePacketsWithTwoAcknowledgments) {
  ZentrixdProcess server({"--log"});
  int instance = -1;
  ASSERT_EQ(connect(server, &instance, 1), 0);
  // 11 header + 1 async flag + 4 instance + 1983 characters and the terminator = 2000 bytes.
  std::string name(1983, 'n');
  char *text = name.data();
  EXPECT_EQ(ipc_request(instance, kDeleteRdf, &instance, &text), 1983);
  // The exact-fit and one-byte-over cases.
  std::string fits(920 - 17, 'f');
  text = fits.data();
  EXPECT_EQ(ipc_request(instance, kDeleteRdf, &instance, &text), 903);
  std::string over(920 - 16, 'o');
  text = over.data();
  EXPECT_EQ(ipc_request(instance, kDeleteRdf, &instance, &text), 904);
  EXPECT_EQ(ipc_disconnect(instance, 1), 0);
  server.stop();
  const std::string &log = server.log();
  EXPECT_EQ(count(log, "recv group 2 message 36 sequence 2 packet 2 length 920 "), 1) << log;
  EXPECT_EQ(count(log, "recv group 2 message 36 sequence 2 packet 1 length 920 "), 1);
  EXPECT_EQ(count(log, "recv group 2 message 36 sequence 2 packet 0 length 182 "), 1);
  EXPECT_EQ(count(log, "recv group 2 message 36 sequence 3 packet 0 length 920 "), 1);
  EXPECT_EQ(count(log, "recv group 2 message 36 sequence 4 packet 1 length 920 "), 1);
  EXPECT_EQ(count(log, "recv group 2 message 36 sequence 4 packet 0 length 12 "), 1);
  EXPECT_EQ(count(log, "send group 2 message 2 "), 3);
  std::string client = log_text();
  EXPECT_EQ(count(client, "Sending a part of packet.\n"), 3);
  EXPECT_EQ(count(client, "\t\t\tSocket ID #("), count(client, "Socket Event (ipcdmpso)"));
}

TEST_F(E2E, MultiPacketReplyIsAcknowledgedAndJoined) {
  ZentrixdProcess server({"--scenario", "reply-size=3000", "--log"});
  int instance = -1;
  ASSERT_EQ(connect(server, &instance), 0);
  int32_t code = -1;
  char *text = nullptr;
  EXPECT_EQ(ipc_request(instance, kGetServerError, &instance, &code, &text), 0);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::strlen(text), 2980u);
  EXPECT_EQ(code, 0);
  memory_null_no_len(&text);
  // Acknowledgments take the numbers after the request's: 3, 4, 5; the next request 6.
  trl::ipc_channel *c = nullptr;
  ASSERT_EQ(trl::ipc_find_channel(instance, &c), 0);
  EXPECT_EQ(c->message_counter, 6);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), 0);
  EXPECT_EQ(ipc_disconnect(instance, 1), 0);
  server.stop();
  EXPECT_EQ(count(server.log(), "recv group 2 message 2 sequence 3 "), 1) << server.log();
  EXPECT_EQ(count(server.log(), "recv group 2 message 2 sequence 5 "), 1);
  EXPECT_EQ(count(server.log(), "recv group 2 message 22 sequence 6 "), 1);
}

TEST_F(E2E, ReconnectToTheNamedPortAndDigitsWithoutHashAreIgnored) {
  {
    ZentrixdProcess server({"--reconnect", "on", "--log"});
    int instance = -1;
    ASSERT_EQ(connect(server, &instance, 1), 0);
    EXPECT_EQ(ipc_request(instance, kPing, &instance), 0);
    EXPECT_EQ(ipc_disconnect(instance, 1), 0);
    std::string log = log_text();
    EXPECT_EQ(count(log, "Connection attained.\n"), 2);
    EXPECT_EQ(count(log, "Attempting to disconnect from the server.\n"), 2);
    const std::string asking = "Asking for information about the service '";
    size_t first = log.find(asking);
    ASSERT_NE(first, std::string::npos);
    size_t second = log.find(asking, first + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(log.substr(first + asking.size(), server.service().size() + 1), server.service() + "'");
    EXPECT_EQ(log[second + asking.size()], '#');
    EXPECT_NE(log.substr(second + asking.size(), server.service().size() + 1), server.service() + "'");
  }
  {
    ZentrixdProcess server({"--scenario", "reconnect-text=5001"});
    int before = count(log_text(), "Connection attained.\n");
    int instance = -1;
    ASSERT_EQ(connect(server, &instance, 1), 0);
    EXPECT_EQ(ipc_request(instance, kPing, &instance), 0);
    EXPECT_EQ(ipc_disconnect(instance, 1), 0);
    EXPECT_EQ(count(log_text(), "Connection attained.\n"), before + 1);
  }
}

TEST_F(E2E, ReconnectThatFindsNobodyGivesUpAfter47Attempts) {
  // A reconnect text naming a port nobody listens on.
  int closed_port;
  {
    ZentrixdProcess probe;
    closed_port = probe.port();
  }
  ZentrixdProcess server({"--scenario", "reconnect-text=#" + std::to_string(closed_port)});
  int instance = -1;
  EXPECT_EQ(connect(server, &instance), IPC_REPORTED);
  EXPECT_EQ(last_error(), 719);
  std::string log = log_text();
  EXPECT_EQ(count(log, "\tipcsocerr = (604) "), 47);
  EXPECT_EQ(dbirpi_find_instance(0), 0);
}

TEST_F(E2E, RefusedLoginsAndThePassThroughOf701) {
  ZentrixdProcess server(account_options());
  int instance = -1;
  EXPECT_EQ(connect(server, &instance, 0, "wrong"), 1203);
  EXPECT_EQ(server_message_, "Login refused: wrong password for user alice.");
  std::string text;
  EXPECT_EQ(last_error(&text), 1203);
  EXPECT_EQ(text, "");
  EXPECT_EQ(dbirpi_find_instance(instance), 0);
  EXPECT_EQ(ipc_diskumbobulate(instance), 704);

  ZentrixdProcess stopped({"--scenario", "refuse-login=701"});
  int code = 705;
  ipc_getset_last_error(1, &code, nullptr);
  std::string before = log_text();
  EXPECT_EQ(connect(stopped, &instance), 701);
  EXPECT_EQ(last_error(), 705);
  EXPECT_EQ(log_text(), before);
}

TEST_F(E2E, ResendRequestedByTheServerBeforeThisSideAsked) {
  ZentrixdProcess server({"--scenario", "resend-first"});
  int instance = -1;
  ASSERT_EQ(connect(server, &instance), 0);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), 0);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), 0);
  EXPECT_EQ(ipc_disconnect(instance, 1), 0);
}

struct FaultCase {
  const char *scenario;
  int message;
  int result;
  int last_error;
};

class ServerFaults : public E2E, public testing::WithParamInterface<FaultCase> {};

TEST_P(ServerFaults, EndTheCallWithTheirCode) {
  const FaultCase &f = GetParam();
  ZentrixdProcess server({"--scenario", f.scenario});
  int instance = -1;
  ASSERT_EQ(connect(server, &instance), 0);
  int32_t code = 0;
  char *text = nullptr;
  std::string long_name(3000, 'n');
  char *name = long_name.data();
  int rc = f.message == kPing        ? ipc_request(instance, kPing, &instance)
           : f.message == kDeleteRdf ? ipc_request(instance, kDeleteRdf, &instance, &name)
                                     : ipc_request(instance, kGetServerError, &instance, &code, &text);
  EXPECT_EQ(rc, f.result);
  EXPECT_EQ(last_error(), f.last_error);
  EXPECT_EQ(text, nullptr);  // out arguments untouched
  ipc_diskumbobulate(instance);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ServerFaults,
                         testing::Values(FaultCase{"bad-header-then-resend", kPing, IPC_REPORTED, 708},
                                         FaultCase{"out-of-sequence", kGetServerError, IPC_REPORTED, 709},
                                         FaultCase{"wrong-group", kPing, IPC_REPORTED, 710},
                                         FaultCase{"garbage-headers", kPing, IPC_REPORTED, 706},
                                         FaultCase{"wrong-ack", kDeleteRdf, IPC_REPORTED, 705},
                                         FaultCase{"close-in-header", kPing, 720, 720},
                                         FaultCase{"close-in-body", kGetServerError, 721, 721}),
                         [](const testing::TestParamInfo<FaultCase> &param) {
                           std::string name = param.param.scenario;
                           for (char &c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

TEST_F(E2E, LostHeaderLeavesOneSocketEntryAndFourIpcEntries) {
  ZentrixdProcess server({"--scenario", "close-in-header"});
  int instance = -1;
  ASSERT_EQ(connect(server, &instance), 0);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), 720);
  std::string log = log_text();
  EXPECT_EQ(count(log, "IPC SOCKET error\n"), 1);
  EXPECT_EQ(count(log, "\tipcsocerr = (619) "), 1);
  EXPECT_EQ(count(log, "IPC  error\n"), 4);
  EXPECT_EQ(count(log, "        ipcerr = (720) Cannot receive packet header.\n"), 4);
  // The channel stays open after a failed receive.
  EXPECT_EQ(dbirpi_find_instance(instance), 1);
  EXPECT_EQ(ipc_diskumbobulate(instance), 0);
}

TEST_F(E2E, StopMessageWhileAwaitingAReplyIsFatalOnce) {
  ZentrixdProcess server({"--scenario", "stop-instead"});
  int instance = -1;
  ASSERT_EQ(connect(server, &instance), 0);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), IPC_REPORTED);
  EXPECT_EQ(last_error(), 714);
  EXPECT_EQ(dbirpi_find_instance(instance), 0);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), IPC_REPORTED);
  EXPECT_EQ(last_error(), 704);
  const std::string fatal =
      "The server unexpectedly shut down.\n\nSee the client ipc log file or the server ntrx log file for more "
      "information.\n\n";
  EXPECT_EQ(read_file("pardex.log"), fatal);
  ZentrixdProcess again({"--scenario", "stop-instead"});
  ASSERT_EQ(connect(again, &instance), 0);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), IPC_REPORTED);
  EXPECT_EQ(last_error(), 714);
  EXPECT_EQ(read_file("pardex.log"), fatal);  // written once per process
  EXPECT_EQ(count(log_text(), "ipcerr = (714)"), 2);
}

TEST_F(E2E, UnknownRequestFromTheServerIsAnsweredAndTheReplyStillArrives) {
  ZentrixdProcess server({"--scenario", "request-first", "--log"});
  int instance = -1;
  ASSERT_EQ(connect(server, &instance), 0);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), 0);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), 0);
  EXPECT_EQ(ipc_disconnect(instance, 1), 0);
  EXPECT_EQ(count(log_text(), "        ipcerr = (20501) Trelio Zentrix received an unknown request message from the "
                              "client.\n"),
            1);
  EXPECT_EQ(last_error(), 0);
  server.stop();
  EXPECT_EQ(count(server.log(), "recv group 2 message 200 sequence 3 packet 0 length 15 "), 1) << server.log();
}

}  // namespace

namespace {

// What changes between runs: times, ports, descriptors, host names, and the zero bytes that the dump
// of a text prints with it.
std::string masked_dump(const std::string &log) {
  std::string text = omra::test::mask_times(log);
  for (const char *prefix : {"service '#", "Socket ID #(", "(127.0.0.1,", "Other side's Protocol ID : "}) {
    text = omra::test::mask_numbers_after(text, prefix);
  }
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size() - 1;
    std::string line = text.substr(start, end - start + 1);
    if (line.rfind("\t\t\tHost Name (", 0) != 0 && line.rfind("\t\t\tPeer Name (", 0) != 0) out += line;
    start = end + 1;
  }
  std::string visible;
  for (char c : out) visible += c == '\0' ? std::string("<NUL>") : std::string(1, c);
  return visible;
}

TEST_F(E2E, DebugDumpsOfALoginAndAPing) {
  ZentrixdProcess server(account_options());
  int instance = -1;
  ASSERT_EQ(connect(server, &instance, 1), 0);
  EXPECT_EQ(ipc_request(instance, kPing, &instance), 0);
  EXPECT_EQ(ipc_disconnect(instance, 1), 0);
  std::string log = log_text();
  // The password travels in the login record but never reaches the log, masked or not.
  EXPECT_EQ(log.find(kPassword), std::string::npos);
  EXPECT_NE(log.find("Element #2 (    50)  CH : *********\\0"), std::string::npos);
  std::string expected = read_file(EXPECTED_DIR "/login_ping_dump.txt");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(masked_dump(log), expected);
  if (masked_dump(log) != expected) {
    std::FILE *f = std::fopen("login_ping_dump.actual", "w");
    std::fputs(masked_dump(log).c_str(), f);
    std::fclose(f);
  }
}

}  // namespace
