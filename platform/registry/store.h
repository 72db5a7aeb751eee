// One hive's SQLite store: keys as a tree of rows, values in creation order.
//
// The store is opened on first use and reopened when the file it names changes (the environment that
// names it was changed) or the process forked. Every write is one IMMEDIATE transaction in WAL mode,
// with a busy time-out, so that another process's writes wait instead of failing and a process killed
// at any moment leaves the last committed state. A file that is not a database, is another
// program's database or fails the integrity check is refused with ERROR_BADDB and never written.
#pragma once

#include <sqlite3.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "omraplatform/registry.h"

namespace omra::registry_detail {

using KeyId = int64_t;
constexpr KeyId kRootKey = 1;

struct StoredValue {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;
};

class HiveStore {
 public:
  // env_name: the variable that names the file; fallback: how to find it when that is unset.
  HiveStore(const char *env_name, std::string (*fallback)());
  ~HiveStore();
  HiveStore(const HiveStore &) = delete;
  HiveStore &operator=(const HiveStore &) = delete;

  // Whether the store may be written (tries to open it first).
  LONG writable();
  // Resolves names below parent; ERROR_FILE_NOT_FOUND when one is missing.
  LONG find(KeyId parent, const std::vector<std::string> &names, KeyId *id);
  // Creates the missing keys below parent in one transaction. created: whether the last one was new.
  LONG create(KeyId parent, const std::vector<std::string> &names, KeyId *id, bool *created);
  // ERROR_SUCCESS when the key still exists, ERROR_KEY_DELETED when another handle removed it.
  LONG exists(KeyId id);
  LONG subkey_at(KeyId id, DWORD index, std::string *name);
  LONG subkey_names(KeyId id, std::vector<std::string> *names);
  LONG value_at(KeyId id, DWORD index, StoredValue *value);
  LONG query(KeyId id, const std::string &name, StoredValue *value);
  LONG set(KeyId id, const std::string &name, DWORD type, const std::string &data);
  // Deletes the child named name of parent with its values; ERROR_ACCESS_DENIED while it has children.
  LONG remove_key(KeyId parent, const std::string &name);
  LONG remove_value(KeyId id, const std::string &name);

 private:
  enum class Mode { kRead, kWrite };
  LONG open(Mode mode);
  LONG open_file(const std::string &path, Mode mode);
  LONG identity(int64_t *application_id, int64_t *tables);
  LONG read_identity(int64_t *application_id, int64_t *tables);
  LONG initialise();
  void close();
  LONG exec(const char *sql);
  LONG begin_write();
  LONG finish_write(LONG status);
  LONG find_child(KeyId parent, const std::string &name, KeyId *id);

  const char *m_env_name;
  std::string (*m_fallback)();
  std::string m_path;
  pid_t m_pid = 0;
  sqlite3 *m_db = nullptr;
  bool m_read_only = false;
  bool m_missing = false;  // no file yet: reads see an empty hive, the first write creates it
};

// The result code for an SQLite result.
LONG status_of(int sqlite_result);

}  // namespace omra::registry_detail
