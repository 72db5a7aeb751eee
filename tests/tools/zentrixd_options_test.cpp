// zentrixd's command line and config files.
#include "options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace {

bool parse(std::vector<std::string> words, zentrixd::Config *config, std::string *error) {
  words.insert(words.begin(), "zentrixd");
  std::vector<char *> argv;
  for (std::string &w : words) argv.push_back(w.data());
  return zentrixd::parse_options(static_cast<int>(argv.size()), argv.data(), config, error);
}

TEST(ZentrixdOptions, CommandLineAndConfigFileCombine) {
  std::ofstream("server.conf") << "# accounts\n"
                                  "account dbi:bob:pw:with:colons\n"
                                  "\n"
                                  "refused-status 1205\n"
                                  "reconnect on\n";
  zentrixd::Config config;
  std::string error;
  ASSERT_TRUE(parse({"--address", "127.0.0.2", "--port=5000", "--account", "trl:alice:secret", "--config",
                     "server.conf", "--scenario", "reply-size=3000", "--server-error", "42:abc", "--log"},
                    &config, &error))
      << error;
  EXPECT_EQ(config.address, "127.0.0.2");
  EXPECT_EQ(config.port, 5000);
  ASSERT_EQ(config.accounts.size(), 2u);
  EXPECT_EQ(config.accounts[0].user, "alice");
  EXPECT_EQ(config.accounts[1].service, "dbi");
  EXPECT_EQ(config.accounts[1].password, "pw:with:colons");
  EXPECT_EQ(config.refused_status, 1205);
  EXPECT_TRUE(config.reconnect);
  EXPECT_EQ(config.scenario.name, "reply-size");
  EXPECT_EQ(config.scenario.number(0), 3000);
  EXPECT_EQ(config.server_error_code, 42);
  EXPECT_EQ(config.server_error_text, "abc");
  EXPECT_TRUE(config.log);
}

TEST(ZentrixdOptions, BadOptionsAreRefusedWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"--port", "70000"},    {"--port"},          {"--account", "nouser"}, {"--reconnect", "maybe"},
      {"--frobnicate", "1"},  {"stray"},           {"--config", "missing.conf"},
      {"--server-error", "x"},
  };
  for (const auto &words : bad) {
    zentrixd::Config config;
    std::string error;
    EXPECT_FALSE(parse(words, &config, &error)) << words[0];
    EXPECT_FALSE(error.empty());
  }
  zentrixd::Scenario plain{"stop-instead", "", false};
  EXPECT_EQ(plain.number(200), 200);
}

}  // namespace
