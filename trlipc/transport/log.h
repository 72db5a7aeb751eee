// The process's IPC log file "ipc<pid>.log": error entries and debug dumps of the runtime.
#pragma once

#include <cstdio>

namespace trl {

// The log file's name, "ipc%d.log" with the process ID read as a signed 16-bit number (so processes
// whose IDs differ by a multiple of 65536 share one file), relative to the current directory.
const char *ipc_log_name();

// The shared log stream, opened for appending on first use and kept open; null when the file cannot be
// opened (the next call tries again). The stream belongs to this module: never fclose it.
FILE *ipc_log_stream();

// Closes the shared stream so that the next ipc_log_stream opens the file again (for tests, and for a
// process that changed its current directory).
void ipc_log_close();

}  // namespace trl
