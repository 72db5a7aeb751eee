// Handlers of zentrixd's remote functions and its unpacking of requests.
#include "handlers.h"

#include <cstring>

#include "pack/descriptors.h"
#include "pack/memory.h"
#include "pack/pack.h"
#include "pack/packet.h"
#include "group_handlers.h"
#include "session.h"

namespace zentrixd {
namespace {

constexpr int kTrlrpi = 2;

// 20, init engine (instance, debug level, SelTest level): a negative level is refused with status 1.
int32_t init_engine(Session &, Call &call) { return call.in_i32(1) < 0 || call.in_i32(2) < 0 ? 1 : 0; }

// 21 stop engine, 22 ping.
int32_t succeed(Session &, Call &) { return 0; }

// 27, get server error: the configured code and text, or for the reply-size scenario a text that makes
// the whole reply that many bytes (header 11, status 4, code 4, text and its terminator).
int32_t get_server_error(Session &session, Call &call) {
  const Config &config = session.config();
  call.set_out_i32(1, config.server_error_code);
  if (config.scenario.name == "reply-size") {
    int size = config.scenario.number(0) - 20;
    call.set_out_text(2, std::string(size > 0 ? static_cast<size_t>(size) : 0, 'x'));
  } else if (config.scenario.name == "out-of-sequence") {
    call.set_out_text(2, std::string(3000, 'y'));  // four parts at 920 bytes
  } else {
    call.set_out_text(2, config.server_error_text);
  }
  return 0;
}

// 36, delete rdf (instance, name): answers with the number of characters of the name that arrived, so
// that a long request can be checked end to end.
int32_t delete_rdf(Session &, Call &call) { return static_cast<int32_t>(call.in_text(1).size()); }

struct Entry {
  int group;
  int message;
  Handler handler;
};

const Entry kHandlers[] = {
    {kTrlrpi, 20, init_engine},
    {kTrlrpi, 21, succeed},
    {kTrlrpi, 22, succeed},
    {kTrlrpi, 27, get_server_error},
    {kTrlrpi, 36, delete_rdf},
};

}  // namespace

Call::~Call() {
  int count = entry.arg_count & 0xFF;
  for (int i = 0; i < count; ++i) {
    if (!entry.args || entry.args[i].direction != RPI_IN || !values[i]) continue;
    if (entry.args[i].type == DYNA) {
      auto *array = static_cast<dyna_array *>(values[i]);
      dyna_destroy(&array);
    } else {
      memory_free(values[i], sizes[i]);
    }
  }
}

uint32_t Call::in_u32(int i) const {
  uint32_t v = 0;
  if (values[i]) std::memcpy(&v, values[i], sizeof v);
  return v;
}
int32_t Call::in_i32(int i) const { return static_cast<int32_t>(in_u32(i)); }
int16_t Call::in_i16(int i) const {
  int16_t v = 0;
  if (values[i]) std::memcpy(&v, values[i], sizeof v);
  return v;
}
std::string Call::in_text(int i) const {
  if (!values[i]) return "";
  return std::string(static_cast<const char *>(values[i]), strnlen(static_cast<const char *>(values[i]), sizes[i]));
}

void Call::set_out_i32(int i, int32_t value) {
  scalars[i] = value;
  values[i] = &scalars[i];
}

void Call::set_out_text(int i, const std::string &text) {
  text_storage[i] = text;
  texts[i] = text_storage[i].data();
  values[i] = &texts[i];
}

bool unpack_request(const ipc_buffer *request, Call *call) {
  if (trl::packet_group(request, &call->group) != 0 || trl::packet_message_number(request, &call->message) != 0) {
    return false;
  }
  if (trl::rpi_lookup_function(call->group, call->message, &call->entry) != 0) return false;
  int32_t offset = trl::kRequestArgsOffset;
  int count = call->entry.arg_count & 0xFF;
  for (int i = 0; i < count && call->entry.args; ++i) {
    const rpi_arg &arg = call->entry.args[i];
    if (arg.direction != RPI_IN) continue;
    if (trl::packxtr_value(request, &offset, arg.type, arg.count, &call->values[i], &call->sizes[i]) != 0) {
      return false;
    }
  }
  return true;
}

Handler find_handler(int group, int message) {
  if (echo_mode()) return find_group_handler(group, message) ? echo_handler() : nullptr;
  for (const Entry &e : kHandlers) {
    if (e.group == group && e.message == message) return e.handler;
  }
  // Every other function of both groups gets a well-formed reply of its descriptor.
  return find_group_handler(group, message);
}

}  // namespace zentrixd
