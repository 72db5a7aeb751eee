// Stores shared between processes: writers at once lose nothing, a writer killed in the middle leaves a
// store that opens and holds every write it finished.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>

#include "omraplatform/registry.h"
#include "registry_test_util.h"

extern char **environ;

using omra::test::KeyHandle;
using omra::test::query;
using omra::test::value_names;

namespace {

// Starts the writer with its standard output on a pipe; returns its pid and the pipe's read end.
pid_t start_writer(const char *key, const char *prefix, int count, FILE **output) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::string count_text = std::to_string(count);
  char *argv[] = {const_cast<char *>(REGISTRY_WRITER), const_cast<char *>(key), const_cast<char *>(prefix),
                  count_text.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, REGISTRY_WRITER, &actions, nullptr, argv, environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  *output = fdopen(fds[0], "r");
  return pid;
}

int count_lines(FILE *in) {
  char line[64];
  int lines = 0;
  while (std::fgets(line, sizeof line, in)) ++lines;
  return lines;
}

int wait_for(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return status;
}

}  // namespace

TEST(RegistryProcesses, TwoWritersAtOnceLoseNoWrite) {
  constexpr int kCount = 1000;
  FILE *out_a = nullptr, *out_b = nullptr;
  pid_t a = start_writer("SOFTWARE\\Shared", "a", kCount, &out_a);
  pid_t b = start_writer("SOFTWARE\\Shared", "b", kCount, &out_b);
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  // Each writer prints far less than a pipe holds, so reading one after the other blocks neither.
  int lines = count_lines(out_a) + count_lines(out_b);
  std::fclose(out_a);
  std::fclose(out_b);
  int status_a = wait_for(a), status_b = wait_for(b);
  ASSERT_TRUE(WIFEXITED(status_a) && WEXITSTATUS(status_a) == 0) << status_a;
  ASSERT_TRUE(WIFEXITED(status_b) && WEXITSTATUS(status_b) == 0) << status_b;
  EXPECT_EQ(lines, 2 * kCount);

  KeyHandle key;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\Shared", 0, KEY_READ, key.out()), ERROR_SUCCESS);
  std::vector<std::string> names = value_names(key);
  std::set<std::string> unique(names.begin(), names.end());
  EXPECT_EQ(names.size(), 2u * kCount);
  EXPECT_EQ(unique.size(), 2u * kCount);
  for (const char *prefix : {"a", "b"}) {
    for (int n = 0; n < kCount; n += 97) {
      std::string name = prefix + std::to_string(n);
      EXPECT_EQ(query(key, name.c_str()), "data of " + name + std::string(1, '\0'));
    }
  }
}

TEST(RegistryProcesses, AWriterKilledInTheMiddleLeavesEveryFinishedWrite) {
  FILE *out = nullptr;
  pid_t writer = start_writer("SOFTWARE\\Killed", "v", 100000, &out);
  ASSERT_GT(writer, 0);
  char line[64];
  long last = -1;
  // Kill it once a few hundred writes have returned, while it is writing the next ones.
  while (last < 300 && std::fgets(line, sizeof line, out)) last = std::strtol(line, nullptr, 10);
  kill(writer, SIGKILL);
  // Writes that returned before the kill may still be in the pipe.
  while (std::fgets(line, sizeof line, out)) last = std::strtol(line, nullptr, 10);
  std::fclose(out);
  int status = wait_for(writer);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer ended before the kill";
  ASSERT_GE(last, 300);

  KeyHandle key;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\Killed", 0, KEY_ALL_ACCESS, key.out()), ERROR_SUCCESS);
  std::vector<std::string> names = value_names(key);
  // Every reported write is there; at most the one in flight at the kill is there unreported.
  ASSERT_GE(names.size(), static_cast<size_t>(last + 1));
  ASSERT_LE(names.size(), static_cast<size_t>(last + 2));
  for (long n = 0; n <= last; ++n) {
    std::string name = "v" + std::to_string(n);
    ASSERT_EQ(names[static_cast<size_t>(n)], name);
    ASSERT_EQ(query(key, name.c_str()), "data of " + name + std::string(1, '\0'));
  }
  // And the store still takes writes.
  EXPECT_EQ(omra::test::set_string(key, "after", "x"), ERROR_SUCCESS);
}
