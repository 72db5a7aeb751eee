// The main of every GoogleTest program: a temporary folder per process and per test, and the
// environment that points the stores into it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "test_support.h"

namespace fs = std::filesystem;

namespace omra::test {
namespace {

std::string g_temp_dir;

// Each test gets a fresh, empty current directory below the process's folder, so that log files of one
// test never show up in another's.
class FreshDirectory : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo &info) override {
    std::string name = std::string(info.test_suite_name()) + "." + info.name();
    for (char &c : name) {
      if (c == '/' || c == '<' || c == '>' || c == ' ' || c == ',') c = '_';
    }
    fs::path dir = fs::path(g_temp_dir) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    if (chdir(dir.c_str()) != 0) std::perror("chdir");
  }
};

}  // namespace

const std::string &temp_dir() { return g_temp_dir; }

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool file_exists(const std::string &path) { return fs::exists(path); }

int count(const std::string &text, const std::string &what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

int open_descriptors() {
  int n = 0;
  for ([[maybe_unused]] const auto &entry : fs::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

std::string capture_stdout(void (*fn)(void *), void *context) {
  std::fflush(stdout);
  std::string path = g_temp_dir + "/stdout.capture";
  int saved = dup(STDOUT_FILENO);
  FILE *file = std::fopen(path.c_str(), "w+");
  dup2(fileno(file), STDOUT_FILENO);
  fn(context);
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  std::fclose(file);
  std::string text = read_file(path);
  fs::remove(path);
  return text;
}

}  // namespace omra::test

int main(int argc, char **argv) {
  testing::InitGoogleTest(&argc, argv);
  const char *base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/omra-test-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    return 2;
  }
  omra::test::g_temp_dir = pattern;
  // Set before any library reads them: unixODBC caches its file names on first use.
  setenv("OMRA_USER_REGISTRY", (pattern + "/user-registry.db").c_str(), 1);
  setenv("OMRA_MACHINE_REGISTRY", (pattern + "/machine-registry.db").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (pattern + "/config").c_str(), 1);
  // The user file apart from the system one ($ODBCSYSINI/odbc.ini), as on a real machine.
  setenv("ODBCINI", (pattern + "/user-odbc.ini").c_str(), 1);
  setenv("ODBCSYSINI", pattern.c_str(), 1);
  setenv("ODBCINSTINI", "odbcinst.ini", 1);
  testing::UnitTest::GetInstance()->listeners().Append(new omra::test::FreshDirectory);
  int result = RUN_ALL_TESTS();
  if (chdir("/") != 0) std::perror("chdir");
  if (result == 0 && !std::getenv("OMRA_KEEP_TEST_DIRS")) {
    fs::remove_all(pattern);
  } else {
    std::fprintf(stderr, "test files kept in %s\n", pattern.c_str());
  }
  return result;
}
