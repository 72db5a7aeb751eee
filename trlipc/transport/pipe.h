// The pipe transport: the server runs as a child process of the client and the two talk over two
// anonymous pipes whose descriptors the child inherits and receives as its arguments.
//
// Endpoints are pipe slot numbers 1 to 128 of a process-wide table; a client takes the highest free
// slot, the child side adopts slot 1. The child is started with posix_spawn with the arguments
// `program`, "WPIPE" and "%08lx/%08lx" (its read descriptor, then its write descriptor). Failures are
// written as "IPC PIPE error" entries and set the pipe transport's last-error store (codes 1100 to
// 1109). Writes never raise SIGPIPE, a receive from a pipe whose writer is gone fails with 1108 instead
// of waiting for ever, and every child is reaped once it has ended.
#pragma once

#include <cstdint>
#include <string>

#include "transport/transport.h"

namespace trl {

inline constexpr int kPipeSlots = 128;
// The command-line marker before the handle text.
inline constexpr char kPipeMarker[] = "WPIPE";

// The pipe transport's operation table.
const TransportOps &pipe_transport();

// Creates the two pipes and starts program as the child that owns their other ends, filling slot. 0,
// or the result of pipe_report (1100, 1101, 1102), every descriptor made so far closed again.
int pipe_spawn(const char *program, int slot);

// The pipe error report: 0 and -32766 return as they are; any other code is written as an
// "IPC PIPE error" entry with errno and its text through a stream of its own (the store is set only when
// the entry is written) and IPC_REPORTED is returned.
int pipe_report(int code);

// The pipe transport's last-error store (the tp_error_text slot).
const char *pipe_error_text(int mode, int *code, const char *text);

// The command line of the last child started, in the documented form
// "\"<program>\" WPIPE <read>/<write>".
const std::string &pipe_last_command_line();

// The descriptors of a slot (-1 when it has none); false for a number outside 1 to 128.
bool pipe_slot_handles(int slot, int *read_handle, int *write_handle);

// Every slot closed and the store emptied, as in a new process; for tests.
void pipe_reset();

}  // namespace trl
