// The pack error report.
#include "pack/pack_error.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "transport/log.h"

namespace trl {

int pack_error(int status) {
  if (status == 0) return 0;
  if (status == 1) return 1;
  int error_number = errno;  // before anything below can change it
  FILE *log = ipc_log_stream();
  if (!log) return 1;
  std::time_t now = std::time(nullptr);
  std::fputs("====================================================\n", log);
  std::fputs(std::ctime(&now), log);
  std::fputs("Pack ( packgen, packxtr, or packbld ) error\n", log);
  std::fprintf(log, "        packerr = (%d)  errno = (%d)\n", status, error_number);
  std::fputs("=====================================================\n", log);
  std::fflush(log);
  return 1;
}

}  // namespace trl
