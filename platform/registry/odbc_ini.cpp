// unixODBC's profile functions, loaded with dlopen.
#include "registry/odbc_ini.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace omra::registry_detail {
namespace {

typedef int (*GetProfileFn)(const char *, const char *, const char *, char *, int, const char *);
typedef int (*WriteProfileFn)(const char *, const char *, const char *, const char *);
typedef int (*SetModeFn)(unsigned short);
typedef int (*GetModeFn)(unsigned short *);
typedef char *(*SystemPathFn)(char *);

constexpr unsigned short kUserDsnMode = 1;    // ODBC_USER_DSN
constexpr unsigned short kSystemDsnMode = 2;  // ODBC_SYSTEM_DSN
// unixODBC keeps entries in 1,000-byte buffers and cuts longer ones into pieces.
constexpr size_t kMaxIniText = 990;
// unixODBC caches what SQLGetPrivateProfileString returned, cut to the caller's buffer; reading
// always with the same, ample buffer keeps a shortened copy out of that cache.
constexpr int kValueBuffer = 4096;
constexpr size_t kMaxListBuffer = 16u << 20;

struct Installer {
  void *library = nullptr;
  GetProfileFn get = nullptr;
  WriteProfileFn write = nullptr;
  SetModeFn set_mode = nullptr;
  GetModeFn get_mode = nullptr;
  SystemPathFn system_path = nullptr;  // optional
};

const Installer &installer() {
  static Installer loaded;
  static std::once_flag once;
  std::call_once(once, [] {
    const char *name = std::getenv("OMRA_ODBCINST_LIBRARY");
    if (!name || !*name) name = "libodbcinst.so.2";
    if (std::strcmp(name, "none") == 0) return;
    void *library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (!library) return;
    Installer found;
    found.library = library;
    found.get = reinterpret_cast<GetProfileFn>(dlsym(library, "SQLGetPrivateProfileString"));
    found.write = reinterpret_cast<WriteProfileFn>(dlsym(library, "SQLWritePrivateProfileString"));
    found.set_mode = reinterpret_cast<SetModeFn>(dlsym(library, "SQLSetConfigMode"));
    found.get_mode = reinterpret_cast<GetModeFn>(dlsym(library, "SQLGetConfigMode"));
    found.system_path = reinterpret_cast<SystemPathFn>(dlsym(library, "odbcinst_system_file_path"));
    if (found.get && found.write && found.set_mode && found.get_mode) {
      loaded = found;
    } else {
      dlclose(library);
    }
  });
  return loaded;
}

const char *file_name(IniFile file) { return file == IniFile::kDrivers ? "odbcinst.ini" : "odbc.ini"; }

// Runs one profile call in the configuration mode of the file, and puts the process's mode back.
template <typename Fn>
auto in_mode(IniFile file, Fn fn) {
  const Installer &lib = installer();
  unsigned short saved = 0;
  bool have_saved = lib.get_mode(&saved) != 0;
  lib.set_mode(file == IniFile::kSystemDsn ? kSystemDsnMode : kUserDsnMode);
  auto result = fn(lib);
  if (have_saved) lib.set_mode(saved);
  return result;
}

// A list of zero-terminated names ending with an empty one, as the profile functions return it.
LONG read_list(IniFile file, const char *section, std::vector<std::string> *names) {
  names->clear();
  std::string buffer;
  for (size_t size = 64u << 10; size <= kMaxListBuffer; size *= 2) {
    buffer.assign(size, '\0');
    int n = in_mode(file, [&](const Installer &lib) {
      return lib.get(section, nullptr, "", buffer.data(), static_cast<int>(size), file_name(file));
    });
    if (n < 0) return ERROR_CANTREAD;
    // A list cut short to the buffer fills it to within one name's length; read it again, larger.
    if (static_cast<size_t>(n) + kMaxIniText + 16 >= size) continue;
    for (size_t at = 0; at < static_cast<size_t>(n) && buffer[at] != '\0';) {
      size_t len = std::strlen(buffer.data() + at);
      names->emplace_back(buffer.data() + at, len);
      at += len + 1;
    }
    return ERROR_SUCCESS;
  }
  return ERROR_OUTOFMEMORY;
}

}  // namespace

bool odbc_ini_available() { return installer().library != nullptr; }

LONG ini_sections(IniFile file, std::vector<std::string> *sections) {
  return read_list(file, nullptr, sections);
}

LONG ini_entries(IniFile file, const std::string &section, std::vector<std::string> *entries) {
  return read_list(file, section.c_str(), entries);
}

LONG ini_get(IniFile file, const std::string &section, const std::string &entry, std::string *text) {
  std::string buffer(kValueBuffer, '\0');
  int n = in_mode(file, [&](const Installer &lib) {
    return lib.get(section.c_str(), entry.c_str(), "", buffer.data(), kValueBuffer, file_name(file));
  });
  if (n < 0) return ERROR_CANTREAD;
  text->assign(buffer.data(), std::strlen(buffer.data()));
  return ERROR_SUCCESS;
}

LONG ini_create_section(IniFile file, const std::string &section) {
  // The profile functions make a section only together with an entry: write a placeholder entry and
  // take it away again, which leaves the empty section.
  static const char kPlaceholder[] = "omra-new-section";
  LONG status = ini_write(file, section, kPlaceholder, "");
  if (status == ERROR_SUCCESS) status = ini_write(file, section, kPlaceholder, nullptr);
  return status;
}

// unixODBC writes into the system odbc.ini only when the file is there already; the user's file and
// odbcinst.ini it creates itself.
bool create_system_file() {
  const Installer &lib = installer();
  if (!lib.system_path) return false;
  char directory[4097] = {0};
  if (!lib.system_path(directory) || !directory[0]) return false;
  std::string path = std::string(directory) + "/odbc.ini";
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

LONG ini_write(IniFile file, const std::string &section, const char *entry, const char *text) {
  auto write = [&] {
    return in_mode(file, [&](const Installer &lib) {
      return lib.write(section.c_str(), entry, text, file_name(file));
    });
  };
  int ok = write();
  if (!ok && file == IniFile::kSystemDsn && entry && text && create_system_file()) ok = write();
  return ok ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

bool ini_text_ok(const std::string &text) {
  if (text.size() > kMaxIniText) return false;
  if (text.find_first_of("\r\n", 0) != std::string::npos || text.find('\0') != std::string::npos) return false;
  // The files keep no blanks around an entry's text.
  return text.empty() || (!std::isspace(static_cast<unsigned char>(text.front())) &&
                          !std::isspace(static_cast<unsigned char>(text.back())));
}

bool ini_name_ok(const std::string &name) {
  if (name.empty() || !ini_text_ok(name)) return false;
  // Brackets end a section name, = ends an entry name, # and ; begin comments.
  return name.find_first_of("[]=") == std::string::npos && name.front() != '#' && name.front() != ';';
}

}  // namespace omra::registry_detail
