// EncrptConnectPwd and DecrptConnectPwd: the scrambled form of stored passwords, with Portico's own
// result buffers.
#include <cstring>

#include "portico.h"
#include "scrambler.h"

namespace {

char g_scrambled[omra::scrambler::kFormLength + 1];
char g_plain[omra::scrambler::kFormLength + 1];

}  // namespace

const char *EncrptConnectPwd(const char *password) {
  if (!password) return nullptr;
  omra::scrambler::scramble(password, std::strlen(password), g_scrambled);
  return g_scrambled;
}

const char *DecrptConnectPwd(const char *scrambled) {
  if (!scrambled) return nullptr;
  std::memset(g_plain, 0, sizeof g_plain);
  omra::scrambler::unscramble(scrambled, std::strlen(scrambled), g_plain, sizeof g_plain);
  return g_plain;
}
