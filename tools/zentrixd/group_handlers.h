// zentrixd's answers to every function of both groups that has no handler of its own.
//
// Every remote function of DBIRPI and TRLRPI gets a well-formed reply of its descriptor: status 0,
// zero scalars, empty texts and empty dynamic arrays; TRLRPI 23 (validate versions) answers with the
// configured server version and level. With the scenario "echo" every function instead answers with
// status = its message number and out values that tell where they came from, and writes the in
// arguments it received as one line on standard error ("zentrixd call G.M: ..."), so that a test can
// check both directions of every stub.
#pragma once

#include <cstdint>

#include "handlers.h"
#include "trlipc.h"

namespace zentrixd {

struct Config;

// The default handler of a group's function (20 and up, non-empty entries), or null.
Handler find_group_handler(int group, int message);

// The handler of the "echo" scenario, for every function. While echo mode is on (the scenario "echo")
// it serves every function, also those with a handler of their own.
Handler echo_handler();
void set_echo_mode(bool on);
bool echo_mode();

// The echo writes each in argument as: "u:7" (ULW), "l:-3" (LW), "s:5" (SH), "s[3]:1,2,3" (an SH
// array), "t:text" (a text), "d{9:t:ab,5:l:7}" (a dynamic array: each element's type code and value),
// joined by "|". An out text receives the whole line after the colon; an out dynamic array a STR
// element with it and an LW element of echo_long.
// The echo's out values of argument i of message m.
inline int16_t echo_short(int message, int i) { return static_cast<int16_t>(message * 100 + i); }
inline int32_t echo_long(int message, int i) { return message * 1000 + i; }

}  // namespace zentrixd
