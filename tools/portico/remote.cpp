// Helpers around the TRLIPC calls of portico's subcommands.
#include "remote.h"

#include <cctype>
#include <cstring>
#include <iostream>

namespace portico {

rpi_connect_info make_connect_info(const std::string &host, const std::string &port, const std::string &service,
                                   const std::string &user, const std::string &password, int debug_level) {
  rpi_connect_info info;
  std::memset(&info, 0, sizeof info);
  bool digits = !port.empty() && port.find_first_not_of("0123456789") == std::string::npos;
  std::string transport_service = digits ? "#" + port : port;
  strx_cpy(info.server, host.c_str(), sizeof info.server);
  strx_cpy(info.port, transport_service.c_str(), sizeof info.port);
  strx_cpy(info.service, service.c_str(), sizeof info.service);
  strx_cpy(info.user, user.c_str(), sizeof info.user);
  strx_cpy(info.password, password.c_str(), sizeof info.password);
  info.ipc_client_debug_level = debug_level;
  return info;
}

std::string describe_failure(int result) {
  int code = result;
  const char *text = nullptr;
  if (result == IPC_REPORTED) {
    text = trlrpi_get_last_error(nullptr, &code);
  } else {
    int last = 0;
    const char *last_text = ipc_getset_last_error(0, &last, nullptr);
    if (last == result) text = last_text;
  }
  std::string description = "code " + std::to_string(code);
  if (text && *text) description += ": " + std::string(text);
  return description;
}

bool read_password_line(std::string *password) {
  if (!std::getline(std::cin, *password)) return false;
  if (!password->empty() && password->back() == '\r') password->pop_back();
  return true;
}

}  // namespace portico
