// The version compatibility tables and the check over them.
#include "pack/version.h"

#include <cstdint>
#include <cstring>

namespace trl {
namespace {

struct VersionRow {
  char client[kVersionWidth + 1];  // zero-padded, so all 10 compared bytes are defined
  char server[kVersionWidth + 1];
};

// Mode 1.
constexpr VersionRow kTable1[] = {
    {"1.0-AA 001", "5.0-AA 001"}, {"1.0-AA 002", "5.0-AA 002"}, {"1.0-AA 003", "5.0-AA 003"},
    {"1.0-AB 001", "5.0-AB 001"}, {"1.3-AA 001", "5.3-AA 001"},
};
// Mode 2.
constexpr VersionRow kTable2[] = {
    {"1.5.0", "5.1-AA 001"},
    {"2.0.0", "5.1-AC 001"},
    {"2.0.1", "5.1-AC 001"},
    {"2.1.0", "5.3-AA    "},
};

unsigned char fold(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 224 && c <= 253)) return static_cast<unsigned char>(c & ~0x20);
  return c;
}

// A caller's text in a zero-padded field: never read past its terminator.
void pad(const char *text, unsigned char (&field)[kVersionWidth]) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text, strnlen(text, kVersionWidth));
}

// The highest row whose column (client or server) is at most version; -1 when there is none.
template <size_t N>
int highest_row_at_most(const VersionRow (&table)[N], bool client_column, const char *version) {
  int found = -1;
  for (size_t row = 0; row < N; ++row) {
    const char *text = client_column ? table[row].client : table[row].server;
    if (version_compare(text, version) <= 0) found = static_cast<int>(row);
  }
  return found;
}

template <size_t N>
int check(const VersionRow (&table)[N], const char *client, const char *server) {
  int i = highest_row_at_most(table, true, client);
  int j = highest_row_at_most(table, false, server);
  if (i < 0 || i < j) return VERSIONS_CLIENT_BELOW;
  if (j >= 0 && j >= i) return VERSIONS_MATCH;
  return VERSIONS_SERVER_BELOW;
}

// Element i of an array as a text of at most 10 characters, bounded by the element's own size.
bool element_text(const dyna_array *array, int i, char (&text)[kVersionWidth + 1]) {
  std::memset(text, 0, sizeof text);
  uint16_t type = dyna_get_type(array, i);
  auto *data = static_cast<const char *>(dyna_get_data(array, i));
  int32_t size = dyna_get_size(array, i);
  if (!data || size <= 0 || (type != STR && type != CH && type != UCH)) return false;
  size_t n = size < kVersionWidth ? static_cast<size_t>(size) : kVersionWidth;
  std::memcpy(text, data, strnlen(data, n));
  return true;
}

bool element_level(const dyna_array *array, int i, int32_t *level) {
  uint16_t type = dyna_get_type(array, i);
  const void *data = dyna_get_data(array, i);
  if (!data || dyna_get_size(array, i) < 1 || (type != LW && type != ULW)) return false;
  std::memcpy(level, data, sizeof *level);
  return true;
}

}  // namespace

int version_compare(const char *x, const char *y) {
  if (!x || !y) return (x ? 1 : 0) - (y ? 1 : 0);
  unsigned char a[kVersionWidth], b[kVersionWidth];
  pad(x, a);
  pad(y, b);
  for (int k = 0; k < kVersionWidth; ++k) {
    int d = fold(a[k]) - fold(b[k]);
    if (d != 0) return d;
  }
  return 0;
}

int validate_reply_versions(const dyna_array *client, const dyna_array *server) {
  // The client's text: its first bytes, up to 11 of them, blank-filled and cut after 10 characters.
  uint16_t type = dyna_get_type(client, 1);
  auto *data = static_cast<const char *>(dyna_get_data(client, 1));
  int32_t size = dyna_get_size(client, 1);
  int32_t client_level = 0;
  if (!data || size <= 0 || (type != STR && type != CH && type != UCH) ||
      !element_level(client, 2, &client_level))
    return VERSIONS_CLIENT_BELOW;
  char version[kVersionWidth + 2];
  std::memset(version, ' ', sizeof version);
  std::memcpy(version, data, size < kVersionWidth + 1 ? static_cast<size_t>(size) : kVersionWidth + 1);
  version[kVersionWidth] = '\0';
  if (version[3] != '.') {
    version[3] = '.';
    version[4] = '0';
  }

  char server_version[kVersionWidth + 1];
  int32_t server_level = 0;
  if (!element_text(server, 1, server_version) || !element_level(server, 2, &server_level))
    return VERSIONS_SERVER_BELOW;

  char *client_text = version;
  char *server_text = server_version;
  char *note = nullptr;
  int result = allver_validate_versions(&client_text, &client_level, &server_text, &server_level, &note, 2);
  memory_null_no_len(&note);
  return result;
}

}  // namespace trl

using namespace trl;

extern "C" TRL_API int TRL_CDECL allver_validate_versions(char **client_version, int *client_level,
                                                          char **server_version, int *server_level,
                                                          char **note, int mode) {
  if (mode != 1 && mode != 2) return VERSIONS_LEVEL_ABOVE;
  if (note) *note = static_cast<char *>(memory_get(1));
  int la = client_level ? *client_level : 0;
  int lb = server_level ? *server_level : 0;
  if (la > lb) return VERSIONS_LEVEL_ABOVE;
  const char *a = client_version ? *client_version : nullptr;
  const char *b = server_version ? *server_version : nullptr;
  return mode == 1 ? check(kTable1, a, b) : check(kTable2, a, b);
}
