// Status codes of the packing engine and its error report in the IPC log.
#pragma once

#include <cstdint>

namespace trl {

// Pack error codes. packbld/packgen failures and descriptor look-ups are reported where they arise and
// then returned as 1; extraction failures (800, 801, 817) and the EL failures (812, 813) are returned as
// they are.
enum : int32_t {
  PACKERR_OUTSIDE = 800,         // a value does not lie wholly inside the packet, or a bad offset/count
  PACKERR_STRUCT_COUNT = 801,    // a structure argument has a negative count
  PACKERR_TYPE = 802,            // not a type code of 1 to 13 nor a structure of the group
  PACKERR_FL_BUILD = 803,
  PACKERR_DB_BUILD = 804,
  PACKERR_FL_EXTRACT = 805,
  PACKERR_DB_EXTRACT = 806,
  PACKERR_SLICE = 807,           // a slice could not be copied into a sub-packet
  PACKERR_MAX_LENGTH = 808,      // the maximum packet length is not larger than the header
  PACKERR_FUNCTION = 809,        // message number outside the group's table
  PACKERR_GROUP = 810,           // no table registered for the group number
  PACKERR_EL_LAST = 812,         // an EL argument is the last argument
  PACKERR_EL_NEXT = 813,         // the argument after an EL is not counted by it
  PACKERR_TOO_LONG = 816,        // a packet would be longer than 2,000,000,000 bytes
  PACKERR_DYNA_COUNT = 817,      // a DYNA argument with a count other than 0
  PACKERR_DYNA_ELEMENT = 818,    // a DYNA element of type 10 to 13 or with count 0
};

// The pack error report: 0 for status 0; 1 for any other status, which unless it is 1 is first written
// to the IPC log as an error entry with the status and errno.
int pack_error(int status);

}  // namespace trl
