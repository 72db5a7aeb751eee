// The process-wide registry of descriptor tables and the look-ups of group, function and system
// message numbers.
#pragma once

#include <cstdint>

#include "trlipc.h"

namespace trl {

// Structure 0 of both groups (type code 1000): the login record, four CH[50], a SH and a CH[500]; 702
// bytes in memory and on the wire.
inline constexpr int32_t kLoginRecordType = PACK_STRUCT_BASE;
inline constexpr int32_t kLoginRecordSize = 702;
extern const rpi_field kLoginRecordFields[6];
extern const rpi_struct kLoginRecordStruct;

// Puts the record into the slot of its group number (low 8 bits; 1 to 4, any other number is ignored),
// replacing an earlier one. The record must outlive every use of the group. Returns 0.
int rpi_register_group(const rpi_group *group);

// The record registered for group numbers 1 to 4; null for any other number or an empty slot.
const rpi_group *rpi_find_group(int group);
// Checked form: 0 with *found set, or 1 after reporting pack error 810.
int rpi_find_group_checked(int group, const rpi_group **found);

// The look-up behind rpi_find_function without the report: 0, PACKERR_GROUP or PACKERR_FUNCTION. The
// entry is cleared first.
int rpi_lookup_function(int group, int message, rpi_function *entry);
// The entry of message number message: 0, or 1 after reporting 810 (no table for the group) or 809
// (message number negative or not below the function count). *entry is cleared first.
int rpi_find_function(int group, int message, rpi_function *entry);

// The system message numbers, the same in every registered group: 0, or 1 after reporting 810. Any out
// address may be null.
int rpi_system_messages(int group, int *login, int *stop, int *ok, int *resend);

// Empties every slot, as in a new process; for tests.
void rpi_registry_reset();

}  // namespace trl
