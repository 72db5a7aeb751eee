// Error codes of the message layer and the transports, their texts, the last-error stores and the
// error entries of the IPC log.
//
// A failure is written to the log once, where it arises, and then travels up as IPC_REPORTED (-32766);
// a few codes (720, 721 and the login statuses 1201 to 1206) are passed through unchanged and written
// again by every enclosing step. 701 (the server stopped on request) is passed through silently.
#pragma once

#include <cstdint>

#include "trlipc.h"

namespace trl {

// ipcerr: the message layer.
enum : int32_t {
  IPCERR_PACK = 700,
  IPCERR_SERVER_STOPPED = 701,
  IPCERR_PROTOCOL = 702,
  IPCERR_NO_CHANNEL = 703,
  IPCERR_CHANNEL_CLOSED = 704,
  IPCERR_NO_OK = 705,
  IPCERR_RETRIES = 706,
  IPCERR_SYSTEM_MESSAGE = 707,
  IPCERR_DOUBLE_RESEND = 708,
  IPCERR_SEQUENCE = 709,
  IPCERR_WRONG_GROUP = 710,
  IPCERR_LOGIN = 711,
  IPCERR_NO_CHANNELS = 712,
  IPCERR_STOP_MESSAGE = 713,
  IPCERR_CHANNEL_LOST = 714,
  IPCERR_CHANNEL_NOT_FOUND = 715,
  IPCERR_ASYNC_NOT_FOUND = 716,
  IPCERR_ASYNC_FORCE = 717,
  IPCERR_ASYNC_MESSAGE = 718,
  IPCERR_RECONNECT = 719,
  IPCERR_HEADER = 720,
  IPCERR_BODY = 721,
  IPCERR_SERVER_ABORTED = 722,
  IPCERR_SERVER = 723,
};

// ipcsocerr: the socket transport.
enum : int32_t {
  SOCERR_PACK = 600,
  SOCERR_HOST = 601,
  SOCERR_SERVICE = 602,
  SOCERR_SOCKET = 603,
  SOCERR_CONNECT = 604,
  SOCERR_SHUTDOWN = 605,
  SOCERR_SEND = 606,
  SOCERR_RECEIVE_HEADER = 607,
  SOCERR_RECEIVE = 608,
  SOCERR_SENSE = 609,
  SOCERR_LISTEN_SOCKET = 610,
  SOCERR_BIND = 611,
  SOCERR_LISTEN = 612,
  SOCERR_ACCEPT = 613,
  SOCERR_NONBLOCK = 614,
  SOCERR_BLOCK = 615,
  SOCERR_TUNE = 616,
  SOCERR_CLOSE = 617,
  SOCERR_SHORT_SEND = 618,
  SOCERR_PEER_CLOSED = 619,
};

// ipcwpipeerr: the pipe transport.
enum : int32_t {
  PIPEERR_CREATE = 1100,
  PIPEERR_DUPLICATE = 1101,
  PIPEERR_PROCESS = 1102,
  PIPEERR_ARGUMENT = 1103,
  PIPEERR_CONNECT = 1104,
  PIPEERR_INDEX = 1105,
  PIPEERR_SEND = 1106,
  PIPEERR_SHORT_SEND = 1107,
  PIPEERR_RECEIVE = 1108,
  PIPEERR_PEEK = 1109,
};

// An unknown request from the other side: logged with its own text, the last error unchanged.
inline constexpr int32_t IPC_UNKNOWN_REQUEST = 20501;
inline constexpr char kUnknownRequestText[] = "Trelio Zentrix received an unknown request message from the client.";

// One code family: its first code and its texts, in code order.
struct ErrorFamily {
  int32_t first;
  int32_t count;
  const char *const *texts;
  // The table text of code, or null when code is not of the family.
  const char *text(int32_t code) const;
};
extern const ErrorFamily kIpcErrors;     // 700 to 723
extern const ErrorFamily kSocketErrors;  // 600 to 624
extern const ErrorFamily kPipeErrors;    // 1100 to 1109

// A last-error store: a code and an owned text (or the static empty text, or none before the first
// set). get_set has the contract of ipc_getset_last_error: mode 0 reads (*code := the code; result the
// text, null before the first set); mode > 0 takes the text from the family's table for *code (none for
// a code outside it); any mode other than 0 then stores *code and a copy of the text (the static empty
// text for none or an empty text) and returns the stored text, valid until the next set.
class ErrorStore {
 public:
  explicit constexpr ErrorStore(const ErrorFamily &family) : family_(family) {}
  const char *get_set(int mode, int *code, const char *text);
  // Back to the state of a new process; for tests.
  void reset();

 private:
  const ErrorFamily &family_;
  int32_t code_ = 0;
  char *text_ = nullptr;
  bool owned_ = false;
};

// The message layer's store, behind ipc_getset_last_error.
ErrorStore &ipc_error_store();

// The error reporting step of every message-layer operation: writes the "IPC  error" entry (own stream,
// closed after the entry) and sets the ipc store. Returns 0 for 0, 701 and -32766 untouched and without
// writing anything; the pass-through codes as they are; everything else as IPC_REPORTED. 714 also
// raises the process's fatal-error record.
int ipc_report_error(int code);

// True for the codes that ipc_report_error returns as they are (720, 721, 1201 to 1206).
bool ipc_is_pass_through(int code);

// The time text of the log entries: ctime of now, ending with a newline.
const char *log_time_text();

}  // namespace trl
