// OmraUtils: registry, string, path and temporary-file utilities, the password scrambler, and the
// status box, support dialog and bitmap loader. Link with libomrautils (pkg-config omrautils, or CMake
// find_package(omrautils) and omrautils::omrautils).
#pragma once

#include "omrautils/encrypt.h"
#include "omrautils/file_utils.h"
#include "omrautils/reg_utils.h"
#include "omrautils/string_utils.h"
// User-interface helpers (status box, support dialog, bitmap loader).
#include "omrautils/dibitmap.h"
#include "omrautils/status_box.h"
#include "omrautils/support_dlg.h"
