/* A program outside the tree: built against an installed TRLIPC, it builds a dynamic array, reads it
 * back, prints it and frees what the library allocated. */
#include <stdio.h>
#include <string.h>

#include <trlipc.h>

int main(void) {
  dyna_array *array = dyna_construct();
  int32_t number = 12345;
  char *text = (char *)memory_get(16);
  if (!array || !text) return 1;
  dyna_add_string(array, 8, "consumer");
  dyna_add_data(array, LW, &number);
  if (dyna_count(array) != 2 || strcmp((const char *)dyna_get_data(array, 1), "consumer") != 0 ||
      *(const int32_t *)dyna_get_data(array, 2) != 12345)
    return 1;
  dyna_print(array);
  dyna_destroy(&array);
  libsa_memcpy(text, "freed", 6);
  memory_null_no_len(&text);
  return array == NULL && text == NULL ? 0 : 1;
}
