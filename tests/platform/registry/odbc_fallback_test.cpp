// Without unixODBC's installer library the ODBC subtrees are ordinary keys of the SQLite store.
#include <gtest/gtest.h>

#include <cstdlib>

#include "omraplatform/registry.h"
#include "registry_test_util.h"
#include "test_support.h"

namespace {
// Before the first registry call of the process, which is when the library would be loaded.
const int kNoInstaller = setenv("OMRA_ODBCINST_LIBRARY", "none", 1);
}  // namespace

TEST(OdbcFallback, TheOdbcSubtreesAreKeptInTheStore) {
  ASSERT_EQ(kNoInstaller, 0);
  omra::test::KeyHandle dsn;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\ODBC\\ODBC.INI\\Kept", 0, nullptr, 0, KEY_ALL_ACCESS,
                           nullptr, dsn.out(), nullptr),
            ERROR_SUCCESS);
  const DWORD number = 5;
  // Anything a key can hold, the ini files' limits do not apply.
  EXPECT_EQ(RegSetValueEx(dsn, "n", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), 4), ERROR_SUCCESS);
  EXPECT_EQ(omra::test::set_string(dsn, "Driver", " padded "), ERROR_SUCCESS);
  omra::test::KeyHandle deeper;
  EXPECT_EQ(RegCreateKeyEx(dsn, "Deeper", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, deeper.out(), nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(omra::test::query(dsn, "driver"), std::string(" padded ", 9));
  EXPECT_FALSE(omra::test::file_exists(std::getenv("ODBCINI")));
  omra::test::KeyHandle odbc;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\ODBC", 0, KEY_READ, odbc.out()), ERROR_SUCCESS);
  EXPECT_EQ(omra::test::subkeys(odbc), std::vector<std::string>{"ODBC.INI"});
}
