// Portico: connection configurations for the Zentrix server, their registry store, the dialogs that
// edit them, and the ODBC data-source entry points. Link with libportico (pkg-config portico, or CMake
// find_package(portico) and portico::portico).
//
// Conventions: results are 1 for success and 0 for failure, or a null pointer; nothing is thrown
// across an export. Texts that an export returns in a buffer of the library stay valid until the next
// call of the same export and are never freed by the caller.
#pragma once

#if defined(_WIN32)
#  if defined(PORTICO_BUILDING)
#    define PORTICO_API __declspec(dllexport)
#  else
#    define PORTICO_API __declspec(dllimport)
#  endif
#else
#  define PORTICO_API __attribute__((visibility("default")))
#endif

extern "C" {

// Stored-password scrambling for programs that scramble or unscramble passwords themselves. The form
// is the one CEncrypt (OmraUtils) writes and reads; a form from either is read by the other.
// EncrptConnectPwd: the 50-character scrambled form of the password, in Portico's buffer; null for a
// null password. An empty password is scrambled too (it reads back as empty). Only the first 24
// characters of a password come back; one of 126 characters or more is scrambled as its first 125.
PORTICO_API const char *EncrptConnectPwd(const char *password);
// DecrptConnectPwd: the password read from a scrambled form, in Portico's buffer; null for a null form.
PORTICO_API const char *DecrptConnectPwd(const char *scrambled);

}  // extern "C"
