// The stubs that open and close channels of the two groups, and the last-error stub.
#include <cstring>

#include "groups/groups.h"
#include "pack/descriptors.h"
#include "transport/errors.h"
#include "trlipc.h"

namespace trl {
namespace {

constexpr int kProtocolSocket = 0;
constexpr int kProtocolPipe = 2;
constexpr int kPipeSelector = 3;
constexpr int kFieldSize = 50;
constexpr uint16_t kDispatcherDebugFlag = 128;

// The flags word and the variables block, the same for both stubs.
void fill_common(const rpi_connect_info &info, rpi_login_record *login) {
  login->flags = static_cast<uint16_t>((info.ipc_server_debug_level & 0xFFFF) +
                                       (info.dispatcher_debug_level != 0 ? kDispatcherDebugFlag : 0));
  if (info.variables[0] != '\0') std::memcpy(login->variables, info.variables, sizeof login->variables);
}

}  // namespace

// TRLRPI: each login field holds at most 49 characters and its terminator.
void build_trlrpi_login(const rpi_connect_info &info, rpi_login_record *login) {
  std::memset(login, 0, sizeof *login);
  strx_cpy(login->service, info.service, kFieldSize);
  strx_cpy(login->user, info.user, kFieldSize);
  strx_cpy(login->password, info.password, kFieldSize);
  strx_cpy(login->path, info.path, kFieldSize);
  fill_common(info, login);
}

// DBIRPI: each field takes the 50 source bytes as they are, is terminated after them and loses its
// trailing blanks. The terminator after fields 1 to 3 is the first byte of the next field, which that
// field's copy overwrites, so those fields keep all 50 characters; the last field is terminated after
// its 49th byte.
void build_dbirpi_login(const rpi_connect_info &info, rpi_login_record *login) {
  std::memset(login, 0, sizeof *login);
  auto *record = reinterpret_cast<char *>(login);
  const char *sources[] = {info.service, info.user, info.password, info.path};
  for (int i = 0; i < 4; ++i) {
    char *field = record + i * kFieldSize;
    std::memcpy(field, sources[i], kFieldSize);
    field[i < 3 ? kFieldSize : kFieldSize - 1] = '\0';
    strx_edit(field, STRX_TRAILING_BLANKS);
  }
  fill_common(info, login);
}

namespace {

int connect_group(const rpi_group *group, int protocol, void (*build)(const rpi_connect_info &, rpi_login_record *),
                  rpi_connect_info *info, int *instance, char **server_message) {
  char *own_message = nullptr;
  if (instance) *instance = -1;
  if (server_message) *server_message = nullptr;
  // Without a connect request there is nothing to log in with, and a channel whose instance value
  // cannot be handed back could never be closed.
  if (!info || !instance) return ipc_report_error(IPCERR_LOGIN);

  rpi_login_record login;
  build(*info, &login);
  int result = ipc_connect(info->server, info->port, &login, group->group, protocol, info->ipc_client_debug_level,
                           const_cast<rpi_group *>(group), instance, server_message ? server_message : &own_message);
  // The login record held the password in plain text; it does not outlive the call.
  explicit_bzero(&login, sizeof login);
  memory_null_no_len(&own_message);
  if (result != 0) {
    ipc_diskumbobulate(*instance);
    // The slot is free again and may soon name another channel: its number is not handed out.
    *instance = -1;
  }
  return result;
}

}  // namespace
}  // namespace trl

using namespace trl;

extern "C" {

TRL_API int TRL_STDCALL trlrpi_connect(rpi_connect_info *info, int *instance, char **server_message) {
  int protocol = info && info->protocol_selector == kPipeSelector ? kProtocolPipe : kProtocolSocket;
  return connect_group(trlrpi_group(), protocol, build_trlrpi_login, info, instance, server_message);
}

TRL_API int TRL_STDCALL dbirpi_connect(rpi_connect_info *info, int *instance, char **server_message) {
  return connect_group(dbirpi_group(), kProtocolSocket, build_dbirpi_login, info, instance, server_message);
}

TRL_API int TRL_STDCALL dbirpi_disconnect(int *instance) {
  int result = ipc_disconnect(instance ? *instance : -1, 1);
  if (result != 0 && instance) *instance = -1;
  return result;
}

// One function under both names.
TRL_API decltype(trlrpi_disconnect) trlrpi_disconnect __attribute__((alias("dbirpi_disconnect")));

TRL_API const char *TRL_STDCALL trlrpi_get_last_error(int *instance, int *code) {
  int ignored = 0;
  return ipc_getset_last_error(0, code ? code : &ignored, nullptr);
}

}  // extern "C"
