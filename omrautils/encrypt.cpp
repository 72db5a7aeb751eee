// CEncrypt and the plain pair over the shared scrambled form.
#include "omrautils/encrypt.h"

#include <cstring>

#include "scrambler.h"

namespace {

// The plain pair's results, each valid until the next call of the same function.
char g_scrambled[omra::scrambler::kFormLength + 1];
char g_plain[48];

}  // namespace

void CEncrypt::Encrypt(CString text, CString *result) {
  if (!result) return;
  LPCTSTR p = text;
  size_t length = std::strlen(p);
  if (length == 0) {
    result->Empty();
    return;
  }
  char form[omra::scrambler::kFormLength + 1];
  omra::scrambler::scramble(p, length, form);
  *result = form;
}

void CEncrypt::Decrypt(CString scrambled, CString *result) {
  if (!result) return;
  char plain[48];
  LPCTSTR p = scrambled;
  omra::scrambler::unscramble(p, std::strlen(p), plain, sizeof plain);
  *result = plain;
}

const char *ODBC_Encrypt(const char *text) {
  if (!text || !*text) {
    g_scrambled[0] = '\0';
    return g_scrambled;
  }
  omra::scrambler::scramble(text, std::strlen(text), g_scrambled);
  return g_scrambled;
}

const char *ODBC_Decrypt(const char *scrambled) {
  std::memset(g_plain, 0, sizeof g_plain);
  if (scrambled) omra::scrambler::unscramble(scrambled, std::strlen(scrambled), g_plain, sizeof g_plain);
  return g_plain;
}
