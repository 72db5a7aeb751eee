// The packing engine: typed arguments of a remote call to bytes in network order and back, driven by
// the argument descriptors of the group's table.
//
// Argument lists. The engine never takes an argument by value: an argument list is an array of
// addresses, one per argument descriptor of the function, in descriptor order (the variadic form exists
// only at the exported ipc_request, which turns its va_list into such an array once):
//  - a scalar (count 0) of types 1 to 12: the address of the value (an out scalar is written there);
//  - an array (count not 0): the address of the variable that holds the array's address; an out array
//    is stored back into that variable (fixed counts fill a non-null caller array, everything else gets
//    a new zero-filled array that the caller frees with memory_null_no_len);
//  - DYNA: the address of a dyna_array header (for out, an empty one, which the engine fills);
//  - a structure with count 0: the address of the structure's memory. Structures lie in memory with
//    their fields back to back, without padding.
// A null address, or a null array where an array is sent, is sent as zero elements of the described
// count, so that the bytes on the wire keep their shape.
//
// Results. Build, header, split and look-up failures are written to the pack error report where they
// arise and returned as 1. Extraction failures (800, 801, 802, 817, 818 for values read from a packet)
// and the EL failures 812 and 813 are returned as they are, without a report.
#pragma once

#include <cstdint>
#include <cstdio>

#include "trlipc.h"

namespace trl {

// The memory size of one element of a type: 1, 2, 4, 8 for the scalars, a pointer for USD and PT,
// sizeof(dyna_array) for DYNA, the sum of the fields for a structure of the group; -1 for an invalid
// code (or a structure nested too deeply to be real).
int64_t pack_element_size(int group, int32_t type);
// The memory size of a value: element size times count, where 0 counts as 1, a negative count as its
// absolute value and the two PACK_ markers as 0; -1 for an invalid code.
int64_t pack_size(int group, int32_t type, int32_t count);

// Encodes one argument (given by address as above) onto the end of buffer, growing it once to exactly
// the needed size. 0, or 1 after a report (802, 816, 817, 818, 801 ...).
int pack_value(int group, int32_t type, int32_t count, const void *value, ipc_buffer *buffer);

// Builds a whole request packet into out (emptied first): header, async flag and every in argument of
// function in the group. args holds one address per descriptor. out ends with room for exactly the
// packet when it had less. 0, 1 after a report, or 812/813 for a misplaced EL.
int packbld_request(int group, int function, int32_t sequence, int async_flag, ipc_buffer *out,
                    void *const *args);
// Builds a whole reply packet into out: header, return status and every out argument taken from
// values (one address per descriptor). A message number without an entry gives a reply with no
// arguments.
int packbld_reply(int group, int message, int32_t sequence, int32_t status, ipc_buffer *out,
                  void *const *values);

// Extracts one value at *offset of packet (structures are those of the group in the packet's header)
// into *target, advancing *offset past it. A target that exists and whose recorded size equals the
// value's length is filled in place; otherwise the old target is freed when its recorded size is not 0
// and a new zero-filled one of exactly the value's length is made (a terminated array whose terminator
// did not arrive gets one zero element more). DYNA targets are dyna_array headers, structures the
// whole structure memory. 0 or the failure code; nothing is allocated for bytes that did not arrive.
int packxtr_value(const ipc_buffer *packet, int32_t *offset, int32_t type, int32_t count, void **target,
                  int32_t *target_size);
// Extracts one value into new memory described by *fresh (owned: capacity = length). Arrays get one
// extra zero element when their terminator did not arrive; a DYNA gives a dyna_array header with its
// elements, to be released with pack_fresh_release.
int packxtr_fresh(const ipc_buffer *packet, int32_t *offset, int32_t type, int32_t count, ipc_buffer *fresh);
// Releases what packxtr_fresh made for a value of this type and count in the group.
void pack_fresh_release(int group, int32_t type, int32_t count, ipc_buffer *fresh);

// Reads a reply: its return status into *status and every out argument into the places args gives.
// 0, 1 after a look-up report, or an extraction failure code. *status is set as soon as it is read.
int packxtr_reply(const ipc_buffer *packet, int32_t *status, void *const *args);

// The receiving side's unpacking of an incoming request: this library serves no request arguments, so
// it reads nothing, sets *async_flag to 0 and every one of slot_count slots to null. Returns 0.
int packxtr_request(const ipc_buffer *packet, int *async_flag, void **slots, int slot_count);

// Copies the function's argument addresses, one per descriptor, from args into values (room for 255).
// 0, or 1 after a look-up report.
int pack_args_to_array(int group, int function, void *const *args, void **values);
// Frees what an extraction of request arguments allocated into values (null slots are skipped).
void pack_release(int group, int message, void **values);

// Prints the packet for the debug log: header fields, async flag or return status, and every argument
// as its descriptor describes it. The password of a login record is printed masked. Nothing is printed
// without a stream.
void pack_dump(const ipc_buffer *packet, bool is_request, FILE *stream);

}  // namespace trl
