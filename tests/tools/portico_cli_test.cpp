// The portico command, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "zentrixd_process.h"

using omra::test::ZentrixdProcess;

namespace {

struct Outcome {
  int status = -1;
  std::string output;  // standard output and standard error together
};

// Runs portico with the words (already quoted for the shell) and feeds it input on standard input.
Outcome portico(const std::string &words, const std::string &input = "") {
  std::string command = "printf '%s' '" + input + "' | '" PORTICO_PATH "' " + words + " 2>&1";
  Outcome run;
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

int lines(const std::string &text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

}  // namespace

TEST(PorticoCli, EverySubcommandHasHelp) {
  Outcome top = portico("--help");
  EXPECT_EQ(top.status, 0);
  EXPECT_NE(top.output.find("ping"), std::string::npos);
  EXPECT_NE(top.output.find("demo"), std::string::npos);
  for (const char *command : {"ping", "demo"}) {
    Outcome help = portico(std::string(command) + " --help");
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_EQ(help.output.rfind(std::string("usage: portico ") + command, 0), 0u) << help.output;
    EXPECT_EQ(portico(std::string("help ") + command).output, help.output);
  }
}

TEST(PorticoCli, MistakesAreOneLineAndANonZeroStatus) {
  const char *cases[] = {
      "",                                   // no command
      "frobnicate",                         // unknown command
      "ping --server",                      // a value is missing
      "ping --server h --port 1 --user u",  // --service is required
      "ping --bogus 1",                     // unknown option
      "demo --no-reconnect=yes",            // a flag with a value
      "ping --server h --port 1 --service s --user u --password secret",
  };
  for (const char *words : cases) {
    Outcome run = portico(words);
    EXPECT_NE(run.status, 0) << words;
    if (std::string(words).empty()) continue;  // the usage text
    EXPECT_EQ(lines(run.output), 1) << words << ": " << run.output;
    EXPECT_EQ(run.output.rfind("portico: ", 0), 0u) << run.output;
  }
  Outcome password = portico("ping --server h --port 1 --service s --user u --password secret");
  EXPECT_NE(password.output.find("--password-stdin"), std::string::npos) << password.output;
}

TEST(PorticoCli, PingLogsInPingsAndDisconnects) {
  ZentrixdProcess server({"--account", "SVC:ann:pw1"});
  ASSERT_GT(server.port(), 0);
  std::string target = "ping --server 127.0.0.1 --port " + std::to_string(server.port()) + " --service SVC --user ann";
  Outcome ok = portico(target + " --password-stdin", "pw1\n");
  EXPECT_EQ(ok.status, 0) << ok.output;
  EXPECT_NE(ok.output.find("trlrpi_ping: answered"), std::string::npos) << ok.output;
  EXPECT_NE(ok.output.find("trlrpi_disconnect: disconnected"), std::string::npos) << ok.output;

  Outcome refused = portico(target + " --password-stdin", "wrong\n");
  EXPECT_EQ(refused.status, 1) << refused.output;
  EXPECT_NE(refused.output.find("trlrpi_connect failed"), std::string::npos) << refused.output;
  EXPECT_NE(refused.output.find("code 1203"), std::string::npos) << refused.output;
  EXPECT_NE(refused.output.find("wrong password"), std::string::npos) << refused.output;
}

TEST(PorticoCli, PingOfAServerThatIsNotThereGivesTheCodeAndTheLibrarysText) {
  ZentrixdProcess server;
  int port = server.port();
  server.stop();
  Outcome run = portico("ping --server 127.0.0.1 --port " + std::to_string(port) + " --service S --user u");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("code 604: Socket endpoint cannot be created on server."), std::string::npos) << run.output;
}

TEST(PorticoCli, DemoRunsTheConnectionTestToItsEnd) {
  Outcome run = portico("demo --zentrixd '" ZENTRIXD_PATH "'");
  EXPECT_EQ(run.status, 0) << run.output;
  for (const char *step : {"trlrpi_connect", "TRLIPC waits 3 seconds", "trlrpi_init_engine",
                           "trlrpi_validate_versions", "go together", "trlrpi_stop_engine", "trlrpi_disconnect",
                           "Stopping zentrixd", "The connection test succeeded."}) {
    EXPECT_NE(run.output.find(step), std::string::npos) << step << "\n" << run.output;
  }
}
