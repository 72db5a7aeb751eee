// Code tables, last-error stores and the message layer's error report.
#include "transport/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "pack/memory.h"
#include "transport/log.h"

namespace trl {
namespace {

const char *const kIpcTexts[] = {
    "Previous PACK error caused problems",
    "Server has been stopped by request.",
    "Unknown protocol value.",
    "Instance value does not correspond to a communications channel.",
    "Trying to shutdown channel when it already is.",
    "Did not received expected OK packet for multiple packet message.",
    "Failed to send message after so many retries.",
    "Cannot generate system messages",
    "Got resend message when resend message has also been sent.",
    "Packets are out of sequence with a multiple packet message.",
    "Received message for wrong RPI group.",
    "Cannot complete login request to server.",
    "No communication channels open.",
    "Cannot construct a stop communications message.",
    "Problem with communication channel or other side terminated communications.",
    "Communication channel cannot be found with given instance value.",
    "Cannot find registered asyncronous request.",
    "Cannot force a psuedo-asyncronous call to be used with a real asyncronous call.",
    "Did not receive same message number from other side in psuedo-asyncronous call.",
    "Cannot reconnect to server.",
    "Cannot receive packet header.",
    "Cannot receive packet body.",
    "Server aborted... Look in log file.",
    "Server error.",
};

const char *const kSocketTexts[] = {
    "Previous PACK error caused problems",
    "Host information not found.  Check the \"hosts\" file in the \"etc\" directory for correct information.",
    "Service information not found.  Check the \"services\" file in the \"etc\" directory for correct "
    "information.",
    "Socket endpoint on client connot be created.",
    "Socket endpoint cannot be created on server. Check that the dispatcher is listening and the service "
    "name/port number is correct.",
    "Socket cannot be shutdown.",
    "Cannot send data through the socket.",
    "Cannot receive a packet header through the socket channel.",
    "Cannot receive a packet body through the socket channel.",
    "Not possible to sense data through the socket channel.",
    "Cannot set up a socket to listen for connection requests.",
    "Cannot bind to the listening socket.",
    "The listening socket went deaf.",
    "Cannot create socket for communication.",
    "Cannot make the socket channel non-blocking.",
    "Cannot make the socket channel blocking.",
    "Cannot tune the socket.",
    "Not able to close down socket.",
    "Could not send all data for packet. Most likely network problem.",
    "Received no data through socket. Most likely the other side has a problem.",
    "Cannot set signal handler for asyncronous sockets.",
    "Cannot enable signal handler for asyncronous sockets.",
    "Socket select error.",
    "Cannot put socket into asyncronous mode.",
    "Cannot send data through socket.",
};

const char *const kPipeTexts[] = {
    "Can't create pipe.",
    "Can't duplicate pipe handle for inheritance.",
    "Can't create server process.",
    "Can't get pipe handle values from command line argument.",
    "Can't connect to named pipe.",
    "Invalid pipe index.",
    "Can't send data through pipe.",
    "Failed to send correct amount of info through the pipe.",
    "Can't receive data from pipe.",
    "Can't peek at pipe.",
};

template <size_t N>
constexpr ErrorFamily family(int32_t first, const char *const (&texts)[N]) {
  return ErrorFamily{first, static_cast<int32_t>(N), texts};
}

char kEmptyText[] = "";

constexpr char kFatalUser[] = "The server unexpectedly shut down.";
constexpr char kFatalLog[] = "See the client ipc log file or the server ntrx log file for more information.";

ErrorStore g_ipc_store(kIpcErrors);

}  // namespace

const ErrorFamily kIpcErrors = family(IPCERR_PACK, kIpcTexts);
const ErrorFamily kSocketErrors = family(SOCERR_PACK, kSocketTexts);
const ErrorFamily kPipeErrors = family(PIPEERR_CREATE, kPipeTexts);

const char *ErrorFamily::text(int32_t code) const {
  if (code < first || code >= first + count) return nullptr;
  return texts[code - first];
}

const char *ErrorStore::get_set(int mode, int *code, const char *text) {
  if (mode == 0) {
    if (code) *code = code_;
    return text_;
  }
  int32_t new_code = code ? *code : 0;
  if (mode > 0) text = family_.text(new_code);
  // Copy before releasing: the caller may hand back the text this store returned.
  char *copy = kEmptyText;
  bool copy_owned = false;
  if (text && *text) {
    size_t n = std::strlen(text) + 1;
    if (char *block = static_cast<char *>(raw_allocate(n))) {
      std::memcpy(block, text, n);
      copy = block;
      copy_owned = true;
    }
  }
  if (owned_) raw_release(text_);
  text_ = copy;
  owned_ = copy_owned;
  code_ = new_code;
  return text_;
}

void ErrorStore::reset() {
  if (owned_) raw_release(text_);
  text_ = nullptr;
  owned_ = false;
  code_ = 0;
}

ErrorStore &ipc_error_store() { return g_ipc_store; }

bool ipc_is_pass_through(int code) {
  return code == IPCERR_HEADER || code == IPCERR_BODY || (code >= 1201 && code <= 1206);
}

const char *log_time_text() {
  std::time_t now = std::time(nullptr);
  const char *text = std::ctime(&now);
  return text ? text : "\n";
}

int ipc_report_error(int code) {
  int saved_errno = errno;
  if (code == 0 || code == IPCERR_SERVER_STOPPED || code == IPC_REPORTED) return code;

  const char *text;
  if (code == IPC_UNKNOWN_REQUEST) {
    text = kUnknownRequestText;
  } else {
    int c = code;
    text = g_ipc_store.get_set(1, &c, nullptr);
  }
  if (FILE *log = std::fopen(ipc_log_name(), "a")) {
    std::fputs("====================================================\n", log);
    std::fputs(log_time_text(), log);
    std::fputs("IPC  error\n", log);
    std::fprintf(log, "        ipcerr = (%d) %s\n", code, text ? text : "");
    std::fprintf(log, "        errno = (%d)\n", saved_errno);
    std::fputs("=====================================================\n", log);
    std::fclose(log);
  }
  if (code == IPCERR_CHANNEL_LOST) {
    char message[FatalState::kMessageSize];
    std::snprintf(message, sizeof message, "%s\n\n%s\n\n", kFatalUser, kFatalLog);
    fatal_error(IPCERR_CHANNEL_LOST, message, message);
    return IPC_REPORTED;
  }
  return ipc_is_pass_through(code) ? code : IPC_REPORTED;
}

}  // namespace trl

extern "C" TRL_API const char *TRL_CDECL ipc_getset_last_error(int mode, int *code, const char *text) {
  return trl::ipc_error_store().get_set(mode, code, text);
}
