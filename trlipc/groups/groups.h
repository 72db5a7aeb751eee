// The descriptor tables of the two remote-procedure groups, DBIRPI (group 3) and TRLRPI (group 2).
// Each entry's function is the exported stub of that message number (null for empty entries and for
// the two login entries, which no client calls locally).
#pragma once

#include "trlipc.h"

namespace trl {

inline constexpr int kTrlrpiGroup = 2;
inline constexpr int kDbirpiGroup = 3;
inline constexpr int kDbirpiFunctionCount = 58;
inline constexpr int kTrlrpiFunctionCount = 75;

// The static group records; they live as long as the library.
const rpi_group *dbirpi_group();
const rpi_group *trlrpi_group();

// The stub of DBIRPI function 34, which is not exported.
int TRL_STDCALL dbirpi_function_34(int *instance, dyna_array *a2, dyna_array *a3, dyna_array *a4,
                                   const uint32_t *a5, dyna_array *a6, dyna_array *a7);

// The login records that trlrpi_connect and dbirpi_connect send for a connect request.
void build_trlrpi_login(const rpi_connect_info &info, rpi_login_record *login);
void build_dbirpi_login(const rpi_connect_info &info, rpi_login_record *login);

}  // namespace trl
