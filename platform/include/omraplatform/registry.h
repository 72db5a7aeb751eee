// The registry: a Win32-shaped API over one SQLite store per hive, with the ODBC subtrees mounted on
// unixODBC's own files.
//
// Conventions:
// - Every function returns a Win32 result code: ERROR_SUCCESS (0) or the reason it failed. Nothing is
//   thrown. A handle that is not open gives ERROR_INVALID_HANDLE.
// - Key and value names compare without regard to case (ASCII letters); subkeys enumerate in name
//   order without regard to case, values in the order they were created (rewriting a value keeps its
//   place). A subkey path uses "\" between levels; empty levels ("a\\b", a leading "\") are ignored.
// - Sizes: name counts are in characters and include room for the terminating zero on the way in, and
//   exclude it on the way out; data counts are in bytes. A buffer that is too small gives
//   ERROR_MORE_DATA, and for data the size needed is stored in *data_size.
// - Data comes back exactly as written: a REG_SZ written without its terminating zero comes back without.
// - Handles from RegOpenKeyEx and RegCreateKeyEx belong to the caller and are released with RegCloseKey;
//   the predefined roots need no closing (closing them is a harmless no-op).
// - HKEY_CURRENT_USER is kept in $OMRA_USER_REGISTRY, else $XDG_CONFIG_HOME/omra/registry.db, else
//   ~/.config/omra/registry.db (created with mode 0600); HKEY_LOCAL_MACHINE in $OMRA_MACHINE_REGISTRY,
//   else /etc/omra/registry.db, writable by whoever may write the file. The other roots hold nothing:
//   their keys cannot be opened or created. A store that cannot be opened or is not a registry store
//   gives ERROR_ACCESS_DENIED, ERROR_CANTOPEN or ERROR_BADDB and is never written.
// - HKEY_CURRENT_USER\SOFTWARE\ODBC\ODBC.INI is the user's odbc.ini,
//   HKEY_LOCAL_MACHINE\SOFTWARE\ODBC\ODBC.INI the system odbc.ini and HKEY_LOCAL_MACHINE\SOFTWARE\ODBC\ODBCINST.INI the odbcinst.ini that
//   unixODBC uses (ODBCINI, ODBCSYSINI, ODBCINSTINI): a subkey is a section, a REG_SZ value an entry.
//   Only what an ini file can hold is accepted there (string values on the sections; no line breaks,
//   no surrounding blanks, entries up to 990 bytes); anything else gives ERROR_INVALID_PARAMETER. When
//   unixODBC's installer library cannot be loaded, these subtrees are kept in the SQLite store.
#pragma once

#include "omraplatform/export.h"
#include "omraplatform/wintypes.h"

typedef struct omra_registry_key *HKEY;
typedef HKEY *PHKEY;
typedef DWORD REGSAM;
typedef LONG LSTATUS;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
typedef FILETIME *PFILETIME;
typedef void *LPSECURITY_ATTRIBUTES;

#define HKEY_CLASSES_ROOT ((HKEY)(UINT_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(UINT_PTR)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(UINT_PTR)0x80000002u)
#define HKEY_USERS ((HKEY)(UINT_PTR)0x80000003u)
#define HKEY_PERFORMANCE_DATA ((HKEY)(UINT_PTR)0x80000004u)
#define HKEY_CURRENT_CONFIG ((HKEY)(UINT_PTR)0x80000005u)
#define HKEY_DYN_DATA ((HKEY)(UINT_PTR)0x80000006u)

// Result codes.
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BUSY 170L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_BADDB 1009L
#define ERROR_BADKEY 1010L
#define ERROR_CANTOPEN 1011L
#define ERROR_CANTREAD 1012L
#define ERROR_CANTWRITE 1013L
#define ERROR_REGISTRY_IO_FAILED 1016L
#define ERROR_KEY_DELETED 1018L

// Value types.
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u
#define REG_QWORD 11u

// Access rights.
#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_CREATE_LINK 0x0020u
#define KEY_WOW64_64KEY 0x0100u
#define KEY_WOW64_32KEY 0x0200u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_EXECUTE 0x20019u
#define KEY_ALL_ACCESS 0xF003Fu

// Options and dispositions of RegCreateKeyEx. Volatile keys are kept like any other.
#define REG_OPTION_NON_VOLATILE 0x0u
#define REG_OPTION_VOLATILE 0x1u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

OMRAPLATFORM_API LONG RegOpenKeyEx(HKEY key, LPCTSTR sub_key, DWORD options, REGSAM access,
                                   PHKEY result);
// Creates the key and every missing parent, or opens it when it exists. disposition may be null.
OMRAPLATFORM_API LONG RegCreateKeyEx(HKEY key, LPCTSTR sub_key, DWORD reserved, LPTSTR key_class,
                                     DWORD options, REGSAM access, LPSECURITY_ATTRIBUTES security,
                                     PHKEY result, LPDWORD disposition);
OMRAPLATFORM_API LONG RegCloseKey(HKEY key);
// The index-th subkey name; ERROR_NO_MORE_ITEMS past the last. key_class and last_write may be null.
OMRAPLATFORM_API LONG RegEnumKeyEx(HKEY key, DWORD index, LPTSTR name, LPDWORD name_length,
                                   LPDWORD reserved, LPTSTR key_class, LPDWORD class_length,
                                   PFILETIME last_write);
// The index-th value. type, data and data_size may be null (data needs data_size).
OMRAPLATFORM_API LONG RegEnumValue(HKEY key, DWORD index, LPTSTR name, LPDWORD name_length,
                                   LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD data_size);
// A null or empty name is the key's unnamed default value.
OMRAPLATFORM_API LONG RegQueryValueEx(HKEY key, LPCTSTR name, LPDWORD reserved, LPDWORD type,
                                      LPBYTE data, LPDWORD data_size);
OMRAPLATFORM_API LONG RegSetValueEx(HKEY key, LPCTSTR name, DWORD reserved, DWORD type,
                                    const BYTE *data, DWORD data_size);
// Deletes the subkey with its values; refused (ERROR_ACCESS_DENIED) while it has subkeys. An empty
// sub_key names the key itself, which a predefined root never allows.
OMRAPLATFORM_API LONG RegDeleteKey(HKEY key, LPCTSTR sub_key);
OMRAPLATFORM_API LONG RegDeleteValue(HKEY key, LPCTSTR name);

// Replaces each %NAME% by the environment variable NAME (looked up as written, then without regard to
// case); a reference to a variable that is not set stays as written. Returns the size of the expansion
// in characters with its terminating zero, which is written to dst only when it fits in dst_size;
// 0 when source is null.
OMRAPLATFORM_API DWORD ExpandEnvironmentStrings(LPCTSTR source, LPTSTR dst, DWORD dst_size);
