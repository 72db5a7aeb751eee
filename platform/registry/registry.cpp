// The registry API: handles, key paths, the ODBC mounts and the result codes, over the hive stores.
#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "omraplatform/registry.h"
#include "registry/odbc_ini.h"
#include "registry/store.h"

using namespace omra::registry_detail;

namespace {

constexpr size_t kMaxKeyName = 255;
constexpr size_t kMaxValueName = 16383;
constexpr size_t kMaxDepth = 512;

enum class Hive { kNone, kUser, kMachine };
enum class Kind { kStore, kIniRoot, kIniSection };

}  // namespace

struct omra_registry_key {
  Hive hive = Hive::kNone;
  Kind kind = Kind::kStore;
  KeyId id = kRootKey;
  IniFile file = IniFile::kUserDsn;
  std::string section;
  std::vector<std::string> path;  // from the hive's root
  REGSAM access = KEY_ALL_ACCESS;
};

namespace {

using Key = omra_registry_key;
using Path = std::vector<std::string>;

std::string user_store_path() {
  const char *config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config) return std::string(config) + "/omra/registry.db";
  const char *home = std::getenv("HOME");
  if (!home || !*home) {
    struct passwd *pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  return home ? std::string(home) + "/.config/omra/registry.db" : std::string();
}

std::string machine_store_path() { return "/etc/omra/registry.db"; }

struct Registry {
  std::mutex mutex;
  HiveStore user{"OMRA_USER_REGISTRY", user_store_path};
  HiveStore machine{"OMRA_MACHINE_REGISTRY", machine_store_path};
  std::unordered_set<Key *> open_keys;
  Key roots[7];
  Registry() {
    roots[1].hive = Hive::kUser;
    roots[2].hive = Hive::kMachine;
  }
};

Registry &registry() {
  static Registry *instance = new Registry;  // outlives every static destructor that may still call in
  return *instance;
}

HiveStore &store_of(const Key &key) {
  return key.hive == Hive::kUser ? registry().user : registry().machine;
}

Key *resolve(HKEY handle) {
  auto value = reinterpret_cast<UINT_PTR>(handle);
  if (value >= 0x80000000u && value <= 0x80000006u) return &registry().roots[value - 0x80000000u];
  auto it = registry().open_keys.find(handle);
  return it == registry().open_keys.end() ? nullptr : *it;
}

bool same_name(const std::string &a, const std::string &b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool name_less(const std::string &a, const std::string &b) { return strcasecmp(a.c_str(), b.c_str()) < 0; }

// Empty levels are skipped, so "a\\b" and "\a" name the same key as "a\b" and "a".
Path split(LPCTSTR sub_key) {
  Path names;
  if (!sub_key) return names;
  const char *p = sub_key;
  while (*p) {
    const char *end = std::strchr(p, '\\');
    size_t len = end ? static_cast<size_t>(end - p) : std::strlen(p);
    if (len) names.emplace_back(p, len);
    p += len;
    if (*p) ++p;
  }
  return names;
}

struct Mount {
  Hive hive;
  const char *name;
  IniFile file;
};
const Mount kMounts[] = {
    {Hive::kUser, "ODBC.INI", IniFile::kUserDsn},
    {Hive::kMachine, "ODBC.INI", IniFile::kSystemDsn},
    {Hive::kMachine, "ODBCINST.INI", IniFile::kDrivers},
};
const char *const kMountParent[] = {"SOFTWARE", "ODBC"};

bool is_mount_parent(const Path &path, size_t levels) {
  if (levels != 2 || path.size() < 2) return false;
  return same_name(path[0], kMountParent[0]) && same_name(path[1], kMountParent[1]);
}

// The mount that path lies in (path has at least the mount's three levels), or null.
const Mount *mount_of(Hive hive, const Path &path) {
  if (path.size() < 3 || !is_mount_parent(path, 2) || !odbc_ini_available()) return nullptr;
  for (const Mount &m : kMounts) {
    if (m.hive == hive && same_name(path[2], m.name)) return &m;
  }
  return nullptr;
}

// The mounts directly below path, when path is SOFTWARE\ODBC of a hive.
std::vector<std::string> mounts_below(Hive hive, const Path &path) {
  std::vector<std::string> names;
  if (path.size() != 2 || !is_mount_parent(path, 2) || !odbc_ini_available()) return names;
  for (const Mount &m : kMounts) {
    if (m.hive == hive) names.emplace_back(m.name);
  }
  return names;
}

// Whether path is SOFTWARE or SOFTWARE\ODBC of a hive that has mounts.
bool above_mount(Hive hive, const Path &path) {
  if (path.empty() || path.size() > 2 || !odbc_ini_available()) return false;
  if (!same_name(path[0], kMountParent[0]) || (path.size() == 2 && !same_name(path[1], kMountParent[1]))) {
    return false;
  }
  return std::any_of(std::begin(kMounts), std::end(kMounts), [&](const Mount &m) { return m.hive == hive; });
}

// The key's subkey names, when they have to be listed whole: the mounts beside the stored keys.
LONG merged_subkeys(const Key &key, std::vector<std::string> *names) {
  std::vector<std::string> mounts = mounts_below(key.hive, key.path);
  LONG status = store_of(key).subkey_names(key.id, names);
  if (status != ERROR_SUCCESS) return status;
  std::erase_if(*names, [&](const std::string &n) {
    return std::any_of(mounts.begin(), mounts.end(), [&](const std::string &m) { return same_name(n, m); });
  });
  names->insert(names->end(), mounts.begin(), mounts.end());
  std::stable_sort(names->begin(), names->end(), name_less);
  return ERROR_SUCCESS;
}

LONG find_section(IniFile file, const std::string &name, std::string *found) {
  std::vector<std::string> sections;
  LONG status = ini_sections(file, &sections);
  if (status != ERROR_SUCCESS) return status;
  for (const std::string &s : sections) {
    if (same_name(s, name)) {
      *found = s;
      return ERROR_SUCCESS;
    }
  }
  return ERROR_FILE_NOT_FOUND;
}

LONG find_entry(IniFile file, const std::string &section, const std::string &name, std::string *found) {
  std::vector<std::string> entries;
  LONG status = ini_entries(file, section, &entries);
  if (status != ERROR_SUCCESS) return status;
  for (const std::string &e : entries) {
    if (same_name(e, name)) {
      *found = e;
      return ERROR_SUCCESS;
    }
  }
  return ERROR_FILE_NOT_FOUND;
}

// Whether the key a handle names is still there.
LONG check_alive(const Key &key) {
  switch (key.kind) {
    case Kind::kStore:
      return key.hive == Hive::kNone ? ERROR_SUCCESS : store_of(key).exists(key.id);
    case Kind::kIniRoot:
      return ERROR_SUCCESS;
    case Kind::kIniSection: {
      std::string found;
      LONG status = find_section(key.file, key.section, &found);
      return status == ERROR_FILE_NOT_FOUND ? ERROR_KEY_DELETED : status;
    }
  }
  return ERROR_INVALID_HANDLE;
}

// Finds, or with create makes, the key names below base. created tells whether the last level is new.
LONG locate(const Key &base, const Path &names, bool create, Key *out, bool *created) {
  *created = false;
  Key result = base;
  result.path.insert(result.path.end(), names.begin(), names.end());
  if (result.path.size() > kMaxDepth) return ERROR_INVALID_PARAMETER;
  for (const std::string &n : names) {
    if (n.size() > kMaxKeyName) return create ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND;
  }
  LONG status = check_alive(base);
  if (status != ERROR_SUCCESS) return status;
  if (base.hive == Hive::kNone) {
    if (!names.empty()) return create ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
    *out = result;
    return ERROR_SUCCESS;
  }

  // Levels below the ini file of a mount: at most one, the section.
  auto in_ini = [&](IniFile file, const Path &rest) -> LONG {
    result.file = file;
    if (rest.empty()) {
      result.kind = Kind::kIniRoot;
      return ERROR_SUCCESS;
    }
    if (rest.size() > 1) return create ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
    result.kind = Kind::kIniSection;
    LONG found = find_section(file, rest[0], &result.section);
    if (found == ERROR_FILE_NOT_FOUND && create) {
      if (!ini_name_ok(rest[0])) return ERROR_INVALID_PARAMETER;
      found = ini_create_section(file, rest[0]);
      result.section = rest[0];
      *created = found == ERROR_SUCCESS;
    }
    return found;
  };

  if (base.kind == Kind::kIniSection) {
    if (!names.empty()) return create ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
  } else if (base.kind == Kind::kIniRoot) {
    status = in_ini(base.file, names);
  } else if (const Mount *mount = mount_of(base.hive, result.path)) {
    if (create) {
      // The stored parents of the mount, so that walking down from the root finds it. A machine store
      // that may not be written does not stop a write to the system's ini files.
      KeyId parent;
      bool made;
      Path parents(result.path.begin(), result.path.begin() + 2);
      if (store_of(base).find(kRootKey, parents, &parent) != ERROR_SUCCESS) {
        store_of(base).create(kRootKey, parents, &parent, &made);
      }
    }
    status = in_ini(mount->file, Path(result.path.begin() + 3, result.path.end()));
  } else if (create) {
    status = store_of(base).create(base.id, names, &result.id, created);
  } else {
    status = store_of(base).find(base.id, names, &result.id);
  }
  if (status == ERROR_SUCCESS) *out = result;
  return status;
}

HKEY new_handle(const Key &key, REGSAM access) {
  auto *handle = new Key(key);
  handle->access = access;
  registry().open_keys.insert(handle);
  return handle;
}

LONG copy_name(const std::string &name, LPTSTR out, LPDWORD length) {
  if (!out || !length) return ERROR_INVALID_PARAMETER;
  if (name.size() + 1 > *length) return ERROR_MORE_DATA;
  std::memcpy(out, name.c_str(), name.size() + 1);
  *length = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

LONG copy_data(const std::string &data, LPBYTE out, LPDWORD size) {
  if (!size) return out ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  DWORD needed = static_cast<DWORD>(data.size());
  if (out && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (out && needed) std::memcpy(out, data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

bool may(const Key &key, REGSAM right) { return (key.access & right) == right; }

bool wants_write(REGSAM access) {
  return (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK)) != 0;
}

// One value of a key, as the enumeration or a query by name sees it.
LONG read_value(const Key &key, DWORD index, const std::string *name, StoredValue *value) {
  switch (key.kind) {
    case Kind::kStore:
      if (key.hive == Hive::kNone) return name ? ERROR_FILE_NOT_FOUND : ERROR_NO_MORE_ITEMS;
      return name ? store_of(key).query(key.id, *name, value) : store_of(key).value_at(key.id, index, value);
    case Kind::kIniRoot:
      return name ? ERROR_FILE_NOT_FOUND : ERROR_NO_MORE_ITEMS;
    case Kind::kIniSection: {
      LONG status = check_alive(key);
      if (status != ERROR_SUCCESS) return status;
      if (name) {
        status = find_entry(key.file, key.section, *name, &value->name);
      } else {
        std::vector<std::string> entries;
        status = ini_entries(key.file, key.section, &entries);
        if (status == ERROR_SUCCESS && index >= entries.size()) status = ERROR_NO_MORE_ITEMS;
        if (status == ERROR_SUCCESS) value->name = entries[index];
      }
      if (status == ERROR_SUCCESS) status = ini_get(key.file, key.section, value->name, &value->data);
      if (status == ERROR_SUCCESS) {
        value->type = REG_SZ;
        value->data.push_back('\0');
      }
      return status;
    }
  }
  return ERROR_INVALID_HANDLE;
}

}  // namespace

LONG RegOpenKeyEx(HKEY key, LPCTSTR sub_key, DWORD options, REGSAM access, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::lock_guard lock(registry().mutex);
  Key *base = resolve(key);
  if (!base) return ERROR_INVALID_HANDLE;
  Key found;
  bool created;
  LONG status = locate(*base, split(sub_key), false, &found, &created);
  if (status != ERROR_SUCCESS) return status;
  if (found.kind == Kind::kStore && found.hive != Hive::kNone && wants_write(access)) {
    status = store_of(found).writable();
    if (status != ERROR_SUCCESS) return status;
  }
  *result = new_handle(found, access);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY key, LPCTSTR sub_key, DWORD reserved, LPTSTR key_class, DWORD options,
                    REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::lock_guard lock(registry().mutex);
  Key *base = resolve(key);
  if (!base) return ERROR_INVALID_HANDLE;
  Path names = split(sub_key);
  if (!names.empty() && !may(*base, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
  Key found;
  bool created = false;
  LONG status = locate(*base, names, true, &found, &created);
  if (status != ERROR_SUCCESS) return status;
  if (found.kind == Kind::kStore && found.hive != Hive::kNone && wants_write(access)) {
    status = store_of(found).writable();
    if (status != ERROR_SUCCESS) return status;
  }
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = new_handle(found, access);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  std::lock_guard lock(registry().mutex);
  auto value = reinterpret_cast<UINT_PTR>(key);
  if (value >= 0x80000000u && value <= 0x80000006u) return ERROR_SUCCESS;
  auto it = registry().open_keys.find(key);
  if (it == registry().open_keys.end()) return ERROR_INVALID_HANDLE;
  delete *it;
  registry().open_keys.erase(it);
  return ERROR_SUCCESS;
}

LONG RegEnumKeyEx(HKEY key, DWORD index, LPTSTR name, LPDWORD name_length, LPDWORD reserved,
                  LPTSTR key_class, LPDWORD class_length, PFILETIME last_write) {
  std::lock_guard lock(registry().mutex);
  Key *k = resolve(key);
  if (!k) return ERROR_INVALID_HANDLE;
  if (!name || !name_length) return ERROR_INVALID_PARAMETER;
  if (!may(*k, KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  std::string found;
  LONG status = ERROR_NO_MORE_ITEMS;
  if (k->kind == Kind::kStore && k->hive != Hive::kNone) {
    if (mounts_below(k->hive, k->path).empty()) {
      status = store_of(*k).subkey_at(k->id, index, &found);
    } else {
      std::vector<std::string> names;
      status = merged_subkeys(*k, &names);
      if (status == ERROR_SUCCESS) {
        if (index < names.size()) found = names[index];
        else status = ERROR_NO_MORE_ITEMS;
      }
    }
  } else if (k->kind == Kind::kIniRoot) {
    std::vector<std::string> sections;
    status = ini_sections(k->file, &sections);
    if (status == ERROR_SUCCESS) {
      std::stable_sort(sections.begin(), sections.end(), name_less);
      if (index < sections.size()) found = sections[index];
      else status = ERROR_NO_MORE_ITEMS;
    }
  } else if (k->kind == Kind::kIniSection) {
    status = check_alive(*k);
    if (status == ERROR_SUCCESS) status = ERROR_NO_MORE_ITEMS;
  }
  if (status != ERROR_SUCCESS) return status;
  status = copy_name(found, name, name_length);
  if (status != ERROR_SUCCESS) return status;
  if (key_class && class_length && *class_length) key_class[0] = '\0';
  if (class_length) *class_length = 0;
  if (last_write) *last_write = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG RegEnumValue(HKEY key, DWORD index, LPTSTR name, LPDWORD name_length, LPDWORD reserved,
                  LPDWORD type, LPBYTE data, LPDWORD data_size) {
  std::lock_guard lock(registry().mutex);
  Key *k = resolve(key);
  if (!k) return ERROR_INVALID_HANDLE;
  if (!name || !name_length || (data && !data_size)) return ERROR_INVALID_PARAMETER;
  if (!may(*k, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  StoredValue value;
  LONG status = read_value(*k, index, nullptr, &value);
  if (status != ERROR_SUCCESS) return status;
  status = copy_name(value.name, name, name_length);
  if (status != ERROR_SUCCESS) return status;
  if (type) *type = value.type;
  return copy_data(value.data, data, data_size);
}

LONG RegQueryValueEx(HKEY key, LPCTSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                     LPDWORD data_size) {
  std::lock_guard lock(registry().mutex);
  Key *k = resolve(key);
  if (!k) return ERROR_INVALID_HANDLE;
  if (data && !data_size) return ERROR_INVALID_PARAMETER;
  if (!may(*k, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  std::string wanted = name ? name : "";
  StoredValue value;
  LONG status = read_value(*k, 0, &wanted, &value);
  if (status != ERROR_SUCCESS) return status;
  if (type) *type = value.type;
  return copy_data(value.data, data, data_size);
}

LONG RegSetValueEx(HKEY key, LPCTSTR name, DWORD reserved, DWORD type, const BYTE *data,
                   DWORD data_size) {
  std::lock_guard lock(registry().mutex);
  Key *k = resolve(key);
  if (!k) return ERROR_INVALID_HANDLE;
  if (!data && data_size) return ERROR_INVALID_PARAMETER;
  if (!may(*k, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::string value_name = name ? name : "";
  if (value_name.size() > kMaxValueName) return ERROR_INVALID_PARAMETER;
  std::string bytes(reinterpret_cast<const char *>(data ? data : reinterpret_cast<const BYTE *>("")), data_size);
  switch (k->kind) {
    case Kind::kStore:
      if (k->hive == Hive::kNone) return ERROR_ACCESS_DENIED;
      return store_of(*k).set(k->id, value_name, type, bytes);
    case Kind::kIniRoot:
      return ERROR_INVALID_PARAMETER;
    case Kind::kIniSection: {
      if (type != REG_SZ || !ini_name_ok(value_name)) return ERROR_INVALID_PARAMETER;
      if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
      if (!ini_text_ok(bytes)) return ERROR_INVALID_PARAMETER;
      LONG status = check_alive(*k);
      if (status != ERROR_SUCCESS) return status;
      // An entry already there keeps the spelling of its name.
      std::string existing;
      if (find_entry(k->file, k->section, value_name, &existing) == ERROR_SUCCESS) value_name = existing;
      return ini_write(k->file, k->section, value_name.c_str(), bytes.c_str());
    }
  }
  return ERROR_INVALID_HANDLE;
}

LONG RegDeleteKey(HKEY key, LPCTSTR sub_key) {
  std::lock_guard lock(registry().mutex);
  Key *k = resolve(key);
  if (!k) return ERROR_INVALID_HANDLE;
  LONG status = check_alive(*k);
  if (status != ERROR_SUCCESS) return status;
  Path full = k->path;
  Path names = split(sub_key);
  full.insert(full.end(), names.begin(), names.end());
  if (full.empty() || k->hive == Hive::kNone) return ERROR_ACCESS_DENIED;

  if (const Mount *mount = mount_of(k->hive, full)) {
    if (full.size() == 3) return ERROR_ACCESS_DENIED;  // the ini file itself
    if (full.size() > 4) return ERROR_FILE_NOT_FOUND;
    std::string section;
    status = find_section(mount->file, full[3], &section);
    if (status != ERROR_SUCCESS) return status;
    return ini_write(mount->file, section, nullptr, nullptr);
  }
  // A key that a mount lies below always has that subkey.
  if (above_mount(k->hive, full)) return ERROR_ACCESS_DENIED;
  KeyId parent;
  HiveStore &store = store_of(*k);
  status = store.find(kRootKey, Path(full.begin(), full.end() - 1), &parent);
  if (status != ERROR_SUCCESS) return status;
  return store.remove_key(parent, full.back());
}

LONG RegDeleteValue(HKEY key, LPCTSTR name) {
  std::lock_guard lock(registry().mutex);
  Key *k = resolve(key);
  if (!k) return ERROR_INVALID_HANDLE;
  if (!may(*k, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::string value_name = name ? name : "";
  switch (k->kind) {
    case Kind::kStore:
      if (k->hive == Hive::kNone) return ERROR_FILE_NOT_FOUND;
      return store_of(*k).remove_value(k->id, value_name);
    case Kind::kIniRoot:
      return ERROR_FILE_NOT_FOUND;
    case Kind::kIniSection: {
      LONG status = check_alive(*k);
      if (status != ERROR_SUCCESS) return status;
      std::string existing;
      status = find_entry(k->file, k->section, value_name, &existing);
      if (status != ERROR_SUCCESS) return status;
      return ini_write(k->file, k->section, existing.c_str(), nullptr);
    }
  }
  return ERROR_INVALID_HANDLE;
}
