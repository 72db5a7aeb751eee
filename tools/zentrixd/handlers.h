// The remote functions zentrixd serves, in a table keyed by group and message number, and the server's
// own unpacking of request arguments.
//
// A handler receives a Call whose in arguments are unpacked (values[i] is the address of the value, as
// the packing engine's argument lists hold them) and sets its out arguments with the set_out_* helpers;
// its result is the reply's return status. To serve another function, add a handler to the table in
// handlers.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "trlipc.h"

namespace zentrixd {

class Session;

struct Call {
  static constexpr int kMaxArgs = 255;
  int group = 0;
  int message = 0;
  rpi_function entry{};
  void *values[kMaxArgs] = {};
  int32_t sizes[kMaxArgs] = {};  // bytes the unpacking allocated for in arguments
  // Storage of out arguments.
  int32_t scalars[kMaxArgs] = {};
  char *texts[kMaxArgs] = {};
  std::string text_storage[kMaxArgs];

  Call() = default;
  Call(const Call &) = delete;
  Call &operator=(const Call &) = delete;
  ~Call();

  uint32_t in_u32(int i) const;
  int32_t in_i32(int i) const;
  int16_t in_i16(int i) const;
  std::string in_text(int i) const;
  void set_out_i32(int i, int32_t value);
  void set_out_text(int i, const std::string &text);
};

// Unpacks the in arguments of request into call (group, message and entry too). false when the message
// has no entry or an argument does not lie in the packet.
bool unpack_request(const ipc_buffer *request, Call *call);

using Handler = int32_t (*)(Session &session, Call &call);

// The handler of a group's message, or null when zentrixd does not serve it.
Handler find_handler(int group, int message);

}  // namespace zentrixd
