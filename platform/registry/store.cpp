// The SQLite store of one hive.
#include "registry/store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace omra::registry_detail {
namespace {

// Marks a database as a registry store ("OMRG"), so that another program's database is never taken
// for an empty hive and written into.
constexpr int kApplicationId = 0x4F4D5247;
constexpr int kBusyTimeoutMs = 10000;

class Statement {
 public:
  Statement(sqlite3 *db, const char *sql) : m_result(sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr)) {}
  ~Statement() { sqlite3_finalize(m_stmt); }
  Statement(const Statement &) = delete;
  Statement &operator=(const Statement &) = delete;

  bool ok() const { return m_result == SQLITE_OK; }
  int result() const { return m_result; }
  Statement &bind(int index, int64_t value) {
    if (ok()) m_result = sqlite3_bind_int64(m_stmt, index, value);
    return *this;
  }
  Statement &bind(int index, const std::string &text) {
    if (ok()) m_result = sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    return *this;
  }
  Statement &bind_blob(int index, const std::string &data) {
    // A zero-length blob is still a blob, not NULL.
    if (ok()) m_result = sqlite3_bind_blob(m_stmt, index, data.data() ? data.data() : "", static_cast<int>(data.size()), SQLITE_STATIC);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error.
  int step() { return ok() ? sqlite3_step(m_stmt) : m_result; }
  int64_t integer(int column) { return sqlite3_column_int64(m_stmt, column); }
  std::string text(int column) {
    const unsigned char *p = sqlite3_column_text(m_stmt, column);
    return p ? std::string(reinterpret_cast<const char *>(p), static_cast<size_t>(sqlite3_column_bytes(m_stmt, column))) : std::string();
  }
  std::string blob(int column) {
    const void *p = sqlite3_column_blob(m_stmt, column);
    return p ? std::string(static_cast<const char *>(p), static_cast<size_t>(sqlite3_column_bytes(m_stmt, column))) : std::string();
  }

 private:
  sqlite3_stmt *m_stmt = nullptr;
  int m_result;
};

LONG step_status(int rc) { return rc == SQLITE_ROW || rc == SQLITE_DONE ? ERROR_SUCCESS : status_of(rc); }

// Steps a "SELECT name, type, data" statement into *value; when there is no row, not_found.
LONG read_value(Statement &s, StoredValue *value, LONG not_found) {
  int rc = s.step();
  if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? not_found : status_of(rc);
  value->name = s.text(0);
  value->type = static_cast<DWORD>(s.integer(1));
  value->data = s.blob(2);
  return ERROR_SUCCESS;
}

}  // namespace

LONG status_of(int sqlite_result) {
  switch (sqlite_result & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return ERROR_SUCCESS;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_SCHEMA:
    case SQLITE_FORMAT:
      return ERROR_BADDB;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
      return ERROR_ACCESS_DENIED;
    case SQLITE_CANTOPEN:
      return ERROR_CANTOPEN;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ERROR_BUSY;
    case SQLITE_NOMEM:
      return ERROR_OUTOFMEMORY;
    case SQLITE_FULL:
      return ERROR_CANTWRITE;
    default:
      return ERROR_REGISTRY_IO_FAILED;
  }
}

HiveStore::HiveStore(const char *env_name, std::string (*fallback)())
    : m_env_name(env_name), m_fallback(fallback) {}

HiveStore::~HiveStore() { close(); }

void HiveStore::close() {
  if (m_db && m_pid == getpid()) sqlite3_close_v2(m_db);
  // A connection inherited over fork belongs to the parent; closing it here could checkpoint or
  // remove the parent's WAL file, so it is left alone.
  m_db = nullptr;
  m_read_only = false;
  m_missing = false;
}

LONG HiveStore::exec(const char *sql) {
  return status_of(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr));
}

LONG HiveStore::open(Mode mode) {
  const char *named = std::getenv(m_env_name);
  std::string path = named && *named ? std::string(named) : m_fallback();
  if (path.empty()) return ERROR_CANTOPEN;
  if ((m_db || m_missing) && (path != m_path || m_pid != getpid())) close();
  if (m_db) return mode == Mode::kWrite && m_read_only ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
  // A missing file is looked for again on every call: another process may have created it.
  m_missing = false;
  m_path = path;
  m_pid = getpid();
  return open_file(path, mode);
}

LONG HiveStore::open_file(const std::string &path, Mode mode) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) return errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_CANTOPEN;
    if (mode == Mode::kRead) {
      m_missing = true;
      return ERROR_SUCCESS;
    }
    std::error_code ignored;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty() && !std::filesystem::exists(parent, ignored)) {
      std::filesystem::create_directories(parent, ignored);
      chmod(parent.c_str(), 0700);
    }
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
    } else if (errno != EEXIST) {
      return errno == EACCES || errno == EROFS ? ERROR_ACCESS_DENIED : ERROR_CANTOPEN;
    }
  } else if (!S_ISREG(st.st_mode)) {
    return ERROR_CANTOPEN;
  }

  int rc = sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK || access(path.c_str(), W_OK) != 0) {
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    if (mode == Mode::kWrite) return ERROR_ACCESS_DENIED;
    rc = sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_close_v2(m_db);
      m_db = nullptr;
      return status_of(rc);
    }
    m_read_only = true;
  }
  sqlite3_busy_timeout(m_db, kBusyTimeoutMs);

  // Read before anything is written: a file that is not a database fails here, untouched. Both in one
  // read transaction, so that another process setting the store up is seen whole or not at all.
  int64_t application_id = 0, tables = 0;
  LONG status = read_identity(&application_id, &tables);
  if (status == ERROR_SUCCESS && application_id == 0 && tables == 0) {
    if (m_read_only) {
      // An empty file that may not be written: an empty hive.
      close();
      m_missing = true;
      m_pid = getpid();
      return ERROR_SUCCESS;
    }
    status = initialise();
  } else if (status == ERROR_SUCCESS && application_id != kApplicationId) {
    status = ERROR_BADDB;
  }
  if (status == ERROR_SUCCESS) {
    Statement check(m_db, "PRAGMA quick_check");
    rc = check.step();
    status = step_status(rc);
    if (rc == SQLITE_ROW && check.text(0) != "ok") status = ERROR_BADDB;
  }
  if (status == ERROR_SUCCESS && !m_read_only) {
    // NORMAL is durable against a killed process in WAL mode; only a power loss may lose the last
    // commits, and never leaves a half-written one.
    status = exec("PRAGMA journal_mode=WAL");
    if (status == ERROR_SUCCESS) status = exec("PRAGMA synchronous=NORMAL");
  }
  if (status != ERROR_SUCCESS) {
    close();
    return status;
  }
  if (mode == Mode::kWrite && m_read_only) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

LONG HiveStore::identity(int64_t *application_id, int64_t *tables) {
  LONG status;
  {
    Statement id(m_db, "PRAGMA application_id");
    int rc = id.step();
    status = step_status(rc);
    if (rc == SQLITE_ROW) *application_id = id.integer(0);
  }
  if (status == ERROR_SUCCESS) {
    Statement count(m_db, "SELECT count(*) FROM sqlite_master");
    int rc = count.step();
    status = step_status(rc);
    if (rc == SQLITE_ROW) *tables = count.integer(0);
  }
  return status;
}

LONG HiveStore::read_identity(int64_t *application_id, int64_t *tables) {
  LONG status = exec("BEGIN");
  if (status != ERROR_SUCCESS) return status;
  status = identity(application_id, tables);
  sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
  return status;
}

LONG HiveStore::initialise() {
  LONG status = exec("BEGIN IMMEDIATE");
  if (status != ERROR_SUCCESS) return status;
  // Another process may have set the store up while this one waited for the lock.
  int64_t application_id = 0, tables = 0;
  status = identity(&application_id, &tables);
  if (status == ERROR_SUCCESS && tables != 0 && application_id != kApplicationId) status = ERROR_BADDB;
  if (status == ERROR_SUCCESS && tables == 0) {
    status = exec(
        "PRAGMA application_id = 1330467399;"
        "PRAGMA user_version = 1;"
        "CREATE TABLE keys(id INTEGER PRIMARY KEY, parent INTEGER, name TEXT NOT NULL COLLATE NOCASE);"
        "CREATE UNIQUE INDEX keys_by_parent ON keys(parent, name);"
        "CREATE TABLE vals(id INTEGER PRIMARY KEY, key INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE,"
        " type INTEGER NOT NULL, data BLOB NOT NULL);"
        "CREATE UNIQUE INDEX vals_by_key ON vals(key, name);"
        "INSERT INTO keys(id, parent, name) VALUES(1, NULL, '');"
        "INSERT INTO keys(id, parent, name) VALUES(2, 1, 'SOFTWARE');"
        "INSERT INTO keys(id, parent, name) VALUES(3, 2, 'ODBC');");
  }
  return finish_write(status);
}

LONG HiveStore::begin_write() {
  LONG status = open(Mode::kWrite);
  if (status != ERROR_SUCCESS) return status;
  return exec("BEGIN IMMEDIATE");
}

LONG HiveStore::finish_write(LONG status) {
  if (status == ERROR_SUCCESS) {
    status = exec("COMMIT");
    if (status == ERROR_SUCCESS) return status;
  }
  sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
  return status;
}

LONG HiveStore::writable() { return open(Mode::kWrite); }

LONG HiveStore::find_child(KeyId parent, const std::string &name, KeyId *id) {
  Statement s(m_db, "SELECT id FROM keys WHERE parent = ? AND name = ?");
  s.bind(1, parent).bind(2, name);
  int rc = s.step();
  if (rc == SQLITE_ROW) {
    *id = s.integer(0);
    return ERROR_SUCCESS;
  }
  return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : status_of(rc);
}

LONG HiveStore::find(KeyId parent, const std::vector<std::string> &names, KeyId *id) {
  LONG status = open(Mode::kRead);
  if (status != ERROR_SUCCESS) return status;
  if (!m_db) {
    if (parent != kRootKey) return ERROR_KEY_DELETED;
    if (!names.empty()) return ERROR_FILE_NOT_FOUND;
    *id = kRootKey;
    return ERROR_SUCCESS;
  }
  KeyId at = parent;
  for (const std::string &name : names) {
    status = find_child(at, name, &at);
    if (status != ERROR_SUCCESS) return status;
  }
  *id = at;
  return ERROR_SUCCESS;
}

LONG HiveStore::create(KeyId parent, const std::vector<std::string> &names, KeyId *id, bool *created) {
  LONG status = begin_write();
  if (status != ERROR_SUCCESS) return status;
  status = exists(parent);
  KeyId at = parent;
  *created = false;
  for (size_t i = 0; status == ERROR_SUCCESS && i < names.size(); ++i) {
    status = find_child(at, names[i], &at);
    if (status == ERROR_FILE_NOT_FOUND) {
      Statement insert(m_db, "INSERT INTO keys(parent, name) VALUES(?, ?)");
      insert.bind(1, at).bind(2, names[i]);
      status = step_status(insert.step());
      at = sqlite3_last_insert_rowid(m_db);
      *created = true;
    } else {
      *created = false;
    }
  }
  status = finish_write(status);
  if (status == ERROR_SUCCESS) *id = at;
  return status;
}

LONG HiveStore::exists(KeyId id) {
  LONG status = open(Mode::kRead);
  if (status != ERROR_SUCCESS) return status;
  if (!m_db) return id == kRootKey ? ERROR_SUCCESS : ERROR_KEY_DELETED;
  Statement s(m_db, "SELECT 1 FROM keys WHERE id = ?");
  s.bind(1, id);
  int rc = s.step();
  if (rc == SQLITE_ROW) return ERROR_SUCCESS;
  return rc == SQLITE_DONE ? ERROR_KEY_DELETED : status_of(rc);
}

LONG HiveStore::subkey_at(KeyId id, DWORD index, std::string *name) {
  LONG status = exists(id);
  if (status != ERROR_SUCCESS) return status;
  if (!m_db) return ERROR_NO_MORE_ITEMS;
  Statement s(m_db, "SELECT name FROM keys WHERE parent = ? ORDER BY name LIMIT 1 OFFSET ?");
  s.bind(1, id).bind(2, static_cast<int64_t>(index));
  int rc = s.step();
  if (rc == SQLITE_ROW) {
    *name = s.text(0);
    return ERROR_SUCCESS;
  }
  return rc == SQLITE_DONE ? ERROR_NO_MORE_ITEMS : status_of(rc);
}

LONG HiveStore::subkey_names(KeyId id, std::vector<std::string> *names) {
  names->clear();
  LONG status = exists(id);
  if (status != ERROR_SUCCESS || !m_db) return status;
  Statement s(m_db, "SELECT name FROM keys WHERE parent = ? ORDER BY name");
  s.bind(1, id);
  int rc;
  while ((rc = s.step()) == SQLITE_ROW) names->push_back(s.text(0));
  return step_status(rc);
}

LONG HiveStore::value_at(KeyId id, DWORD index, StoredValue *value) {
  LONG status = exists(id);
  if (status != ERROR_SUCCESS) return status;
  if (!m_db) return ERROR_NO_MORE_ITEMS;
  Statement s(m_db, "SELECT name, type, data FROM vals WHERE key = ? ORDER BY id LIMIT 1 OFFSET ?");
  s.bind(1, id).bind(2, static_cast<int64_t>(index));
  return read_value(s, value, ERROR_NO_MORE_ITEMS);
}

LONG HiveStore::query(KeyId id, const std::string &name, StoredValue *value) {
  LONG status = exists(id);
  if (status != ERROR_SUCCESS) return status;
  if (!m_db) return ERROR_FILE_NOT_FOUND;
  Statement s(m_db, "SELECT name, type, data FROM vals WHERE key = ? AND name = ?");
  s.bind(1, id).bind(2, name);
  return read_value(s, value, ERROR_FILE_NOT_FOUND);
}

LONG HiveStore::set(KeyId id, const std::string &name, DWORD type, const std::string &data) {
  LONG status = begin_write();
  if (status != ERROR_SUCCESS) return status;
  status = exists(id);
  if (status == ERROR_SUCCESS) {
    // Rewriting a value keeps its row, and with it its place in the enumeration.
    Statement s(m_db,
                "INSERT INTO vals(key, name, type, data) VALUES(?, ?, ?, ?) "
                "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data");
    s.bind(1, id).bind(2, name).bind(3, static_cast<int64_t>(type)).bind_blob(4, data);
    status = step_status(s.step());
  }
  return finish_write(status);
}

LONG HiveStore::remove_key(KeyId parent, const std::string &name) {
  LONG status = begin_write();
  if (status != ERROR_SUCCESS) return status;
  KeyId id = 0;
  status = exists(parent);
  if (status == ERROR_SUCCESS) status = find_child(parent, name, &id);
  if (status == ERROR_SUCCESS) {
    Statement children(m_db, "SELECT 1 FROM keys WHERE parent = ? LIMIT 1");
    children.bind(1, id);
    int rc = children.step();
    status = rc == SQLITE_ROW ? ERROR_ACCESS_DENIED : step_status(rc);
  }
  if (status == ERROR_SUCCESS) {
    Statement values(m_db, "DELETE FROM vals WHERE key = ?");
    values.bind(1, id);
    status = step_status(values.step());
  }
  if (status == ERROR_SUCCESS) {
    Statement key(m_db, "DELETE FROM keys WHERE id = ?");
    key.bind(1, id);
    status = step_status(key.step());
  }
  return finish_write(status);
}

LONG HiveStore::remove_value(KeyId id, const std::string &name) {
  LONG status = begin_write();
  if (status != ERROR_SUCCESS) return status;
  status = exists(id);
  if (status == ERROR_SUCCESS) {
    Statement s(m_db, "DELETE FROM vals WHERE key = ? AND name = ?");
    s.bind(1, id).bind(2, name);
    status = step_status(s.step());
    if (status == ERROR_SUCCESS && sqlite3_changes(m_db) == 0) status = ERROR_FILE_NOT_FOUND;
  }
  return finish_write(status);
}

}  // namespace omra::registry_detail
