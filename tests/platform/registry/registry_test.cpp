// The registry API over real SQLite stores in the test's temporary folder.
#include "omraplatform/registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "registry_test_util.h"
#include "test_support.h"

using omra::test::KeyHandle;
using omra::test::query;
using omra::test::set_string;
using omra::test::subkeys;
using omra::test::value_names;

namespace {

LONG create(HKEY root, const char *path, HKEY *key, DWORD *disposition = nullptr) {
  return RegCreateKeyEx(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key,
                        disposition);
}

LONG open(HKEY root, const char *path, HKEY *key, REGSAM access = KEY_ALL_ACCESS) {
  return RegOpenKeyEx(root, path, 0, access, key);
}

// Points the user hive at another file for the rest of the test.
void use_user_store(const std::string &path) { setenv("OMRA_USER_REGISTRY", path.c_str(), 1); }

}  // namespace

TEST(Registry, CreatingAKeyCreatesItsParentsAndOpensWithoutRegardToCase) {
  KeyHandle key;
  DWORD disposition = 0;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\OMRA\\Connection Names\\First", key.out(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  KeyHandle again;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "software\\omra\\CONNECTION NAMES\\first", again.out(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  KeyHandle parent;
  ASSERT_EQ(open(HKEY_CURRENT_USER, "Software\\Omra", parent.out(), KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(subkeys(parent), std::vector<std::string>{"Connection Names"});
  // Empty levels are skipped.
  KeyHandle doubled;
  EXPECT_EQ(open(HKEY_CURRENT_USER, "\\SOFTWARE\\\\OMRA\\", doubled.out()), ERROR_SUCCESS);
  // Relative to an open key.
  KeyHandle child;
  EXPECT_EQ(open(parent, "connection names\\FIRST", child.out()), ERROR_SUCCESS);
  KeyHandle missing;
  EXPECT_EQ(open(HKEY_CURRENT_USER, "SOFTWARE\\Nothing", missing.out()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing.get(), nullptr);
  // The two hives are apart.
  EXPECT_EQ(open(HKEY_LOCAL_MACHINE, "SOFTWARE\\OMRA", missing.out()), ERROR_FILE_NOT_FOUND);
}

TEST(Registry, SubkeysEnumerateInNameOrderWithoutRegardToCase) {
  KeyHandle root;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\Order", root.out()), ERROR_SUCCESS);
  for (const char *name : {"beta", "Alpha", "gamma", "ALPHA2", "Beta1", "_x", "10"}) {
    KeyHandle k;
    ASSERT_EQ(create(root, name, k.out()), ERROR_SUCCESS) << name;
  }
  EXPECT_EQ(subkeys(root), (std::vector<std::string>{"10", "_x", "Alpha", "ALPHA2", "beta", "Beta1", "gamma"}));
  char name[8];
  DWORD length = sizeof name;
  EXPECT_EQ(RegEnumKeyEx(root, 7, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  // A name buffer without room for the terminating zero.
  length = 5;
  EXPECT_EQ(RegEnumKeyEx(root, 2, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  length = 6;
  EXPECT_EQ(RegEnumKeyEx(root, 2, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Alpha");
  EXPECT_EQ(length, 5u);
}

TEST(Registry, ValuesEnumerateInCreationOrderAndKeepTheirPlaceWhenRewritten) {
  KeyHandle key;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\Values", key.out()), ERROR_SUCCESS);
  for (const char *name : {"server", "user", "Apple", "port number", ""}) {
    ASSERT_EQ(set_string(key, name, std::string("v-") + name), ERROR_SUCCESS);
  }
  EXPECT_EQ(set_string(key, "USER", "rewritten"), ERROR_SUCCESS);
  EXPECT_EQ(value_names(key), (std::vector<std::string>{"server", "user", "Apple", "port number", ""}));
  EXPECT_EQ(query(key, "User"), std::string("rewritten", 10));
  EXPECT_EQ(query(key, nullptr), std::string("v-", 3));  // the unnamed default value
  EXPECT_EQ(RegDeleteValue(key, "SERVER"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(key, "server"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(set_string(key, "server", "back"), ERROR_SUCCESS);
  EXPECT_EQ(value_names(key), (std::vector<std::string>{"user", "Apple", "port number", "", "server"}));
  EXPECT_EQ(query(key, "nothing"), "<error 2>");
}

TEST(Registry, DataComesBackExactlyAsWrittenWithMoreDataForShortBuffers) {
  KeyHandle key;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\Data", key.out()), ERROR_SUCCESS);
  const BYTE binary[] = {0, 1, 0, 255, 32};
  DWORD number = 0x12345678;
  ASSERT_EQ(RegSetValueEx(key, "bin", 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, "dword", 0, REG_DWORD, reinterpret_cast<BYTE *>(&number), 4), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, "unterminated", 0, REG_SZ, reinterpret_cast<const BYTE *>("abc"), 3), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, "empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, "expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>("%HOME%"), 7), ERROR_SUCCESS);

  DWORD type = 0;
  EXPECT_EQ(query(key, "bin", &type), std::string(reinterpret_cast<const char *>(binary), sizeof binary));
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(query(key, "dword", &type), std::string(reinterpret_cast<char *>(&number), 4));
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(query(key, "unterminated", &type), "abc");
  EXPECT_EQ(query(key, "empty", &type), "");
  EXPECT_EQ(query(key, "expand", &type), std::string("%HOME%", 7));
  EXPECT_EQ(type, REG_EXPAND_SZ);

  // Size only, then a buffer one byte short.
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "bin", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof binary);
  BYTE small[4];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueEx(key, "bin", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof binary);
  EXPECT_EQ(RegQueryValueEx(key, "bin", nullptr, nullptr, small, nullptr), ERROR_INVALID_PARAMETER);

  // The enumeration: the name buffer and the data buffer are each checked.
  char name[16];
  DWORD name_length = 3;
  size = sizeof small;
  EXPECT_EQ(RegEnumValue(key, 0, name, &name_length, nullptr, &type, small, &size), ERROR_MORE_DATA);
  name_length = sizeof name;
  EXPECT_EQ(RegEnumValue(key, 0, name, &name_length, nullptr, &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof binary);
  EXPECT_STREQ(name, "bin");
  BYTE enough[8];
  size = sizeof enough;
  name_length = sizeof name;
  EXPECT_EQ(RegEnumValue(key, 1, name, &name_length, nullptr, &type, enough, &size), ERROR_SUCCESS);
  EXPECT_STREQ(name, "dword");
  EXPECT_EQ(name_length, 5u);
  EXPECT_EQ(size, 4u);
  name_length = sizeof name;
  EXPECT_EQ(RegEnumValue(key, 5, name, &name_length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST(Registry, DeletingAKeyWithSubkeysIsRefused) {
  KeyHandle leaf;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\Tree\\Branch\\Leaf", leaf.out()), ERROR_SUCCESS);
  ASSERT_EQ(set_string(leaf, "v", "x"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "SOFTWARE\\Tree"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "SOFTWARE\\Tree\\Branch"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "software\\tree\\branch\\LEAF"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "SOFTWARE\\Tree\\Branch\\Leaf"), ERROR_FILE_NOT_FOUND);
  // A handle to the deleted key says so; a key of the same name made again has no old values.
  EXPECT_EQ(set_string(leaf, "v", "y"), ERROR_KEY_DELETED);
  KeyHandle again;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\Tree\\Branch\\Leaf", again.out()), ERROR_SUCCESS);
  EXPECT_TRUE(value_names(again).empty());
  // An empty subkey names the key itself; the roots cannot be deleted.
  EXPECT_EQ(RegDeleteKey(again, ""), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "SOFTWARE\\Tree\\Branch"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, nullptr), ERROR_ACCESS_DENIED);
}

TEST(Registry, AccessRightsAndHandles) {
  KeyHandle writer;
  ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\Rights", writer.out()), ERROR_SUCCESS);
  ASSERT_EQ(set_string(writer, "v", "x"), ERROR_SUCCESS);
  KeyHandle reader, write_only;
  ASSERT_EQ(open(HKEY_CURRENT_USER, "SOFTWARE\\Rights", reader.out(), KEY_READ), ERROR_SUCCESS);
  ASSERT_EQ(open(HKEY_CURRENT_USER, "SOFTWARE\\Rights", write_only.out(), KEY_WRITE), ERROR_SUCCESS);
  EXPECT_EQ(set_string(reader, "v", "y"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValue(reader, "v"), ERROR_ACCESS_DENIED);
  HKEY sub = nullptr;
  EXPECT_EQ(create(reader, "sub", &sub), ERROR_ACCESS_DENIED);
  EXPECT_EQ(query(write_only, "v"), "<error 5>");
  EXPECT_EQ(query(reader, "v"), std::string("x", 2));
  EXPECT_EQ(set_string(write_only, "v", "z"), ERROR_SUCCESS);

  HKEY closed = nullptr;
  ASSERT_EQ(open(HKEY_CURRENT_USER, "SOFTWARE", &closed), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);
  EXPECT_EQ(query(closed, "v"), "<error 6>");
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);

  // Roots without a store hold nothing and take nothing.
  EXPECT_EQ(open(HKEY_USERS, "anything", &sub), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(create(HKEY_CLASSES_ROOT, "anything", &sub), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(subkeys(HKEY_CURRENT_CONFIG).empty());
}

TEST(Registry, StoresAreCreatedOnTheFirstWriteOnlyAndPrivate) {
  std::string path = omra::test::temp_dir() + "/fresh/sub/user.db";
  use_user_store(path);
  KeyHandle key;
  EXPECT_EQ(open(HKEY_CURRENT_USER, "SOFTWARE\\X", key.out()), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(subkeys(HKEY_CURRENT_USER).empty());
  EXPECT_FALSE(omra::test::file_exists(path));
  ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\X", key.out()), ERROR_SUCCESS);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(subkeys(HKEY_CURRENT_USER), std::vector<std::string>{"SOFTWARE"});
}

TEST(Registry, AStoreThatIsNotARegistryIsRefusedAndLeftAsItWas) {
  const std::string dir = omra::test::temp_dir();
  // A registry store with content, then damaged in the middle.
  const std::string damaged = dir + "/damaged.db";
  use_user_store(damaged);
  {
    KeyHandle key;
    ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\Full", key.out()), ERROR_SUCCESS);
    for (int i = 0; i < 300; ++i) {
      ASSERT_EQ(set_string(key, ("value" + std::to_string(i)).c_str(), std::string(200, 'x')), ERROR_SUCCESS);
    }
  }
  use_user_store(dir + "/other.db");  // the damaged store is closed (and checkpointed) on the next call
  {
    KeyHandle other;
    ASSERT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE", other.out()), ERROR_SUCCESS);
  }
  std::string content = omra::test::read_file(damaged);
  ASSERT_GT(content.size(), 40000u);
  for (size_t i = 8192; i < 8192 + 4096; ++i) content[i] = static_cast<char>(i * 7);
  std::ofstream(damaged, std::ios::binary | std::ios::trunc) << content;

  // Not a database, another program's database, a damaged store.
  const std::string text = dir + "/text.db";
  std::ofstream(text) << "these are not the keys you are looking for\n";
  const std::string foreign = dir + "/foreign.db";
  {
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(t TEXT); INSERT INTO notes VALUES('keep me');", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
  for (const std::string &path : {text, foreign, damaged}) {
    SCOPED_TRACE(path);
    const std::string before = omra::test::read_file(path);
    use_user_store(path);
    HKEY key = nullptr;
    EXPECT_EQ(open(HKEY_CURRENT_USER, "SOFTWARE", &key), ERROR_BADDB);
    EXPECT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE\\New", &key), ERROR_BADDB);
    EXPECT_EQ(RegSetValueEx(HKEY_CURRENT_USER, "v", 0, REG_SZ, reinterpret_cast<const BYTE *>("x"), 2), ERROR_BADDB);
    EXPECT_EQ(omra::test::read_file(path), before);
    EXPECT_FALSE(omra::test::file_exists(path + "-wal"));
  }
  // A folder in place of the file.
  use_user_store(dir);
  HKEY key = nullptr;
  EXPECT_EQ(create(HKEY_CURRENT_USER, "SOFTWARE", &key), ERROR_CANTOPEN);
}

TEST(ExpandEnvironmentStrings, ReplacesSetVariablesAndKeepsTheRest) {
  setenv("OMRA_EXPAND_A", "alpha", 1);
  setenv("OMRA_EXPAND_EMPTY", "", 1);
  unsetenv("OMRA_EXPAND_UNSET");
  struct Case {
    const char *in;
    const char *out;
  } cases[] = {
      {"plain", "plain"},
      {"%OMRA_EXPAND_A%", "alpha"},
      {"x%OMRA_EXPAND_A%y%OMRA_EXPAND_A%", "xalphayalpha"},
      {"%omra_expand_a%", "alpha"},
      {"[%OMRA_EXPAND_EMPTY%]", "[]"},
      {"%OMRA_EXPAND_UNSET%", "%OMRA_EXPAND_UNSET%"},
      {"100%", "100%"},
      {"%%", "%%"},
      {"%OMRA_EXPAND_UNSET%OMRA_EXPAND_A%", "%OMRA_EXPAND_UNSET%OMRA_EXPAND_A%"},
      {"", ""},
  };
  for (const Case &c : cases) {
    char out[64];
    DWORD n = ExpandEnvironmentStrings(c.in, out, sizeof out);
    EXPECT_EQ(n, std::strlen(c.out) + 1) << c.in;
    EXPECT_STREQ(out, c.out) << c.in;
  }
  char small[3] = "zz";
  EXPECT_EQ(ExpandEnvironmentStrings("%OMRA_EXPAND_A%", small, sizeof small), 6u);
  EXPECT_STREQ(small, "zz");
  EXPECT_EQ(ExpandEnvironmentStrings("%OMRA_EXPAND_A%", nullptr, 0), 6u);
  EXPECT_EQ(ExpandEnvironmentStrings(nullptr, small, sizeof small), 0u);
}
