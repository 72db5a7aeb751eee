// How a table entry names its local function: the exported stub of its message number.
#pragma once

#include "trlipc.h"

#define TRL_STUB(name) reinterpret_cast<rpi_proc>(&name)
