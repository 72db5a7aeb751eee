// Default and echo answers of zentrixd for the functions of both groups.
#include "group_handlers.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "options.h"
#include "pack/descriptors.h"
#include "pack/memory.h"
#include "session.h"

namespace zentrixd {
namespace {

constexpr int kTrlrpi = 2;
constexpr int kValidateVersions = 23;
constexpr int kFirstFunction = 20;

// Dynamic arrays handed out as out arguments; they must live until the reply is built, which happens
// after the handler returns, so they are kept until the next call (a session serves one call at a
// time).
struct OutArrays {
  dyna_array arrays[Call::kMaxArgs] = {};
  int used = 0;
  void release() {
    for (int i = 0; i < used; ++i) dyna_free(&arrays[i]);
    used = 0;
  }
  dyna_array *next() { return &arrays[used++]; }
  ~OutArrays() { release(); }
};
OutArrays g_out_arrays;

void set_out_short(Call &call, int i, int16_t value) {
  // The packing engine reads two bytes at the address: the first two of the call's scalar slot.
  std::memcpy(&call.scalars[i], &value, sizeof value);
  call.values[i] = &call.scalars[i];
}

dyna_array *set_out_array(Call &call, int i) {
  dyna_array *array = g_out_arrays.next();
  call.values[i] = array;
  return array;
}

// Adds a text element that keeps every byte of text (trailing blanks too), with its terminator.
void add_text(dyna_array *array, const std::string &text) {
  auto *copy = static_cast<char *>(trl::memory_get_clear(1, static_cast<int32_t>(text.size() + 1)));
  if (!copy) return;
  std::memcpy(copy, text.data(), text.size());
  if (dyna_add(array, STR, static_cast<int32_t>(text.size() + 1), copy) == 0) {
    memory_free(copy, static_cast<int32_t>(text.size() + 1));
  }
}

void add_long(dyna_array *array, int32_t value) { dyna_add_data(array, LW, &value); }

const rpi_function *entry_of(const Call &call) { return call.entry.args ? &call.entry : nullptr; }

// Every out argument gets a value of its type: zero, an empty text, an empty dynamic array.
void fill_defaults(Call &call) {
  int count = call.entry.arg_count & 0xFF;
  for (int i = 0; i < count; ++i) {
    const rpi_arg &arg = call.entry.args[i];
    if (arg.direction != RPI_OUT) continue;
    if (arg.type == DYNA) set_out_array(call, i);
    else if (arg.type == STR) call.set_out_text(i, "");
    else if (arg.type == SH) set_out_short(call, i, 0);
    else call.set_out_i32(i, 0);
  }
}

int32_t serve_default(Session &, Call &call) {
  g_out_arrays.release();
  if (!entry_of(call)) return -1;
  fill_defaults(call);
  return 0;
}

// TRLRPI 23: the server's version text and level, in the form the client sent its own.
int32_t validate_versions(Session &session, Call &call) {
  g_out_arrays.release();
  fill_defaults(call);
  dyna_array *out = static_cast<dyna_array *>(call.values[2]);
  add_text(out, session.config().server_version);
  add_long(out, session.config().server_level);
  return 0;
}

std::string render_scalar(int32_t type, const void *value) {
  char text[32] = "?";
  if (!value) return "-";
  if (type == ULW || type == LW) {
    uint32_t v;
    std::memcpy(&v, value, sizeof v);
    if (type == ULW) std::snprintf(text, sizeof text, "u:%u", v);
    else std::snprintf(text, sizeof text, "l:%d", static_cast<int32_t>(v));
  } else if (type == SH || type == USH) {
    int16_t v;
    std::memcpy(&v, value, sizeof v);
    std::snprintf(text, sizeof text, "s:%d", v);
  }
  return text;
}

std::string render_dyna(const dyna_array *array) {
  std::string text = "d{";
  for (int i = 1; i <= dyna_count(array); ++i) {
    if (i > 1) text += ",";
    uint16_t type = dyna_get_type(array, i);
    const void *data = dyna_get_data(array, i);
    int32_t size = dyna_get_size(array, i);
    text += std::to_string(type) + ":";
    if (type == STR && data) {
      text += "t:" + std::string(static_cast<const char *>(data), strnlen(static_cast<const char *>(data), size));
    } else {
      text += render_scalar(type, data);
    }
  }
  return text + "}";
}

std::string render(const rpi_arg &arg, const void *value, int32_t size) {
  if (arg.type == DYNA) return render_dyna(static_cast<const dyna_array *>(value));
  if (arg.type == STR || arg.type == CH) {
    const char *text = static_cast<const char *>(value);
    return "t:" + (text ? std::string(text, strnlen(text, size)) : std::string());
  }
  if (arg.count != 0 && arg.type == SH) {
    int n = size / 2;
    std::string text = "s[" + std::to_string(n) + "]:";
    for (int k = 0; k < n; ++k) {
      int16_t v;
      std::memcpy(&v, static_cast<const char *>(value) + 2 * k, sizeof v);
      text += (k ? "," : "") + std::to_string(v);
    }
    return text;
  }
  return render_scalar(arg.type, value);
}

int32_t serve_echo(Session &, Call &call) {
  g_out_arrays.release();
  if (!entry_of(call)) return -1;
  int count = call.entry.arg_count & 0xFF;
  std::string line;
  for (int i = 0; i < count; ++i) {
    const rpi_arg &arg = call.entry.args[i];
    if (arg.direction != RPI_IN) continue;
    if (!line.empty()) line += "|";
    line += render(arg, call.values[i], call.sizes[i]);
  }
  std::fprintf(stderr, "zentrixd call %d.%d: %s\n", call.group, call.message, line.c_str());
  std::fflush(stderr);
  for (int i = 0; i < count; ++i) {
    const rpi_arg &arg = call.entry.args[i];
    if (arg.direction != RPI_OUT) continue;
    if (arg.type == DYNA) {
      dyna_array *out = set_out_array(call, i);
      add_text(out, line);
      add_long(out, echo_long(call.message, i));
    } else if (arg.type == STR) {
      call.set_out_text(i, line);
    } else if (arg.type == SH) {
      set_out_short(call, i, echo_short(call.message, i));
    } else {
      call.set_out_i32(i, echo_long(call.message, i));
    }
  }
  return call.message;
}

}  // namespace

Handler find_group_handler(int group, int message) {
  rpi_function entry{};
  if (message < kFirstFunction || trl::rpi_lookup_function(group, message, &entry) != 0 || !entry.args) {
    return nullptr;
  }
  if (group == kTrlrpi && message == kValidateVersions) return validate_versions;
  return serve_default;
}

Handler echo_handler() { return serve_echo; }

namespace {
bool g_echo = false;
}  // namespace

void set_echo_mode(bool on) { g_echo = on; }
bool echo_mode() { return g_echo; }

}  // namespace zentrixd
