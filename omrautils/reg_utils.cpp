// COmraRegUtils: the full-path form splits the path and calls the root-name form, which maps the root
// name and calls the handle form, which does the work.
#include "omrautils/reg_utils.h"

#include <strings.h>

#include <cstring>

#include "omrautils/string_utils.h"

namespace {

// Names, values and their data are read through buffers of this size; an expansion through a larger one.
constexpr DWORD kBufferSize = 1024;
constexpr DWORD kExpandSize = 10000;
// Deeper than the registry lets keys nest: a copy or deletion never recurses past it.
constexpr int kMaxDepth = 512;

struct RootName {
  const char *name;
  HKEY key;
};
const RootName kRoots[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},     {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},   {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}, {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
    {"HKEY_DYN_DATA", HKEY_DYN_DATA},
};

// Root names compare exactly, letter case included.
HKEY root_key(const CString &root) {
  for (const RootName &r : kRoots) {
    if (root == r.name) return r.key;
  }
  return nullptr;
}

// Splits "[ROOT\sub\path]" into the root name and the subkey path.
void split_path(CString path, CString *root, CString *sub) {
  if (!path.IsEmpty() && path[0] == '[') path.Delete(0);
  if (!path.IsEmpty() && path[path.GetLength() - 1] == ']') path.Delete(path.GetLength() - 1);
  int slash = path.Find('\\');
  if (slash < 0) {
    *root = path;
    sub->Empty();
  } else {
    *root = path.Left(slash);
    *sub = path.Mid(slash + 1);
  }
}

CString value_name(CString name) {
  CString lower = name;
  lower.MakeLower();
  return lower == "(default)" ? CString() : name;
}

class OpenKey {
 public:
  OpenKey(HKEY parent, const CString &sub, REGSAM access)
      : m_ok(RegOpenKeyEx(parent, sub, 0, access, &m_key) == ERROR_SUCCESS) {}
  ~OpenKey() {
    if (m_ok) RegCloseKey(m_key);
  }
  OpenKey(const OpenKey &) = delete;
  OpenKey &operator=(const OpenKey &) = delete;
  bool ok() const { return m_ok; }
  HKEY get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
  bool m_ok;
};

// The value names of an open key, in order. A name that does not fit the buffer is passed over, so
// that the values after it are still seen.
void list_value_names(HKEY key, CStringList &list) {
  for (DWORD index = 0;; ++index) {
    char name[kBufferSize];
    DWORD length = kBufferSize;
    LONG status = RegEnumValue(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) break;
    list.AddTail(CString(name, static_cast<int>(length)));
  }
}

// The levels of a key path; empty levels are skipped as the registry skips them.
void split_levels(const CString &path, CStringList &levels) {
  CString rest = path;
  while (!rest.IsEmpty()) {
    int slash = rest.Find('\\');
    CString level = slash < 0 ? rest : rest.Left(slash);
    rest = slash < 0 ? CString() : rest.Mid(slash + 1);
    if (!level.IsEmpty()) levels.AddTail(level);
  }
}

// Whether the path inner lies strictly below the path outer (levels compared without regard to case).
bool lies_below(const CString &outer, const CString &inner) {
  CStringList outer_levels, inner_levels;
  split_levels(outer, outer_levels);
  split_levels(inner, inner_levels);
  if (inner_levels.GetCount() <= outer_levels.GetCount()) return false;
  POSITION o = outer_levels.GetHeadPosition(), i = inner_levels.GetHeadPosition();
  while (o) {
    if (outer_levels.GetNext(o).CompareNoCase(inner_levels.GetNext(i)) != 0) return false;
  }
  return true;
}

}  // namespace

// Full-path forms.

bool COmraRegUtils::CreateRegistryKey(CString path) {
  CString root, sub;
  split_path(path, &root, &sub);
  return CreateRegistryKey(root, sub);
}

bool COmraRegUtils::DeleteRegistryKey(CString path) {
  CString root, sub;
  split_path(path, &root, &sub);
  return DeleteRegistryKey(root, sub);
}

bool COmraRegUtils::DeleteRegistryKeyData(CString path, CString name) {
  CString root, sub;
  split_path(path, &root, &sub);
  return DeleteRegistryKeyData(root, sub, name);
}

bool COmraRegUtils::GetRegistryStringData(CString path, CString name, CString *data) {
  CString root, sub;
  split_path(path, &root, &sub);
  return GetRegistryStringData(root, sub, name, data);
}

bool COmraRegUtils::PutRegistryStringData(CString path, CString name, CString *data) {
  CString root, sub;
  split_path(path, &root, &sub);
  return PutRegistryStringData(root, sub, name, data);
}

bool COmraRegUtils::KeyExists(CString path) {
  CString root, sub;
  split_path(path, &root, &sub);
  return KeyExists(root, sub);
}

bool COmraRegUtils::EnumerateKeys(CString path, CStringList &list) {
  CString root, sub;
  split_path(path, &root, &sub);
  return EnumerateKeys(root, sub, list);
}

bool COmraRegUtils::EnumerateEntries(CString path, CStringList &list) {
  CString root, sub;
  split_path(path, &root, &sub);
  return EnumerateEntries(root, sub, list);
}

bool COmraRegUtils::DeleteSubKeys(CString path) {
  CString root, sub;
  split_path(path, &root, &sub);
  return DeleteSubKeys(root, sub);
}

// Root-name forms.

bool COmraRegUtils::CreateRegistryKey(CString root, CString sub) {
  HKEY key = root_key(root);
  return key && CreateRegistryKey(key, sub);
}

bool COmraRegUtils::DeleteRegistryKey(CString root, CString sub) {
  HKEY key = root_key(root);
  return key && DeleteRegistryKey(key, sub);
}

bool COmraRegUtils::DeleteRegistryKeyData(CString root, CString sub, CString name) {
  HKEY key = root_key(root);
  return key && DeleteRegistryKeyData(key, sub, name);
}

bool COmraRegUtils::GetRegistryStringData(CString root, CString sub, CString name, CString *data) {
  HKEY key = root_key(root);
  if (!key) {
    if (data) data->Empty();
    return false;
  }
  return GetRegistryStringData(key, sub, name, data);
}

bool COmraRegUtils::PutRegistryStringData(CString root, CString sub, CString name, CString *data) {
  HKEY key = root_key(root);
  if (!key) {
    if (data) data->Empty();
    return false;
  }
  return PutRegistryStringData(key, sub, name, data);
}

bool COmraRegUtils::KeyExists(CString root, CString sub) {
  HKEY key = root_key(root);
  return key && KeyExists(key, sub);
}

bool COmraRegUtils::EnumerateKeys(CString root, CString sub, CStringList &list) {
  HKEY key = root_key(root);
  return key && EnumerateKeys(key, sub, list);
}

bool COmraRegUtils::EnumerateEntries(CString root, CString sub, CStringList &list) {
  HKEY key = root_key(root);
  return key && EnumerateEntries(key, sub, list);
}

bool COmraRegUtils::DeleteSubKeys(CString root, CString sub) {
  HKEY key = root_key(root);
  return key && DeleteSubKeys(key, sub);
}

// Handle forms.

bool COmraRegUtils::CreateRegistryKey(HKEY hkey, CString sub, HKEY *opened) {
  DWORD disposition = 0;
  return RegCreateKeyEx(hkey, sub, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, opened,
                        &disposition) == ERROR_SUCCESS;
}

bool COmraRegUtils::CreateRegistryKey(HKEY hkey, CString sub) {
  HKEY opened = nullptr;
  if (!CreateRegistryKey(hkey, sub, &opened)) return false;
  RegCloseKey(opened);
  return true;
}

bool COmraRegUtils::KeyExists(HKEY hkey, CString sub) { return OpenKey(hkey, sub, KEY_READ).ok(); }

bool COmraRegUtils::DeleteRegistryKey(HKEY hkey, CString sub) {
  DeleteSubKeys(hkey, sub);
  RegDeleteKey(hkey, sub);
  return true;
}

bool COmraRegUtils::DeleteSubKeys(HKEY hkey, CString sub) {
  CStringList names;
  if (!EnumerateKeys(hkey, sub, names)) return false;
  for (POSITION pos = names.GetHeadPosition(); pos;) {
    DeleteRegistryKey(hkey, COmraStringUtils::PathConcatonate(sub, names.GetNext(pos)));
  }
  return true;
}

bool COmraRegUtils::DeleteRegistryKeyData(HKEY hkey, CString sub, CString name) {
  name = value_name(name);
  OpenKey key(hkey, sub, KEY_ALL_ACCESS);
  if (!key.ok()) return false;
  CStringList names;
  list_value_names(key.get(), names);
  for (POSITION pos = names.GetHeadPosition(); pos;) {
    if (names.GetNext(pos).CompareNoCase(name) == 0) {
      RegDeleteValue(key.get(), name);
      return true;
    }
  }
  return false;
}

bool COmraRegUtils::GetRegistryStringData(HKEY hkey, CString sub, CString name, CString *data) {
  if (!data) return false;
  data->Empty();
  name = value_name(name);
  OpenKey key(hkey, sub, KEY_READ);
  if (!key.ok()) return false;
  // The registry matches value names without regard to case, as the lookup must.
  char buffer[kBufferSize];
  DWORD size = kBufferSize;
  DWORD type = REG_NONE;
  if (RegQueryValueEx(key.get(), name, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size) != ERROR_SUCCESS) {
    return false;
  }
  // The text ends at the first zero or at the end of the data, whichever comes first.
  CString text(buffer, static_cast<int>(strnlen(buffer, size)));
  if (type == REG_SZ) {
    *data = text;
    return true;
  }
  if (type == REG_EXPAND_SZ) {
    char expanded[kExpandSize];
    DWORD needed = ExpandEnvironmentStrings(text, expanded, kExpandSize);
    if (needed == 0 || needed > kExpandSize) return false;
    *data = expanded;
    return true;
  }
  return false;
}

bool COmraRegUtils::PutRegistryStringData(HKEY hkey, CString sub, CString name, CString *data) {
  if (!data) return false;
  name = value_name(name);
  LPCTSTR text = *data;
  size_t length = std::strlen(text);
  HKEY opened = nullptr;
  // A text that does not fit the copy buffer is refused whole rather than cut.
  if (length >= kBufferSize || !CreateRegistryKey(hkey, sub, &opened)) {
    data->Empty();
    return false;
  }
  char buffer[kBufferSize];
  std::memcpy(buffer, text, length + 1);
  LONG status = RegSetValueEx(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(buffer),
                              static_cast<DWORD>(length + 1));
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS) {
    data->Empty();
    return false;
  }
  return true;
}

bool COmraRegUtils::EnumerateKeys(HKEY hkey, CString sub, CStringList &list) {
  list.RemoveAll();
  OpenKey key(hkey, sub, KEY_READ);
  if (!key.ok()) return false;
  for (DWORD index = 0;; ++index) {
    char name[kBufferSize];
    DWORD length = kBufferSize;
    LONG status = RegEnumKeyEx(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) break;
    list.AddTail(CString(name, static_cast<int>(length)));
  }
  return true;
}

bool COmraRegUtils::EnumerateEntries(HKEY hkey, CString sub, CStringList &list) {
  OpenKey key(hkey, sub, KEY_READ);
  if (!key.ok()) return false;
  list.RemoveAll();
  list_value_names(key.get(), list);
  return true;
}

bool COmraRegUtils::CopyRegTree(HKEY hkey, CString from, CString to) {
  // A target inside the source would be copied into itself without end.
  if (lies_below(from, to)) return false;
  return CopyRegTree(hkey, from, to, 0);
}

bool COmraRegUtils::CopyRegTree(HKEY hkey, CString from, CString to, int depth) {
  if (depth > kMaxDepth || !CreateRegistryKey(hkey, to)) return false;
  CStringList names;
  if (!EnumerateEntries(hkey, from, names)) return false;
  for (POSITION pos = names.GetHeadPosition(); pos;) {
    CString name = names.GetNext(pos);
    CString data;
    if (!GetRegistryStringData(hkey, from, name, &data)) return false;
    if (!PutRegistryStringData(hkey, to, name, &data)) return false;
  }
  CStringList keys;
  if (!EnumerateKeys(hkey, from, keys)) return false;
  for (POSITION pos = keys.GetHeadPosition(); pos;) {
    CString name = keys.GetNext(pos);
    if (!CopyRegTree(hkey, COmraStringUtils::PathConcatonate(from, name),
                     COmraStringUtils::PathConcatonate(to, name), depth + 1)) {
      return false;
    }
  }
  return true;
}
