// zentrixd's configuration: listening address and port, accounts, reconnect, one scenario, logging.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentrixd {

struct Account {
  std::string service;
  std::string user;
  std::string password;
};

// One fault at a time, applied to the first remote call after the login (message 20 and up) unless the
// scenario concerns the login itself. Names (ARG in brackets):
//   refuse-login[=STATUS]   the login is answered with STATUS (default 1203) and a server message
//   reconnect-text=TEXT     the login's reconnect text is TEXT as given (e.g. "5001")
//   close-in-header         the reply's first 5 bytes are sent, then the connection is closed
//   close-in-body           the header and 3 body bytes are sent, then the connection is closed
//   stop-instead            a stop message is sent instead of the reply
//   resend-first            a resend request is sent first; the reply follows the client's resend
//   bad-header-then-resend  a header of length 5 (unreadable), then a resend request of our own
//   out-of-sequence         a reply of four parts whose second part is left out
//   garbage-headers         six headers of length 5 instead of the reply
//   wrong-ack               the first part of a long request is answered with a reply, not an OK
//   wrong-group             the reply carries another group number
//   request-first[=N]       a request of message N (default 200) to the client before the reply
//   reply-size=N            function 27 replies with a message of N bytes in total
//   delay=MS                every reply waits MS milliseconds
//   echo                    every function answers with status = its message number and echoes its in
//                           arguments (see group_handlers.h)
struct Scenario {
  std::string name;
  std::string arg;
  bool has_arg = false;
  int number(int fallback) const;
};

struct Config {
  std::string address = "127.0.0.1";
  int port = 0;
  std::vector<Account> accounts;  // none: every login is accepted
  int32_t refused_status = 1203;  // login status of a wrong password
  bool reconnect = false;         // name a per-session port in the login reply
  Scenario scenario;
  bool log = false;               // one line per packet on standard error
  int32_t server_error_code = 0;  // what function 27 returns
  std::string server_error_text = "No server error.";
  std::string server_version = "5.3-AA    ";  // what function 23 of TRLRPI answers
  int32_t server_level = 1;
};

// Parses the command line (and the files of --config, whose lines are options without the leading
// "--", blank lines and lines starting with # ignored). false with *error set on a bad option.
bool parse_options(int argc, char **argv, Config *config, std::string *error);

// The usage text.
const char *usage();

}  // namespace zentrixd
