#include "omrautils/file_utils.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace {

const char *const kVariables[] = {"TEMP", "TMP", "WINTEMP", "WINTMP", "TMPDIR"};

// Sets the temporary-folder variables for one test and puts them back after it.
class TemporaryFolders : public testing::Test {
 protected:
  void SetUp() override {
    for (const char *name : kVariables) {
      const char *value = std::getenv(name);
      m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
    m_dir = omra::test::temp_dir() + "/tmpfiles";
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override {
    for (auto &[name, value] : m_saved) {
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
    }
  }
  void touch(const std::string &name) { std::ofstream(m_dir + "/" + name) << "x"; }

  std::string m_dir;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace

TEST_F(TemporaryFolders, TheFirstFreeNumberInTheFolder) {
  setenv("TEMP", m_dir.c_str(), 1);
  touch("OmraTmp1.tmp");
  touch("OmraTmp2.tmp");
  EXPECT_STREQ(CFileUtils::GetTemporaryFileName(), (m_dir + "/OmraTmp3.tmp").c_str());
  EXPECT_STREQ(CFileUtils::GetTemporaryFileName(".log"), (m_dir + "/OmraTmp1.log").c_str());
  EXPECT_STREQ(CFileUtils::GetTemporaryFileName("log"), (m_dir + "/OmraTmp3.tmp").c_str());
  EXPECT_STREQ(CFileUtils::GetTemporaryFileName(nullptr), (m_dir + "/OmraTmp3.tmp").c_str());
  // A dangling link is not a free name: a file made there would land where it points.
  ASSERT_EQ(symlink((m_dir + "/nowhere").c_str(), (m_dir + "/OmraTmp3.tmp").c_str()), 0);
  EXPECT_STREQ(CFileUtils::GetTemporaryFileName(), (m_dir + "/OmraTmp4.tmp").c_str());
  // The name is only made, not the file.
  EXPECT_FALSE(omra::test::file_exists(m_dir + "/OmraTmp4.tmp"));
  // A folder given with its slash gets no second one.
  setenv("TEMP", (m_dir + "/").c_str(), 1);
  EXPECT_STREQ(CFileUtils::GetTemporaryFileName(".x"), (m_dir + "/OmraTmp1.x").c_str());
}

TEST_F(TemporaryFolders, TheVariablesInTheirOrderThenTmp) {
  struct Case {
    std::vector<const char *> set;  // set to the folder; the others stay unset
    const char *empty;              // set to the empty text, which does not count
    std::string want;
  } cases[] = {
      {{"TMPDIR", "WINTMP", "WINTEMP", "TMP", "TEMP"}, nullptr, "TEMP"},
      {{"TMPDIR", "WINTMP", "WINTEMP", "TMP"}, "TEMP", "TMP"},
      {{"TMPDIR", "WINTMP", "WINTEMP"}, nullptr, "WINTEMP"},
      {{"TMPDIR", "WINTMP"}, "WINTEMP", "WINTMP"},
      {{"TMPDIR"}, "TMP", "TMPDIR"},
      {{}, "TMPDIR", ""},
  };
  for (const Case &c : cases) {
    for (const char *name : kVariables) unsetenv(name);
    for (const char *name : c.set) setenv(name, (m_dir + "/" + name).c_str(), 1);
    if (c.empty) setenv(c.empty, "", 1);
    std::string want = c.want.empty() ? "/tmp/" : m_dir + "/" + c.want + "/";
    CString got = CFileUtils::GetTemporaryFileName();
    EXPECT_EQ(std::string(got).rfind(want + "OmraTmp", 0), 0u) << got << " for " << c.want;
  }
}
