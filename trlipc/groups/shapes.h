// Building blocks of the two groups' descriptor tables: argument descriptors written as in/out of a
// type, and the login entries that both groups share.
#pragma once

#include "pack/descriptors.h"
#include "trlipc.h"

namespace trl::shapes {

constexpr rpi_arg in(int32_t type, int32_t count = 0) { return {type, count, RPI_IN}; }
constexpr rpi_arg out(int32_t type, int32_t count = 0) { return {type, count, RPI_OUT}; }
// Every text argument is a terminated STR.
constexpr rpi_arg in_text() { return in(STR, PACK_TERMINATED); }
constexpr rpi_arg out_text() { return out(STR, PACK_TERMINATED); }
// The channel handle: the instance value, sent as a ULW.
constexpr rpi_arg handle() { return in(ULW); }

// Function 0, the second form of the login: login record in; SH, LW and a text out.
inline constexpr rpi_arg kLogin0[] = {in(kLoginRecordType), out(SH), out(LW), out_text()};
// Function 4, the login: login record in; reconnect text, login status and server message out.
inline constexpr rpi_arg kLogin4[] = {in(kLoginRecordType), out_text(), out(LW), out_text()};

// The structure table of both groups: structure 0 is the login record.
inline constexpr const rpi_struct *kStructs = &kLoginRecordStruct;

// An entry of n arguments whose local function is fn (null when there is none).
template <size_t N>
constexpr rpi_function entry(const rpi_arg (&args)[N], rpi_proc fn) {
  return {static_cast<int32_t>(N), args, fn};
}
inline constexpr rpi_function kEmpty = {0, nullptr, nullptr};

}  // namespace trl::shapes
