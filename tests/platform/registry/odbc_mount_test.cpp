// The ODBC subtrees on unixODBC's own files, pointed into the test's folder by ODBCINI, ODBCSYSINI and
// ODBCINSTINI (set by the test main before anything reads them).
#include <gtest/gtest.h>
#include <odbcinst.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "omraplatform/registry.h"
#include "registry_test_util.h"
#include "test_support.h"

using omra::test::KeyHandle;
using omra::test::query;
using omra::test::set_string;
using omra::test::subkeys;
using omra::test::value_names;

namespace {

const char kUserDsns[] = "SOFTWARE\\ODBC\\ODBC.INI";

std::string user_file() { return std::getenv("ODBCINI"); }
std::string system_file() { return std::string(std::getenv("ODBCSYSINI")) + "/odbc.ini"; }

std::string run(const std::string &command) {
  std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
  std::string out;
  char buffer[256];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
  return out;
}

LONG create(HKEY root, const char *path, HKEY *key) {
  return RegCreateKeyEx(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key, nullptr);
}

}  // namespace

TEST(OdbcMount, ADataSourceWrittenThroughTheRegistryIsListedByOdbcinst) {
  KeyHandle dsn;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\ODBC\\ODBC.INI\\Sales Data", dsn.out()), ERROR_SUCCESS);
  ASSERT_EQ(set_string(dsn, "Driver", "Zentrix"), ERROR_SUCCESS);
  ASSERT_EQ(set_string(dsn, "Description", "sales figures"), ERROR_SUCCESS);
  std::string listed = run("odbcinst -q -s 2>&1");
  EXPECT_NE(listed.find("[Sales Data]"), std::string::npos) << listed;
  std::string file = omra::test::read_file(user_file());
  EXPECT_NE(file.find("Driver=Zentrix"), std::string::npos) << file;
  EXPECT_EQ(omra::test::read_file(system_file()).find("Sales Data"), std::string::npos);
  // Entries read back as REG_SZ with their terminator, in file order, names without regard to case.
  DWORD type = 0;
  EXPECT_EQ(query(dsn, "DRIVER", &type), std::string("Zentrix", 8));
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(value_names(dsn), (std::vector<std::string>{"Driver", "Description"}));
  ASSERT_EQ(set_string(dsn, "driver", "Other"), ERROR_SUCCESS);
  EXPECT_EQ(value_names(dsn), (std::vector<std::string>{"Driver", "Description"}));
  EXPECT_EQ(RegDeleteValue(dsn, "description"), ERROR_SUCCESS);
  EXPECT_EQ(value_names(dsn), std::vector<std::string>{"Driver"});
  EXPECT_EQ(RegDeleteValue(dsn, "description"), ERROR_FILE_NOT_FOUND);
  // Deleting the key removes the section.
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "SOFTWARE\\ODBC\\ODBC.INI\\sales data"), ERROR_SUCCESS);
  EXPECT_EQ(run("odbcinst -q -s 2>&1").find("[Sales Data]"), std::string::npos);
  EXPECT_EQ(set_string(dsn, "Driver", "x"), ERROR_KEY_DELETED);
}

TEST(OdbcMount, ADataSourceWrittenByTheInstallerIsSeenThroughTheRegistry) {
  ASSERT_TRUE(SQLSetConfigMode(ODBC_USER_DSN));
  ASSERT_TRUE(SQLWriteDSNToIni("Written Directly", "Some Driver"));
  ASSERT_TRUE(SQLWritePrivateProfileString("Written Directly", "Server", "db.example", "odbc.ini"));
  // The system file is made through the registry first: unixODBC writes only into one that exists.
  KeyHandle made;
  ASSERT_EQ(create(HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBC.INI\\Made Here", made.out()), ERROR_SUCCESS);
  ASSERT_TRUE(SQLSetConfigMode(ODBC_SYSTEM_DSN));
  ASSERT_TRUE(SQLWriteDSNToIni("System Source", "Some Driver"));
  SQLSetConfigMode(ODBC_BOTH_DSN);

  KeyHandle dsn;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\ODBC\\ODBC.INI\\WRITTEN DIRECTLY", 0, KEY_READ, dsn.out()),
            ERROR_SUCCESS);
  EXPECT_EQ(query(dsn, "Driver"), std::string("Some Driver", 12));
  EXPECT_EQ(query(dsn, "server"), std::string("db.example", 11));

  KeyHandle user, machine;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kUserDsns, 0, KEY_READ, user.out()), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kUserDsns, 0, KEY_READ, machine.out()), ERROR_SUCCESS);
  EXPECT_EQ(subkeys(user), std::vector<std::string>{"Written Directly"});
  EXPECT_EQ(subkeys(machine), (std::vector<std::string>{"Made Here", "System Source"}));
  HKEY none = nullptr;
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\ODBC\\ODBC.INI\\System Source", 0, KEY_READ, &none),
            ERROR_FILE_NOT_FOUND);
}

TEST(OdbcMount, SectionsEnumerateInNameOrderAndTheMountsShowUnderOdbc) {
  for (const char *name : {"zeta", "Alpha", "beta"}) {
    KeyHandle k;
    ASSERT_EQ(create(HKEY_CURRENT_USER, (std::string(kUserDsns) + "\\" + name).c_str(), k.out()), ERROR_SUCCESS);
  }
  KeyHandle user;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kUserDsns, 0, KEY_READ, user.out()), ERROR_SUCCESS);
  std::vector<std::string> listed = subkeys(user);
  std::erase_if(listed, [](const std::string &n) { return n != "Alpha" && n != "beta" && n != "zeta"; });
  EXPECT_EQ(listed, (std::vector<std::string>{"Alpha", "beta", "zeta"}));
  // An empty section is kept in the file.
  EXPECT_NE(omra::test::read_file(user_file()).find("[beta]"), std::string::npos);

  KeyHandle stored;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\ODBC\\Aaa", stored.out()), ERROR_SUCCESS);
  KeyHandle odbc, machine_odbc;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\ODBC", 0, KEY_READ, odbc.out()), ERROR_SUCCESS);
  EXPECT_EQ(subkeys(odbc), (std::vector<std::string>{"Aaa", "ODBC.INI"}));
  ASSERT_EQ(create(HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC", machine_odbc.out()), ERROR_SUCCESS);
  EXPECT_EQ(subkeys(machine_odbc), (std::vector<std::string>{"ODBC.INI", "ODBCINST.INI"}));
  // The files themselves and the keys above them cannot be deleted.
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, kUserDsns), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "SOFTWARE\\ODBC\\Aaa"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "SOFTWARE\\ODBC"), ERROR_ACCESS_DENIED);
}

TEST(OdbcMount, WhatAnIniFileCannotHoldIsRefused) {
  KeyHandle dsn;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\ODBC\\ODBC.INI\\Strict", dsn.out()), ERROR_SUCCESS);
  const DWORD number = 5;
  EXPECT_EQ(RegSetValueEx(dsn, "n", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(set_string(dsn, "two\nlines", "x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(set_string(dsn, "a=b", "x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(set_string(dsn, "", "default"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(set_string(dsn, "text", "line\nbreak"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(set_string(dsn, "text", " padded "), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(set_string(dsn, "text", std::string(2000, 'x')), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(set_string(dsn, "text", std::string(900, 'x')), ERROR_SUCCESS);
  EXPECT_EQ(query(dsn, "text"), std::string(900, 'x') + std::string(1, '\0'));
  HKEY deeper = nullptr;
  EXPECT_EQ(create(dsn, "Deeper", &deeper), ERROR_ACCESS_DENIED);
  EXPECT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\ODBC\\ODBC.INI\\[bad]", &deeper), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(set_string(HKEY_CURRENT_USER, nullptr, "fine in the store"), ERROR_SUCCESS);
}

TEST(OdbcMount, DriversAreTheOdbcinstFile) {
  KeyHandle driver;
  ASSERT_EQ(create(HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBCINST.INI\\Zentrix Driver", driver.out()), ERROR_SUCCESS);
  ASSERT_EQ(set_string(driver, "Driver", "/usr/lib/libzentrix.so"), ERROR_SUCCESS);
  std::string file = omra::test::read_file(std::string(std::getenv("ODBCSYSINI")) + "/odbcinst.ini");
  EXPECT_NE(file.find("[Zentrix Driver]"), std::string::npos) << file;
  std::string listed = run("odbcinst -q -d 2>&1");
  EXPECT_NE(listed.find("[Zentrix Driver]"), std::string::npos) << listed;
}
