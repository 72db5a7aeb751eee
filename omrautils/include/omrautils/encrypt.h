// CEncrypt and the plain pair ODBC_Encrypt / ODBC_Decrypt: the keyless scrambler of stored passwords.
//
// A scrambled form is 50 printable bytes (32 to 255): a random start byte, the length, and 24 random
// pairs of which the first hold the text's characters as differences. Scrambling draws from a
// generator of the library's own, seeded with the time in seconds, and never touches the calling
// program's rand(). Only the first 24 characters of a text come back; a text of 126 characters or
// more is scrambled as its first 125, which like every text of 24 or more reads back as its first 24.
// An empty or null text scrambles to, and an empty or null form reads as, the empty text. A form
// shorter than 50 bytes is read only as far as it goes.
#pragma once

#include "omraplatform/cstring.h"
#include "omrautils/export.h"

class OMRAUTILS_API CEncrypt {
 public:
  CEncrypt() {}
  CEncrypt(const CEncrypt &) {}
  CEncrypt &operator=(const CEncrypt &) { return *this; }

  static void Encrypt(CString text, CString *result);
  static void Decrypt(CString scrambled, CString *result);
};

extern "C" {
// The results lie in buffers of the library, overwritten by the next call of the same function.
OMRAUTILS_API const char *OMRAUTILS_STDCALL ODBC_Encrypt(const char *text);
OMRAUTILS_API const char *OMRAUTILS_STDCALL ODBC_Decrypt(const char *scrambled);
}
