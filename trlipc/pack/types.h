// Type codes of the packing engine: memory sizes, structures of a group and the counting rules shared
// by the builder, the extractor and the dump.
#pragma once

#include <cstdint>

#include "trlipc.h"

namespace trl {

// Structures nest at most this deep; a deeper (or self-referring) table is treated as invalid rather
// than recursed into without end.
inline constexpr int kMaxStructDepth = 16;

inline bool pack_is_marker(int32_t count) { return count == PACK_TERMINATED || count == PACK_COUNT_FROM_EL; }
inline bool pack_is_struct(int32_t type) { return type >= PACK_STRUCT_BASE; }

// Memory size of one element of types 1 to 13; -1 for any other code.
int32_t pack_basic_size(int32_t type);
// Structure n (type PACK_STRUCT_BASE + n) of the group, or null.
const rpi_struct *pack_find_struct(const rpi_group *group, int32_t type);
// Element and value memory sizes against a group record (null: no structures); -1 when invalid.
int64_t pack_element_size_of(const rpi_group *group, int32_t type, int depth = 0);
int64_t pack_size_of(const rpi_group *group, int32_t type, int32_t count, int depth = 0);
// The fewest bytes a value can occupy on the wire, used to refuse allocations for bytes that did not
// arrive; -1 when invalid.
int64_t pack_min_wire_size(const rpi_group *group, int32_t type, int32_t count, int depth = 0);
// Whether a structure type holds a dynamic array in any of its fields, nested structures included (an
// unknown or too deeply nested structure counts as holding one).
bool pack_struct_holds_dyna(const rpi_group *group, int32_t type, int depth = 0);
// The element limit of a count: 1 for 0, the count when positive, its absolute value when negative.
inline int64_t pack_count_limit(int32_t count) {
  return count == 0 ? 1 : count > 0 ? count : -static_cast<int64_t>(count);
}

}  // namespace trl
