// Text measurement with a fixed character width and line height, for presenters without fonts.
#pragma once

#include "omraplatform/winuser.h"

namespace omra::detail {

// Lines break at '\n'; with DT_WORDBREAK (and not DT_SINGLELINE) also at blanks so that no line is wider
// than width, a word longer than a line being cut. The size is the widest line by the line count
// (at least one line).
SIZE measure_fixed(const char *text, int width, UINT format, int char_width,
                                    int line_height);

}  // namespace omra::detail
