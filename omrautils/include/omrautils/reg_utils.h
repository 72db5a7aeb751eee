// COmraRegUtils: registry helpers that take key paths with root names.
//
// Every operation comes in up to three forms that differ only in how the key is named:
// - a full path: an optional "[" and "]" around it, a root name ("HKEY_CURRENT_USER", ...; exact, letter
//   case included), then optionally "\" and the subkey path; with no "\" the root key itself;
// - a root name and a subkey path given apart;
// - an open key handle and a subkey path.
// A root name that is not one of the seven gives false without touching the registry. Subkey paths
// keep the backslash between levels. A value name that, lower-cased, is "(default)" names the key's
// unnamed default value. Failures come back as false only; nothing is shown or logged.
#pragma once

#include "omraplatform/collections.h"
#include "omraplatform/cstring.h"
#include "omraplatform/registry.h"
#include "omrautils/export.h"

class OMRAUTILS_API COmraRegUtils {
 public:
  COmraRegUtils() {}
  COmraRegUtils(const COmraRegUtils &) {}
  COmraRegUtils &operator=(const COmraRegUtils &) { return *this; }

  // Creates the key and its missing parents, or opens it when it exists.
  static bool CreateRegistryKey(CString path);
  static bool CreateRegistryKey(CString root, CString sub);
  static bool CreateRegistryKey(HKEY hkey, CString sub);

  // Deletes the key with everything below it. True in every case, also when nothing could be deleted.
  static bool DeleteRegistryKey(CString path);
  static bool DeleteRegistryKey(CString root, CString sub);
  static bool DeleteRegistryKey(HKEY hkey, CString sub);

  // Deletes one value: true when a value of that name was there.
  static bool DeleteRegistryKeyData(CString path, CString name);
  static bool DeleteRegistryKeyData(CString root, CString sub, CString name);
  static bool DeleteRegistryKeyData(HKEY hkey, CString sub, CString name);

  // Reads a string value into *data: REG_SZ as stored, REG_EXPAND_SZ expanded with the environment.
  // Any other type, a missing value or key, data of 1,024 bytes or more or an expansion of more than
  // 10,000 characters give false and an empty *data.
  static bool GetRegistryStringData(CString path, CString name, CString *data);
  static bool GetRegistryStringData(CString root, CString sub, CString name, CString *data);
  static bool GetRegistryStringData(HKEY hkey, CString sub, CString name, CString *data);

  // Writes *data as a REG_SZ value (with its terminating zero), creating the key when it is missing.
  // A text of more than 1,023 characters is not written. On failure *data is emptied and false returned.
  static bool PutRegistryStringData(CString path, CString name, CString *data);
  static bool PutRegistryStringData(CString root, CString sub, CString name, CString *data);
  static bool PutRegistryStringData(HKEY hkey, CString sub, CString name, CString *data);

  static bool KeyExists(CString path);
  static bool KeyExists(CString root, CString sub);
  static bool KeyExists(HKEY hkey, CString sub);

  // The subkey names, in the registry's order, replacing what the list held.
  static bool EnumerateKeys(CString path, CStringList &list);
  static bool EnumerateKeys(CString root, CString sub, CStringList &list);
  static bool EnumerateKeys(HKEY hkey, CString sub, CStringList &list);

  // The value names in the registry's order ("" for the default value), replacing what the list
  // held; a key that does not open gives false and leaves the list as it was.
  static bool EnumerateEntries(CString path, CStringList &list);
  static bool EnumerateEntries(CString root, CString sub, CStringList &list);
  static bool EnumerateEntries(HKEY hkey, CString sub, CStringList &list);

  // Deletes every subkey of the key (each with everything below it); the key's own values stay.
  static bool DeleteSubKeys(CString path);
  static bool DeleteSubKeys(CString root, CString sub);
  static bool DeleteSubKeys(HKEY hkey, CString sub);

  // Copies the string values and subkeys of from, recursively, into to (created when missing); stops
  // with false at the first value that is not a string. A target inside the source is refused.
  static bool CopyRegTree(HKEY hkey, CString from, CString to);

 private:
  static bool CreateRegistryKey(HKEY hkey, CString sub, HKEY *opened);
  static bool CopyRegTree(HKEY hkey, CString from, CString to, int depth);
};
