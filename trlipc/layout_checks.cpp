// The records of trlipc.h whose byte layout is fixed by the wire or by callers built elsewhere.
#include <cstddef>

#include "trlipc.h"

static_assert(sizeof(rpi_connect_info) == 932);
static_assert(offsetof(rpi_connect_info, port) == 101);
static_assert(offsetof(rpi_connect_info, service) == 202);
static_assert(offsetof(rpi_connect_info, variables) == 406);
static_assert(offsetof(rpi_connect_info, protocol_selector) == 908);
static_assert(offsetof(rpi_connect_info, dispatcher_debug_level) == 928);

static_assert(sizeof(rpi_login_record) == 702);
static_assert(offsetof(rpi_login_record, password) == 100);
static_assert(offsetof(rpi_login_record, flags) == 200);
static_assert(offsetof(rpi_login_record, variables) == 202);

static_assert(sizeof(rpi_arg) == 12);
static_assert(sizeof(rpi_field) == 8);

static_assert(offsetof(dyna_elem, type) == 0 && offsetof(dyna_elem, size) == 4 &&
              offsetof(dyna_elem, data) == 8);
static_assert(offsetof(dyna_array, count) == 0 && offsetof(dyna_array, capacity) == 2 &&
              offsetof(dyna_array, elements) == sizeof(void *));
static_assert(offsetof(ipc_buffer, data) == 0 && offsetof(ipc_buffer, length) == sizeof(void *) &&
              offsetof(ipc_buffer, capacity) == sizeof(void *) + 4);
