// Internal parts of the dynamic arrays.
#pragma once

#include "trlipc.h"

namespace trl {

// The capacity of the element table; 0 for a null array.
int dyna_capacity(const dyna_array *array);
// Bytes of one value of a scalar type as dyna_add_data copies it: 1, 2, 4 or 8, and 0 for any other type.
int dyna_scalar_size(uint16_t type);

}  // namespace trl
