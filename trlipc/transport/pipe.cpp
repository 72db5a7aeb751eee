// The pipe transport on POSIX pipes and posix_spawn.
#include "transport/pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "transport/errors.h"
#include "transport/log.h"

extern char **environ;

namespace trl {
namespace {

struct PipeSlot {
  int read = -1;   // the end this process reads from
  int write = -1;  // the end this process writes to
  pid_t child = 0;  // the child started for this slot, until it is reaped
  bool in_use() const { return read >= 0 || write >= 0; }
};

PipeSlot g_slots[kPipeSlots + 1];  // numbered 1 to 128; element 0 is never used
ErrorStore g_store(kPipeErrors);
std::string g_command_line;
// Children whose slot was closed before they ended; reaped on later calls.
std::vector<pid_t> g_unreaped;

constexpr int kSenseSleepMs = 20;
// Descriptors handed to the child stay clear of standard input, output and error.
constexpr int kLowestChildHandle = 3;

bool valid_slot(int slot) { return slot >= 1 && slot <= kPipeSlots; }

void reap_children() {
  for (size_t i = 0; i < g_unreaped.size();) {
    pid_t r = ::waitpid(g_unreaped[i], nullptr, WNOHANG);
    // Ended, or no longer ours to wait for (a host that ignores SIGCHLD): forget it.
    if (r == g_unreaped[i] || (r < 0 && errno != EINTR)) {
      g_unreaped.erase(g_unreaped.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }
}

void close_slot(PipeSlot &slot) {
  if (slot.read >= 0) ::close(slot.read);
  if (slot.write >= 0 && slot.write != slot.read) ::close(slot.write);
  slot.read = slot.write = -1;
  if (slot.child > 0) {
    g_unreaped.push_back(slot.child);
    slot.child = 0;
  }
  reap_children();
}

void close_if_open(int &fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// A copy of fd that a child inherits (no close-on-exec), clear of the standard descriptors; the
// source is closed. -1 on failure, the source then still open.
int inheritable_copy(int fd) {
  int copy = ::fcntl(fd, F_DUPFD, kLowestChildHandle);
  if (copy >= 0) ::close(fd);
  return copy;
}

// write(2) that turns a reader gone away into EPIPE instead of a SIGPIPE that would end the process.
ssize_t write_without_sigpipe(int fd, const void *bytes, size_t n) {
  sigset_t pipe_signal, old_mask, pending;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  sigpending(&pending);
  bool already_pending = sigismember(&pending, SIGPIPE) == 1;
  pthread_sigmask(SIG_BLOCK, &pipe_signal, &old_mask);
  ssize_t written = ::write(fd, bytes, n);
  int saved = errno;
  if (written < 0 && saved == EPIPE && !already_pending) {
    // Take the signal this write raised, so that it is not delivered once the mask is restored.
    struct timespec no_wait = {0, 0};
    while (sigtimedwait(&pipe_signal, nullptr, &no_wait) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
  errno = saved;
  return written;
}

bool is_open_descriptor(unsigned long value) {
  return value <= static_cast<unsigned long>(INT_MAX) && ::fcntl(static_cast<int>(value), F_GETFD) >= 0;
}

// The operations of the table.

int pipe_connect(const char *host, char *program, tp_endpoint *endpoint, uint16_t *max_packet_length) {
  reap_children();
  int slot = kPipeSlots;
  while (slot >= 1 && g_slots[slot].in_use()) --slot;
  if (endpoint) *endpoint = slot >= 1 ? slot : 0;
  if (slot < 1) return pipe_report(PIPEERR_CONNECT);
  if (host && host[0] != '\0' && host[0] != '$') return pipe_report(PIPEERR_CONNECT);
  return pipe_spawn(program, slot);
}

int pipe_shutdown(tp_endpoint slot) {
  if (!valid_slot(slot)) return pipe_report(PIPEERR_INDEX);
  close_slot(g_slots[slot]);
  return 0;
}

int pipe_send(tp_endpoint slot, const ipc_buffer *buffer) {
  if (!valid_slot(slot) || g_slots[slot].write < 0) return pipe_report(PIPEERR_INDEX);
  int32_t left = buffer ? buffer->length : 0;
  if (left <= 0) return 0;
  if (!buffer->data) return pipe_report(PIPEERR_SEND);
  const unsigned char *p = buffer->data;
  // A blocking pipe write moves the whole buffer; it only stops early when a signal interrupts it,
  // and then the rest is written.
  while (left > 0) {
    ssize_t n = write_without_sigpipe(g_slots[slot].write, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return pipe_report(PIPEERR_SEND);
    }
    if (n == 0) return pipe_report(PIPEERR_SHORT_SEND);
    p += n;
    left -= static_cast<int32_t>(n);
  }
  return 0;
}

int pipe_receive(tp_endpoint slot, ipc_buffer *buffer) {
  if (!valid_slot(slot) || g_slots[slot].read < 0) return pipe_report(PIPEERR_INDEX);
  int32_t left = buffer ? buffer->length : 0;
  if (left <= 0) return 0;
  unsigned char *p = buffer->data;
  while (left > 0) {
    ssize_t n = ::read(g_slots[slot].read, p, static_cast<size_t>(left));
    if (n < 0 && errno == EINTR) continue;
    // A read of 0 bytes means every writer is gone: nothing more will ever come, so the receive ends
    // here instead of trying again for ever.
    if (n <= 0) return pipe_report(PIPEERR_RECEIVE);
    p += n;
    left -= static_cast<int32_t>(n);
  }
  return 0;
}

int pipe_sense(tp_endpoint slot, int32_t *data_waiting) {
  if (!valid_slot(slot) || g_slots[slot].read < 0) return pipe_report(PIPEERR_INDEX);
  int available = 0;
  if (::ioctl(g_slots[slot].read, FIONREAD, &available) != 0) return pipe_report(PIPEERR_PEEK);
  if (available > 0) {
    if (data_waiting) *data_waiting = 1;
    return 0;
  }
  struct timespec pause = {0, kSenseSleepMs * 1000000L};
  nanosleep(&pause, nullptr);
  if (data_waiting) *data_waiting = 0;
  return 0;
}

// Child side: adopts the descriptors named after the marker as slot 1.
int pipe_listen(char *handles, tp_endpoint *endpoint, uint16_t *max_packet_length) {
  unsigned long read_handle = 0, write_handle = 0;
  if (!handles || std::sscanf(handles, "%lx/%lx", &read_handle, &write_handle) != 2)
    return pipe_report(PIPEERR_ARGUMENT);
  // Values that name no open descriptor could only fail later, on the first read or write.
  if (!is_open_descriptor(read_handle) || !is_open_descriptor(write_handle)) return pipe_report(PIPEERR_ARGUMENT);
  if (g_slots[1].in_use()) return pipe_report(PIPEERR_CONNECT);
  g_slots[1].read = static_cast<int>(read_handle);
  g_slots[1].write = static_cast<int>(write_handle);
  g_slots[1].child = 0;
  if (endpoint) *endpoint = 1;
  return 0;
}

const TransportOps kPipeOps = {
    pipe_connect,   // tp_connect
    pipe_shutdown,  // tp_shutdown
    pipe_send,      // tp_send
    pipe_receive,   // tp_receive
    pipe_sense,     // tp_sense
    pipe_listen,    // tp_listen (child side)
    pipe_shutdown,  // tp_shutdown_listener
    nullptr,        // tp_accept
    pipe_shutdown,  // tp_close
    pipe_shutdown,  // tp_close_listener
    nullptr,        // tp_reserve_port
    nullptr,        // tp_enable_async
    nullptr,        // tp_disable_async
    {nullptr, nullptr, nullptr},
    pipe_error_text,  // tp_error_text
};

}  // namespace

const TransportOps &pipe_transport() { return kPipeOps; }

int pipe_spawn(const char *program, int slot) {
  if (!valid_slot(slot)) return pipe_report(PIPEERR_INDEX);
  int from_child[2] = {-1, -1};  // pipe A: this process reads, the child writes
  int to_child[2] = {-1, -1};    // pipe B: the child reads, this process writes
  int child_write = -1, child_read = -1;
  int code = 0;
  pid_t pid = 0;

  // Each step's failure is the code of that step; the descriptors made before it are closed below.
  auto make_pipes = [&]() -> int {
    if (::pipe2(from_child, O_CLOEXEC) != 0) return PIPEERR_CREATE;
    if ((child_write = inheritable_copy(from_child[1])) < 0) return PIPEERR_DUPLICATE;
    from_child[1] = -1;
    if (::pipe2(to_child, O_CLOEXEC) != 0) return PIPEERR_CREATE;
    if ((child_read = inheritable_copy(to_child[0])) < 0) return PIPEERR_DUPLICATE;
    to_child[0] = -1;
    return 0;
  };
  code = make_pipes();
  if (code == 0) {
    char handles[40];
    std::snprintf(handles, sizeof handles, "%08lx/%08lx", static_cast<unsigned long>(child_read),
                  static_cast<unsigned long>(child_write));
    g_command_line = std::string("\"") + (program ? program : "") + "\" " + kPipeMarker + " " + handles;
    char *argv[] = {const_cast<char *>(program ? program : ""), const_cast<char *>(kPipeMarker), handles,
                    nullptr};
    int spawned = program && program[0] ? ::posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) : ENOENT;
    if (spawned != 0) {
      errno = spawned;
      code = PIPEERR_PROCESS;
    }
  }

  int result = 0;
  if (code != 0) {
    result = pipe_report(code);
    close_if_open(from_child[0]);
    close_if_open(from_child[1]);
    close_if_open(to_child[0]);
    close_if_open(to_child[1]);
  } else {
    g_slots[slot].read = from_child[0];
    g_slots[slot].write = to_child[1];
    g_slots[slot].child = pid;
  }
  // The child's ends belong to the child now (or to nobody, after a failure).
  close_if_open(child_read);
  close_if_open(child_write);
  return result;
}

int pipe_report(int code) {
  int saved_errno = errno;
  if (code == 0 || code == IPC_REPORTED) return code;
  if (FILE *log = std::fopen(ipc_log_name(), "a")) {
    int stored = code;
    const char *text = g_store.get_set(1, &stored, nullptr);
    char system_text[256] = "";
    if (saved_errno != 0) {
      const char *message = strerror_r(saved_errno, system_text, sizeof system_text);
      if (message != system_text) std::snprintf(system_text, sizeof system_text, "%s", message);
    }
    std::fputs("====================================================\n", log);
    std::fputs(log_time_text(), log);
    std::fputs("IPC PIPE error\n", log);
    std::fprintf(log, "        ipcwpipeerr = (%d) %s\n", code, text ? text : "");
    std::fprintf(log, "        errno = (%lu) %s\n", static_cast<unsigned long>(saved_errno), system_text);
    std::fputs("====================================================\n", log);
    std::fclose(log);
  }
  return IPC_REPORTED;
}

const char *pipe_error_text(int mode, int *code, const char *text) { return g_store.get_set(mode, code, text); }

const std::string &pipe_last_command_line() { return g_command_line; }

bool pipe_slot_handles(int slot, int *read_handle, int *write_handle) {
  if (!valid_slot(slot)) return false;
  if (read_handle) *read_handle = g_slots[slot].read;
  if (write_handle) *write_handle = g_slots[slot].write;
  return true;
}

void pipe_reset() {
  for (int slot = 1; slot <= kPipeSlots; ++slot) close_slot(g_slots[slot]);
  g_store.reset();
  g_command_line.clear();
}

}  // namespace trl
