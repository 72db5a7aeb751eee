// CFileUtils: names for temporary files.
#pragma once

#include "omraplatform/cstring.h"
#include "omrautils/export.h"

class OMRAUTILS_API CFileUtils {
 public:
  CFileUtils() {}
  CFileUtils(const CFileUtils &) {}
  CFileUtils &operator=(const CFileUtils &) { return *this; }

  // "<dir>/OmraTmp<n><extension>" for the smallest n from 1 up for which nothing exists under that
  // name (a dangling link counts as something). The folder is the first set and non-empty one of
  // $TEMP, $TMP, $WINTEMP, $WINTMP and $TMPDIR, else "/tmp/". An extension that is null or does not
  // begin with "." is replaced by ".tmp". The file is not created; "" when no name is free.
  static CString GetTemporaryFileName(const char *extension);
  static CString GetTemporaryFileName();
};
