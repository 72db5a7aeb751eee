// Version compatibility: which client versions go with which server versions.
#pragma once

#include "trlipc.h"

namespace trl {

// Results of a version check.
enum : int {
  VERSIONS_MATCH = 0,         // both versions fall on the same row
  VERSIONS_LEVEL_ABOVE = 1,   // the client level is above the server level, or the mode is unknown
  VERSIONS_CLIENT_BELOW = 2,  // the client's row is below the server's, or the client is below every row
  VERSIONS_SERVER_BELOW = 3,  // the server's row is below the client's, or the server is below every row
};

// Versions are compared over this many bytes.
inline constexpr int kVersionWidth = 10;

// Compares two version texts over 10 bytes, letters folded to upper case; the first difference
// decides. A missing text counts as lower than every text (two missing texts are equal). Bytes after
// a text's terminating zero count as zeros.
int version_compare(const char *x, const char *y);

// The check behind trlrpi_validate_versions on the arrays of function 23: element 1 a text, element 2
// a 32-bit level, in the client's array and in the server's reply. A client text of 3 characters
// such as "2.1" counts as "2.1.0". A side whose text or level is missing or of another type counts as
// below every row.
int validate_reply_versions(const dyna_array *client, const dyna_array *server);

}  // namespace trl
