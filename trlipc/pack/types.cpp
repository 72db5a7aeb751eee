// Memory sizes of type codes and structures.
#include "pack/types.h"

#include "pack/pack.h"
#include "pack/descriptors.h"

namespace trl {
namespace {

// Sizes beyond this are nonsense from a broken table, not memory anyone could allocate.
constexpr int64_t kSizeLimit = int64_t{1} << 40;

}  // namespace

int32_t pack_basic_size(int32_t type) {
  switch (type) {
    case CH: case UCH: case STR: return 1;
    case SH: case USH: case EL: return 2;
    case LW: case ULW: case FL: return 4;
    case DB: return 8;
    case USD: case PT: return static_cast<int32_t>(sizeof(void *));
    case DYNA: return static_cast<int32_t>(sizeof(dyna_array));
    default: return -1;
  }
}

const rpi_struct *pack_find_struct(const rpi_group *group, int32_t type) {
  if (!group || !group->structs || type < PACK_STRUCT_BASE) return nullptr;
  int64_t n = static_cast<int64_t>(type) - PACK_STRUCT_BASE;
  return n < group->struct_count ? &group->structs[n] : nullptr;
}

int64_t pack_element_size_of(const rpi_group *group, int32_t type, int depth) {
  if (!pack_is_struct(type)) return pack_basic_size(type);
  const rpi_struct *s = pack_find_struct(group, type);
  if (!s || depth >= kMaxStructDepth || s->field_count < 0 || (s->field_count > 0 && !s->fields)) return -1;
  int64_t sum = 0;
  for (int32_t i = 0; i < s->field_count; ++i) {
    int64_t field = pack_size_of(group, s->fields[i].type, s->fields[i].count, depth + 1);
    if (field < 0) return -1;
    sum += field;
    if (sum > kSizeLimit) return -1;
  }
  return sum;
}

int64_t pack_size_of(const rpi_group *group, int32_t type, int32_t count, int depth) {
  int64_t element = pack_element_size_of(group, type, depth);
  if (element < 0) return -1;
  if (pack_is_marker(count)) return 0;
  int64_t size = element * pack_count_limit(count);
  return size > kSizeLimit ? -1 : size;
}

int64_t pack_min_wire_size(const rpi_group *group, int32_t type, int32_t count, int depth) {
  if (pack_is_marker(count) && type != USD && type != PT) return pack_basic_size(type) > 0 ? 1 : -1;
  switch (type) {
    case USD: case PT: return 0;
    case DYNA: return 2;
    default: break;
  }
  if (!pack_is_struct(type)) {
    int32_t element = pack_basic_size(type);
    if (element < 0) return -1;
    return count < 0 ? element : element * pack_count_limit(count);
  }
  const rpi_struct *s = pack_find_struct(group, type);
  if (!s || depth >= kMaxStructDepth || s->field_count < 0 || (s->field_count > 0 && !s->fields)) return -1;
  int64_t one = 0;
  for (int32_t i = 0; i < s->field_count; ++i) {
    int64_t field = pack_min_wire_size(group, s->fields[i].type, s->fields[i].count, depth + 1);
    if (field < 0) return -1;
    one += field;
    if (one > kSizeLimit) return -1;
  }
  int64_t total = one * (count < 0 ? 1 : pack_count_limit(count));
  return total > kSizeLimit ? kSizeLimit : total;
}

bool pack_struct_holds_dyna(const rpi_group *group, int32_t type, int depth) {
  const rpi_struct *s = pack_find_struct(group, type);
  if (!s || depth >= kMaxStructDepth || s->field_count < 0 || (s->field_count > 0 && !s->fields)) return true;
  for (int32_t i = 0; i < s->field_count; ++i) {
    const int32_t field = s->fields[i].type;
    if (field == DYNA || (pack_is_struct(field) && pack_struct_holds_dyna(group, field, depth + 1))) return true;
  }
  return false;
}

int64_t pack_element_size(int group, int32_t type) { return pack_element_size_of(rpi_find_group(group), type); }
int64_t pack_size(int group, int32_t type, int32_t count) { return pack_size_of(rpi_find_group(group), type, count); }

}  // namespace trl
