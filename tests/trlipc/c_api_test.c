/* The public header used from C: a dynamic array built, read back and released through the shared
 * library. */
#include <stdio.h>
#include <string.h>

#include "trlipc.h"

static int failures = 0;
#define CHECK(cond)                                              \
  do {                                                           \
    if (!(cond)) {                                               \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      failures++;                                                \
    }                                                            \
  } while (0)

int main(void) {
  dyna_array *array = dyna_construct();
  int32_t value = 42;
  char *copy;
  CHECK(array != NULL);
  CHECK(dyna_add_string(array, 7, "hello  ") == 0);
  CHECK(dyna_add_data(array, LW, &value) == 0);
  CHECK(dyna_count(array) == 2);
  CHECK(dyna_get_type(array, 1) == STR);
  CHECK(strcmp((const char *)dyna_get_data(array, 1), "hello") == 0);
  CHECK(*(const int32_t *)dyna_get_data(array, 2) == 42);
  CHECK(dyna_destroy(&array) == 0 && array == NULL);

  copy = (char *)memory_get(6);
  CHECK(copy != NULL);
  CHECK(libsa_memcpy_fill(copy, "ab", 5, 2, '.') == 0);
  CHECK(strcmp(copy, "ab...") == 0);
  memory_null_no_len(&copy);
  CHECK(copy == NULL);
  CHECK(PACK_TERMINATED == -2000000002 && PACK_COUNT_FROM_EL == -2000000001);
  printf("%d passed, %d failed\n", failures ? 0 : 1, failures ? 1 : 0);
  return failures != 0;
}
