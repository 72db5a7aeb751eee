// Dynamic arrays of typed elements.
#include "dyna.h"

#include <cinttypes>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "memory.h"

namespace trl {
namespace {

constexpr int kGrowth = 100;
// Count and capacity are 16-bit: no array may hold more, or the count would wrap and lose elements.
constexpr int kMaxElements = 65535;

bool in_range(const dyna_array *array, int i) { return array && i >= 1 && i <= array->count; }

// Grows the table to hold at least wanted elements, capped at the 16-bit limit. 0, or 1.
int grow_table(dyna_array *array, int wanted) {
  if (wanted > kMaxElements) wanted = kMaxElements;
  if (wanted <= array->capacity && array->elements) return 0;
  dyna_elem *table = nullptr;
  if (!array->elements) {
    table = static_cast<dyna_elem *>(memory_get_clear(wanted, sizeof(dyna_elem)));
  } else {
    table = static_cast<dyna_elem *>(memory_realloc_clear(array->elements, wanted * int(sizeof(dyna_elem)),
                                                         array->capacity * int(sizeof(dyna_elem))));
  }
  if (!table) return 1;
  array->elements = table;
  array->capacity = static_cast<uint16_t>(wanted);
  return 0;
}

}  // namespace

int dyna_capacity(const dyna_array *array) { return array ? array->capacity : 0; }

int dyna_scalar_size(uint16_t type) {
  switch (type) {
    case CH: case UCH: return 1;
    case SH: case USH: return 2;
    case LW: case ULW: case FL: return 4;
    case DB: return 8;
    default: return 0;
  }
}

}  // namespace trl

using namespace trl;

extern "C" {

TRL_API dyna_array *TRL_CDECL dyna_construct(void) {
  return static_cast<dyna_array *>(memory_get_clear(1, sizeof(dyna_array)));
}

TRL_API int TRL_CDECL dyna_add(dyna_array *array, uint16_t type, int32_t size, void *data) {
  if (!array) return 0;
  int n = array->count;
  if (n >= kMaxElements) return 0;
  if (!array->elements) {
    if (grow_table(array, kGrowth) != 0) return 0;
  } else if (n == array->capacity) {
    if (grow_table(array, array->capacity + kGrowth) != 0) return 0;
  }
  array->elements[n] = dyna_elem{type, size, data};
  array->count = static_cast<uint16_t>(n + 1);
  return n + 1;
}

TRL_API int TRL_CDECL dyna_add_string(dyna_array *array, int length, const char *text) {
  if (!array || length < 0 || (length > 0 && !text)) return -1;
  auto *copy = static_cast<char *>(memory_get_clear(1, length + 1));
  if (!copy) return -1;
  // A text shorter than length ends at its zero; nothing past it is read.
  size_t used = length > 0 ? strnlen(text, static_cast<size_t>(length)) : 0;
  std::memcpy(copy, text, used);
  while (used > 0 && copy[used - 1] == ' ') copy[--used] = '\0';
  if (dyna_add(array, STR, static_cast<int32_t>(used + 1), copy) == 0) {
    raw_release(copy);
    return -1;
  }
  return 0;
}

TRL_API int TRL_CDECL dyna_add_data(dyna_array *array, uint16_t type, const void *value) {
  if (!array) return -1;
  int bytes = dyna_scalar_size(type);
  // At least 4 bytes, so that dyna_print's 4-byte read of an element of another type stays inside.
  void *block = memory_get(bytes > 4 ? bytes : 4);
  if (!block) return -1;
  if (bytes > 0 && value) std::memcpy(block, value, static_cast<size_t>(bytes));
  if (dyna_add(array, type, 1, block) == 0) {
    raw_release(block);
    return -1;
  }
  return 0;
}

TRL_API int TRL_CDECL dyna_count(const dyna_array *array) { return array ? array->count : 0; }

TRL_API uint16_t TRL_CDECL dyna_get_type(const dyna_array *array, int i) {
  return in_range(array, i) ? array->elements[i - 1].type : 0;
}

TRL_API int32_t TRL_CDECL dyna_get_size(const dyna_array *array, int i) {
  return in_range(array, i) ? array->elements[i - 1].size : 0;
}

TRL_API void *TRL_CDECL dyna_get_data(const dyna_array *array, int i) {
  return in_range(array, i) ? array->elements[i - 1].data : nullptr;
}

TRL_API void TRL_CDECL dyna_make_room(dyna_array *array, int n) {
  if (!array || n < 0 || n > kMaxElements) return;
  auto *table = static_cast<dyna_elem *>(memory_get_clear(n, sizeof(dyna_elem)));
  if (!table) return;
  array->elements = table;
  array->count = static_cast<uint16_t>(n);
  array->capacity = static_cast<uint16_t>(n);
}

TRL_API int TRL_CDECL dyna_grow_add(dyna_array *array, int i, uint16_t type, int32_t size, void *data) {
  if (!array || i < 1 || i > kMaxElements) return 0;
  if (i > array->capacity || !array->elements) {
    if (grow_table(array, i + kGrowth) != 0) return 0;
    array->count = static_cast<uint16_t>(i);
  }
  dyna_elem &element = array->elements[i - 1];
  if (element.data) raw_release(element.data);
  element = dyna_elem{type, size, data};
  return array->count;
}

TRL_API void TRL_CDECL dyna_clear_elem(dyna_array *array, int i) {
  if (!in_range(array, i)) return;
  array->elements[i - 1] = dyna_elem{0, 0, nullptr};
}

TRL_API int TRL_CDECL dyna_free(dyna_array *array) {
  if (!array) return 0;
  if (array->elements) {
    // Every element the table holds, counted or not: dyna_grow_add may have stored one past the count.
    for (int i = 0; i < array->capacity; ++i) {
      if (array->elements[i].data) raw_release(array->elements[i].data);
    }
    raw_release(array->elements);
  }
  array->elements = nullptr;
  array->count = 0;
  array->capacity = 0;
  return 0;
}

TRL_API int TRL_CDECL dyna_destroy(dyna_array **array) {
  if (!array || !*array) return 0;
  dyna_free(*array);
  raw_release(*array);
  *array = nullptr;
  return 0;
}

TRL_API void TRL_CDECL dyna_print(const dyna_array *array) {
  int count = dyna_count(array);
  for (int i = 1; i <= count; ++i) {
    const dyna_elem &element = array->elements[i - 1];
    std::printf("DYNA %d\tType: ", i);
    const void *data = element.data;
    auto read = [data](auto value) {
      if (data) std::memcpy(&value, data, sizeof value);
      return value;
    };
    switch (element.type) {
      case CH: std::printf("CHAR\n\tData: %hd\n", static_cast<short>(read(int8_t{}))); break;
      case UCH: std::printf("UCHAR\n\tData: %hu\n", static_cast<unsigned short>(read(uint8_t{}))); break;
      case SH: std::printf("SHORT\n\tData: %hd\n", read(int16_t{})); break;
      case USH: std::printf("USHORT\n\tData: %hu\n", read(uint16_t{})); break;
      case LW: std::printf("LONG\n\tData: %ld\n", static_cast<long>(read(int32_t{}))); break;
      case ULW: std::printf("ULONG\n\tData: %lu\n", static_cast<unsigned long>(read(uint32_t{}))); break;
      case DB: std::printf("DOUBLE\n\tData: %lf\n", read(double{})); break;
      case STR: {
        int size = element.size > 0 ? element.size : 0;
        std::printf("STRING\n\tData: %.*s\n", size, data ? static_cast<const char *>(data) : "");
        break;
      }
      default: std::printf("OTHER\n\tData: %d\n", read(int32_t{})); break;
    }
  }
}

}  // extern "C"
