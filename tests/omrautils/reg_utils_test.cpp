// COmraRegUtils over the real SQLite store of the test's folder.
#include "omrautils/reg_utils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> items(const CStringList &list) {
  std::vector<std::string> out;
  for (POSITION pos = list.GetHeadPosition(); pos;) out.emplace_back(list.GetNext(pos));
  return out;
}

void put_raw(const char *sub, const char *name, DWORD type, const void *data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, name, 0, type, static_cast<const BYTE *>(data), size), ERROR_SUCCESS);
  RegCloseKey(key);
}

}  // namespace

TEST(COmraRegUtils, TheThreeFormsNameTheSameKey) {
  CString data = "one";
  ASSERT_TRUE(COmraRegUtils::PutRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\OMRA\\Forms", "value", &data));
  CString read;
  EXPECT_TRUE(COmraRegUtils::GetRegistryStringData("[HKEY_CURRENT_USER\\SOFTWARE\\OMRA\\Forms]", "value", &read));
  EXPECT_STREQ(read, "one");
  read = "stale";
  EXPECT_TRUE(COmraRegUtils::GetRegistryStringData("HKEY_CURRENT_USER", "SOFTWARE\\OMRA\\Forms", "VALUE", &read));
  EXPECT_STREQ(read, "one");
  read = "stale";
  EXPECT_TRUE(COmraRegUtils::GetRegistryStringData(HKEY_CURRENT_USER, "software\\omra\\forms", "Value", &read));
  EXPECT_STREQ(read, "one");
  EXPECT_TRUE(COmraRegUtils::KeyExists("[HKEY_CURRENT_USER\\SOFTWARE\\OMRA\\Forms"));
  EXPECT_TRUE(COmraRegUtils::KeyExists("HKEY_CURRENT_USER\\SOFTWARE\\OMRA\\Forms]"));
  EXPECT_TRUE(COmraRegUtils::KeyExists("HKEY_CURRENT_USER", "SOFTWARE\\OMRA\\Forms"));
  EXPECT_TRUE(COmraRegUtils::KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\OMRA\\Forms"));
  EXPECT_FALSE(COmraRegUtils::KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\OMRA\\Other"));
  EXPECT_FALSE(COmraRegUtils::KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE\\OMRA\\Forms"));
}

TEST(COmraRegUtils, RootNamesAreExactAndAloneNameTheRootKey) {
  CString data = "x";
  EXPECT_FALSE(COmraRegUtils::PutRegistryStringData("hkey_current_user\\SOFTWARE\\Lower", "v", &data));
  EXPECT_STREQ(data, "");
  EXPECT_FALSE(COmraRegUtils::CreateRegistryKey("Hkey_Current_User\\SOFTWARE\\Lower"));
  EXPECT_FALSE(COmraRegUtils::KeyExists("HKEY_CURRENT_USER", "SOFTWARE\\Lower"));
  data = "stale";
  EXPECT_FALSE(COmraRegUtils::GetRegistryStringData("HKCU", "SOFTWARE", "v", &data));
  EXPECT_STREQ(data, "");

  ASSERT_TRUE(COmraRegUtils::CreateRegistryKey("HKEY_CURRENT_USER\\Top Level"));
  CStringList keys;
  keys.AddTail("left over");
  ASSERT_TRUE(COmraRegUtils::EnumerateKeys("HKEY_CURRENT_USER", keys));
  EXPECT_EQ(items(keys), (std::vector<std::string>{"SOFTWARE", "Top Level"}));
  EXPECT_TRUE(COmraRegUtils::KeyExists("HKEY_CURRENT_USER"));
  // The roots without a store exist but take nothing.
  data = "x";
  EXPECT_FALSE(COmraRegUtils::PutRegistryStringData("HKEY_USERS\\S", "v", &data));
  EXPECT_STREQ(data, "");
}

TEST(COmraRegUtils, DefaultValuesExpandableStringsAndOtherTypes) {
  CString data = "the default";
  ASSERT_TRUE(COmraRegUtils::PutRegistryStringData(HKEY_CURRENT_USER, "SOFTWARE\\Types", "(Default)", &data));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\Types", 0, KEY_READ, &key), ERROR_SUCCESS);
  char raw[32];
  DWORD size = sizeof raw;
  EXPECT_EQ(RegQueryValueEx(key, "", nullptr, nullptr, reinterpret_cast<BYTE *>(raw), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 12u);  // written with its terminating zero
  RegCloseKey(key);
  for (const char *name : {"(default)", "(DEFAULT)", "(Default)", ""}) {
    CString read;
    EXPECT_TRUE(COmraRegUtils::GetRegistryStringData(HKEY_CURRENT_USER, "SOFTWARE\\Types", name, &read)) << name;
    EXPECT_STREQ(read, "the default") << name;
  }

  setenv("OMRA_REG_UTILS_HOME", "/home/tester", 1);
  const char expand[] = "%OMRA_REG_UTILS_HOME%\\data";
  put_raw("SOFTWARE\\Types", "expand", REG_EXPAND_SZ, expand, sizeof expand);
  CString read;
  EXPECT_TRUE(COmraRegUtils::GetRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Types", "expand", &read));
  EXPECT_STREQ(read, "/home/tester\\data");

  // An expansion longer than its 10,000-character buffer.
  setenv("OMRA_REG_UTILS_LONG", std::string(6000, 'l').c_str(), 1);
  const char twice[] = "%OMRA_REG_UTILS_LONG%%OMRA_REG_UTILS_LONG%";
  put_raw("SOFTWARE\\Types", "too long", REG_EXPAND_SZ, twice, sizeof twice);
  read = "stale";
  EXPECT_FALSE(COmraRegUtils::GetRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Types", "too long", &read));
  EXPECT_STREQ(read, "");

  const DWORD number = 7;
  put_raw("SOFTWARE\\Types", "number", REG_DWORD, &number, sizeof number);
  read = "stale";
  EXPECT_FALSE(COmraRegUtils::GetRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Types", "number", &read));
  EXPECT_STREQ(read, "");
  read = "stale";
  EXPECT_FALSE(COmraRegUtils::GetRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Types", "missing", &read));
  EXPECT_STREQ(read, "");
  // Stored without a terminating zero, the text ends with the data.
  put_raw("SOFTWARE\\Types", "bare", REG_SZ, "bare", 4);
  EXPECT_TRUE(COmraRegUtils::GetRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Types", "bare", &read));
  EXPECT_STREQ(read, "bare");
}

TEST(COmraRegUtils, TheOneThousandAndTwentyFourByteBuffers) {
  CString fits(std::string(1023, 'f'));
  ASSERT_TRUE(COmraRegUtils::PutRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Sizes", "fits", &fits));
  CString read;
  EXPECT_TRUE(COmraRegUtils::GetRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Sizes", "fits", &read));
  EXPECT_EQ(read.GetLength(), 1023);
  // Too long for the copy buffer: refused whole, not cut.
  CString too_long(std::string(1024, 't'));
  EXPECT_FALSE(COmraRegUtils::PutRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Sizes", "too long", &too_long));
  EXPECT_STREQ(too_long, "");
  EXPECT_FALSE(COmraRegUtils::GetRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Sizes", "too long", &read));
  // A longer value written by someone else cannot be read, and hides none of the values after it.
  std::string big(2000, 'b');
  put_raw("SOFTWARE\\Sizes", "big", REG_SZ, big.c_str(), static_cast<DWORD>(big.size() + 1));
  CString after = "after";
  ASSERT_TRUE(COmraRegUtils::PutRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Sizes", "after", &after));
  EXPECT_FALSE(COmraRegUtils::GetRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Sizes", "big", &read));
  CStringList names;
  ASSERT_TRUE(COmraRegUtils::EnumerateEntries("HKEY_CURRENT_USER\\SOFTWARE\\Sizes", names));
  EXPECT_EQ(items(names), (std::vector<std::string>{"fits", "big", "after"}));
  EXPECT_TRUE(COmraRegUtils::DeleteRegistryKeyData("HKEY_CURRENT_USER\\SOFTWARE\\Sizes", "AFTER"));
}

TEST(COmraRegUtils, DeletingKeysValuesAndSubkeys) {
  CString data = "v";
  for (const char *path : {"HKEY_CURRENT_USER\\SOFTWARE\\Del\\A\\A1", "HKEY_CURRENT_USER\\SOFTWARE\\Del\\A\\A2\\Deep",
                           "HKEY_CURRENT_USER\\SOFTWARE\\Del\\B"}) {
    data = "v";
    ASSERT_TRUE(COmraRegUtils::PutRegistryStringData(path, "v", &data)) << path;
  }
  data = "kept";
  ASSERT_TRUE(COmraRegUtils::PutRegistryStringData("HKEY_CURRENT_USER\\SOFTWARE\\Del", "own", &data));

  EXPECT_TRUE(COmraRegUtils::DeleteRegistryKeyData("HKEY_CURRENT_USER\\SOFTWARE\\Del\\B", "V"));
  EXPECT_FALSE(COmraRegUtils::DeleteRegistryKeyData("HKEY_CURRENT_USER", "SOFTWARE\\Del\\B", "v"));
  EXPECT_FALSE(COmraRegUtils::DeleteRegistryKeyData(HKEY_CURRENT_USER, "SOFTWARE\\Del\\Missing", "v"));

  EXPECT_TRUE(COmraRegUtils::DeleteRegistryKey("HKEY_CURRENT_USER\\SOFTWARE\\Del\\A"));
  EXPECT_FALSE(COmraRegUtils::KeyExists("HKEY_CURRENT_USER\\SOFTWARE\\Del\\A"));
  EXPECT_TRUE(COmraRegUtils::DeleteRegistryKey("HKEY_CURRENT_USER\\SOFTWARE\\Del\\Never There"));
  EXPECT_TRUE(COmraRegUtils::CreateRegistryKey("HKEY_CURRENT_USER\\SOFTWARE\\Del\\C\\C1"));
  EXPECT_TRUE(COmraRegUtils::DeleteSubKeys("HKEY_CURRENT_USER", "SOFTWARE\\Del"));
  CStringList keys, values;
  keys.AddTail("stale");
  EXPECT_TRUE(COmraRegUtils::EnumerateKeys(HKEY_CURRENT_USER, "SOFTWARE\\Del", keys));
  EXPECT_TRUE(keys.IsEmpty());
  EXPECT_TRUE(COmraRegUtils::EnumerateEntries(HKEY_CURRENT_USER, "SOFTWARE\\Del", values));
  EXPECT_EQ(items(values), std::vector<std::string>{"own"});
  EXPECT_FALSE(COmraRegUtils::DeleteSubKeys("HKEY_CURRENT_USER\\SOFTWARE\\Del\\Missing"));

  // A key that does not open: EnumerateKeys empties the list, EnumerateEntries leaves it.
  keys.AddTail("stale");
  values.AddTail("stale");
  EXPECT_FALSE(COmraRegUtils::EnumerateKeys("HKEY_CURRENT_USER\\SOFTWARE\\Missing", keys));
  EXPECT_FALSE(COmraRegUtils::EnumerateEntries("HKEY_CURRENT_USER\\SOFTWARE\\Missing", values));
  EXPECT_TRUE(keys.IsEmpty());
  EXPECT_EQ(items(values), (std::vector<std::string>{"own", "stale"}));
}

TEST(COmraRegUtils, CopyRegTreeCopiesStringsAndStopsAtTheFirstOtherValue) {
  CString data;
  for (const char *name : {"one", "two"}) {
    data = name;
    ASSERT_TRUE(COmraRegUtils::PutRegistryStringData(HKEY_CURRENT_USER, "SOFTWARE\\From", name, &data));
  }
  data = "deep";
  ASSERT_TRUE(COmraRegUtils::PutRegistryStringData(HKEY_CURRENT_USER, "SOFTWARE\\From\\Sub\\Deeper", "d", &data));
  ASSERT_TRUE(COmraRegUtils::CopyRegTree(HKEY_CURRENT_USER, "SOFTWARE\\From", "SOFTWARE\\To"));
  CString read;
  EXPECT_TRUE(COmraRegUtils::GetRegistryStringData(HKEY_CURRENT_USER, "SOFTWARE\\To", "two", &read));
  EXPECT_STREQ(read, "two");
  EXPECT_TRUE(COmraRegUtils::GetRegistryStringData(HKEY_CURRENT_USER, "SOFTWARE\\To\\Sub\\Deeper", "d", &read));
  EXPECT_STREQ(read, "deep");

  const DWORD number = 1;
  put_raw("SOFTWARE\\From", "number", REG_DWORD, &number, sizeof number);
  data = "after";
  ASSERT_TRUE(COmraRegUtils::PutRegistryStringData(HKEY_CURRENT_USER, "SOFTWARE\\From", "after", &data));
  EXPECT_FALSE(COmraRegUtils::CopyRegTree(HKEY_CURRENT_USER, "SOFTWARE\\From", "SOFTWARE\\Stopped"));
  CStringList names;
  ASSERT_TRUE(COmraRegUtils::EnumerateEntries(HKEY_CURRENT_USER, "SOFTWARE\\Stopped", names));
  EXPECT_EQ(items(names), (std::vector<std::string>{"one", "two"}));
  EXPECT_FALSE(COmraRegUtils::KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\Stopped\\Sub"));

  // Into its own subtree it would never end.
  EXPECT_FALSE(COmraRegUtils::CopyRegTree(HKEY_CURRENT_USER, "SOFTWARE\\To", "software\\to\\Inner"));
  EXPECT_FALSE(COmraRegUtils::KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\To\\Inner"));
}
