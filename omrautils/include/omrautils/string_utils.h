// COmraStringUtils: text helpers for key paths, command lines and stored texts.
#pragma once

#include "omraplatform/cstring.h"
#include "omrautils/export.h"

class OMRAUTILS_API COmraStringUtils {
 public:
  COmraStringUtils() {}
  COmraStringUtils(const COmraStringUtils &) {}
  COmraStringUtils &operator=(const COmraStringUtils &) { return *this; }

  // The text with only the characters 32 to 127, line feed, form feed and carriage return kept.
  static CString CleanUnPrintableChar(CString text);
  // first without its trailing backslash, "\", then second. The forms taking first as a CString&
  // strip the caller's string itself; the others work on a copy.
  static CString PathConcatonate(CString &first, CString &second);
  static CString PathConcatonate(CString &first, const char *second);
  static CString PathConcatonate(const char *first, CString &second);
  static CString PathConcatonate(const char *first, const char *second);
  // Removes one trailing backslash, when there is one.
  static void StripLastSlash(CString &path);
  // The program of a command line: between a leading double quote and the next one (to the end of the
  // line when it is not closed), else up to the first space (the whole line when there is none).
  static CString GetExecutableFromCommandLine(CString command_line);
  static CString GetExecutableFromCommandLine(const char *command_line);
};
