// The shared IPC log stream.
#include "transport/log.h"

#include <unistd.h>

namespace trl {
namespace {

char g_log_name[32];
FILE *g_log = nullptr;

}  // namespace

const char *ipc_log_name() {
  std::snprintf(g_log_name, sizeof g_log_name, "ipc%d.log", static_cast<int>(static_cast<short>(getpid())));
  return g_log_name;
}

FILE *ipc_log_stream() {
  if (!g_log) g_log = std::fopen(ipc_log_name(), "a");
  return g_log;
}

void ipc_log_close() {
  if (g_log) std::fclose(g_log);
  g_log = nullptr;
}

}  // namespace trl
