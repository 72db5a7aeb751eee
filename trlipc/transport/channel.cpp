// The channel table and the connection lifecycle: connect with login and reconnect, disconnect.
#include "transport/channel.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include "pack/buffer.h"
#include "pack/descriptors.h"
#include "pack/memory.h"
#include "pack/packet.h"
#include "transport/errors.h"
#include "transport/exchange.h"
#include "transport/log.h"
#include "transport/pipe.h"
#include "transport/socket.h"

namespace trl {
namespace {

constexpr int32_t kProtocolId = 5;
constexpr uint16_t kInitialMaxPacketLength = 32767;
constexpr int kReconnectAttempts = 47;
constexpr int kDefaultReconnectDelayMs = 3000;

ipc_channel *g_table = nullptr;
int g_size = 0;
int32_t g_next_connection_id = 1;
int g_reconnect_delay_ms = kDefaultReconnectDelayMs;

// Fills a record for protocol and group. 0, or IPCERR_PROTOCOL for a protocol without a transport (the
// other fields are set all the same).
int init_record(ipc_channel *c, int protocol, int group) {
  std::memset(c, 0, sizeof *c);
  c->connection_id = g_next_connection_id++;
  c->protocol = protocol;
  c->ops = ipc_transport_for(protocol);
  c->protocol_id = kProtocolId;
  c->group = static_cast<uint8_t>(group);
  c->max_packet_length = kInitialMaxPacketLength;
  c->side = IPC_SIDE_CLIENT;
  c->message_counter = 1;
  return c->ops ? 0 : IPCERR_PROTOCOL;
}

// The lowest free slot, else a new last slot (the table grows by one, the new slot zero-filled); the
// record is copied in. -1 when the table could not grow.
int add_to_table(const ipc_channel &record) {
  int slot = 0;
  while (slot < g_size && g_table[slot].protocol != IPC_PROTOCOL_FREE) ++slot;
  if (slot == g_size) {
    auto *grown = static_cast<ipc_channel *>(
        memory_realloc_or_get(g_table, static_cast<int32_t>((g_size + 1) * sizeof(ipc_channel)),
                              static_cast<int32_t>(g_size * sizeof(ipc_channel))));
    if (!grown) return -1;
    g_table = grown;
    ++g_size;
  }
  g_table[slot] = record;
  return slot;
}

void free_slot(ipc_channel *c) {
  c->protocol = IPC_PROTOCOL_FREE;
  buffer_release(c->last_sent);
  c->last_sent = nullptr;
}

// Ends the channel's transport connection; the endpoint is gone afterwards whatever the result.
int shut_down(ipc_channel *c) {
  ipc_dump_event(EV_DISCONNECTING, c, 0);
  int rc = c->ops ? c->ops->tp_shutdown(c->endpoint) : 0;
  if (rc == 0) c->endpoint = -1;
  return rc;
}

void sleep_ms(int milliseconds) {
  if (milliseconds <= 0) return;
  timespec t{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

// Steps 2 to 12 of a connect; *instance is set once the record is in the table. Returns 0 or an ipc
// code (not yet reported), or the transport connect's code after setting the last error (*transport_failed).
int connect_channel(const char *host, char *service, void *login, int group, int protocol, int debug_level,
                    void *descriptor_table, int *instance, char **server_message, char **reconnect,
                    bool *transport_failed) {
  if (descriptor_table) rpi_register_group(static_cast<const rpi_group *>(descriptor_table));
  if (!rpi_find_group(group)) return IPCERR_PACK;

  ipc_channel record;
  if (init_record(&record, protocol, group) != 0) return IPCERR_PROTOCOL;
  ipc_dump_setup(&record, debug_level);
  ipc_dump_event(EV_CONNECTING, &record, 0);

  int slot = add_to_table(record);
  if (slot < 0) return IPCERR_PACK;
  *instance = slot;
  ipc_channel *c = &g_table[slot];

  if (c->ops->tp_connect(host, service, &c->endpoint, &c->max_packet_length) != 0) {
    int code = 0;
    const char *text = c->ops->tp_error_text ? c->ops->tp_error_text(0, &code, nullptr) : "Lower level protocol error.";
    ipc_getset_last_error(-1, &code, text);
    *transport_failed = true;
    return code;
  }
  ipc_dump_event(EV_CONNECTED, c, 0);

  int login_number = 0;
  if (rpi_system_messages(group, &login_number, nullptr, nullptr, nullptr) != 0) return IPCERR_PACK;

  int32_t status = 0;
  if (ipc_request(slot, login_number, login, reconnect, &status, server_message) != 0) return IPCERR_LOGIN;
  if (status != 0) return status;
  if (!*reconnect || (*reconnect)[0] != '#') return 0;

  // The server named a port of its own for this session: leave the dispatcher and connect there.
  int rc = ipc_find_channel(slot, &c);
  if (rc != 0) return rc;
  rc = shut_down(c);
  if (rc != 0) return rc;
  for (int attempt = 0; attempt < kReconnectAttempts; ++attempt) {
    sleep_ms(g_reconnect_delay_ms);
    if (c->ops->tp_connect(host, *reconnect, &c->endpoint, &c->max_packet_length) == 0) {
      ipc_dump_event(EV_CONNECTED, c, 0);
      return 0;
    }
  }
  return IPCERR_RECONNECT;
}

}  // namespace

int ipc_find_channel(int instance, ipc_channel **channel) {
  if (instance < 0 || instance >= g_size) return IPCERR_NO_CHANNEL;
  if (g_table[instance].protocol == IPC_PROTOCOL_FREE) return IPCERR_CHANNEL_CLOSED;
  *channel = &g_table[instance];
  return 0;
}

int ipc_channel_instance(const ipc_channel *channel) {
  return channel >= g_table && channel < g_table + g_size ? static_cast<int>(channel - g_table) : -1;
}

const TransportOps *ipc_transport_for(int protocol) {
  if (protocol == IPC_PROTOCOL_SOCKET) return &socket_transport();
  if (protocol == IPC_PROTOCOL_PIPE) return &pipe_transport();
  return nullptr;
}

void ipc_set_reconnect_delay_ms(int milliseconds) { g_reconnect_delay_ms = milliseconds; }

void ipc_channels_reset() {
  for (int i = 0; i < g_size; ++i) buffer_release(g_table[i].last_sent);
  raw_release(g_table);
  g_table = nullptr;
  g_size = 0;
  g_next_connection_id = 1;
}

}  // namespace trl

using namespace trl;

extern "C" {

TRL_API int TRL_CDECL ipc_connect(const char *host, char *service, void *login, int group, int protocol,
                                  int debug_level, void *descriptor_table, int *instance, char **server_message) {
  *instance = -1;
  *server_message = nullptr;
  char *reconnect = nullptr;
  bool transport_failed = false;
  int code = connect_channel(host, service, login, group, protocol, debug_level, descriptor_table, instance,
                             server_message, &reconnect, &transport_failed);
  int result = code;
  if (code != 0 && !transport_failed) {
    result = ipc_report_error(code);
    ipc_diskumbobulate(*instance);
  }
  memory_null_no_len(&reconnect);
  return result;
}

TRL_API int TRL_CDECL ipc_disconnect(int instance, int send_stop) {
  ipc_channel *c = nullptr;
  int rc = ipc_find_channel(instance, &c);
  if (rc != 0) return ipc_report_error(rc);
  if (send_stop) {
    int stop = 0;
    if (rpi_system_messages(c->group, nullptr, &stop, nullptr, nullptr) != 0) return ipc_report_error(IPCERR_PACK);
    int32_t sequence = c->message_counter++;
    ipc_buffer *message = buffer_new(10);
    if (!message || packbld_control(c->group, stop, sequence, message) != 0) {
      buffer_release(message);
      return ipc_report_error(IPCERR_STOP_MESSAGE);
    }
    rc = ipc_exchange(c, stop, message, message);
    buffer_release(message);
    if (rc != 0) return ipc_report_error(rc);
  }
  rc = shut_down(c);
  if (rc == 0) free_slot(c);
  return ipc_report_error(rc);
}

TRL_API int TRL_CDECL ipc_diskumbobulate(int instance) {
  ipc_channel *c = nullptr;
  int rc = ipc_find_channel(instance, &c);
  if (rc != 0) return rc;
  rc = shut_down(c);
  free_slot(c);
  return rc;
}

TRL_API int TRL_CDECL dbirpi_find_instance(int instance) {
  ipc_channel *c = nullptr;
  return ipc_find_channel(instance, &c) == 0 ? 1 : 0;
}

}  // extern "C"
