// COmraStringUtils.
#include "omrautils/string_utils.h"

CString COmraStringUtils::CleanUnPrintableChar(CString text) {
  CString kept;
  for (int i = 0; i < text.GetLength(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c >= 32 && c <= 127) || c == '\n' || c == '\f' || c == '\r') kept += static_cast<char>(c);
  }
  return kept;
}

void COmraStringUtils::StripLastSlash(CString &path) {
  if (!path.IsEmpty() && path[path.GetLength() - 1] == '\\') path.Delete(path.GetLength() - 1);
}

CString COmraStringUtils::PathConcatonate(CString &first, CString &second) {
  StripLastSlash(first);
  return first + "\\" + second;
}

CString COmraStringUtils::PathConcatonate(CString &first, const char *second) {
  StripLastSlash(first);
  return first + "\\" + second;
}

CString COmraStringUtils::PathConcatonate(const char *first, CString &second) {
  CString copy(first);
  return PathConcatonate(copy, second);
}

CString COmraStringUtils::PathConcatonate(const char *first, const char *second) {
  CString copy(first);
  return PathConcatonate(copy, second);
}

CString COmraStringUtils::GetExecutableFromCommandLine(CString command_line) {
  if (command_line.IsEmpty()) return CString();
  if (command_line[0] == '"') {
    int close = command_line.Find('"', 1);
    // Unclosed: the program runs to the end of the line, as the system's own parser reads it.
    return close < 0 ? command_line.Mid(1) : command_line.Mid(1, close - 1);
  }
  int space = command_line.Find(' ');
  // No arguments: the whole line is the program.
  return space < 0 ? command_line : command_line.Left(space);
}

CString COmraStringUtils::GetExecutableFromCommandLine(const char *command_line) {
  return GetExecutableFromCommandLine(CString(command_line));
}
