// How a table entry names its local function: the exported stub of its message number.
#pragma once

#include "trlipc.h"

// Until the stubs are part of the library the entries carry no function.
#define TRL_STUB(name) nullptr
