// What portico's subcommands share around the TRLIPC calls: the connect request, timing each step,
// and turning a failed call into the code and the library's text.
#pragma once

#include <chrono>
#include <string>

#include "trlipc.h"

namespace portico {

// A connect request for the socket transport: host, service ("#<port>" for a bare port number),
// login service, user and password.
rpi_connect_info make_connect_info(const std::string &host, const std::string &port, const std::string &service,
                                   const std::string &user, const std::string &password, int debug_level);

// "code N: text" for a failed TRLIPC call: for -32766 the library's last error, otherwise the code the
// call returned (a server's status) with the library's text when it has one for that code.
std::string describe_failure(int result);

// A wall-clock stopwatch in milliseconds.
class Stopwatch {
 public:
  Stopwatch() : start_(std::chrono::steady_clock::now()) {}
  long long elapsed_ms() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

// Reads one line from standard input, without its line end. false at the end of input.
bool read_password_line(std::string *password);

}  // namespace portico
