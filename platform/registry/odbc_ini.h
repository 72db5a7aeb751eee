// The ODBC subtrees of the registry on unixODBC's own files, through its profile functions, so that a
// data source written here is the one the driver manager and odbcinst see. unixODBC's installer library
// is loaded on first use; $OMRA_ODBCINST_LIBRARY names another file to load instead ("none": load
// nothing, which keeps the subtrees in the SQLite store).
#pragma once

#include <string>
#include <vector>

#include "omraplatform/registry.h"

namespace omra::registry_detail {

enum class IniFile { kUserDsn, kSystemDsn, kDrivers };

// Whether unixODBC's installer library is there (loaded on the first call).
bool odbc_ini_available();

// Sections in file order; entries of one section in file order.
LONG ini_sections(IniFile file, std::vector<std::string> *sections);
LONG ini_entries(IniFile file, const std::string &section, std::vector<std::string> *entries);
LONG ini_get(IniFile file, const std::string &section, const std::string &entry, std::string *text);
// A section is created empty; entry null deletes the section, text null deletes the entry.
LONG ini_create_section(IniFile file, const std::string &section);
LONG ini_write(IniFile file, const std::string &section, const char *entry, const char *text);

// Whether a section name, entry name or entry text survives a round trip through an ini file.
bool ini_name_ok(const std::string &name);
bool ini_text_ok(const std::string &text);

}  // namespace omra::registry_detail
