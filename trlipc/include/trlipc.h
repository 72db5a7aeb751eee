/*
 * trlipc.h - the C API of TRLIPC, the message-passing and remote-procedure runtime of the Zentrix
 * client. Valid C99 and C++.
 *
 * Conventions that hold for every function below unless its own comment says otherwise:
 *
 *  - Results are int status codes: 0 is success. A failure inside the library is written once to the
 *    log file "ipc<pid>.log" in the current directory where it arises and is then returned as -32766
 *    (IPC_REPORTED); the caller fetches the code and its text with ipc_getset_last_error. A few codes
 *    (the server's own statuses) are passed through unchanged.
 *  - Memory the library hands to a caller (out texts and arrays of remote calls, the server message of a
 *    connect) is zero-filled and belongs to the caller, who releases it with memory_null_no_len; a
 *    dynamic array is released with dyna_destroy. Releasing a null pointer is always a harmless no-op.
 *  - Every argument of a remote call is passed by address, the channel's instance value included.
 *  - Nothing is locked: use the library from one thread at a time.
 *
 * TRL_STDCALL marks the remote stubs and TRL_CDECL everything else. Both are empty on Linux; they keep
 * the calling conventions of the Windows build visible.
 */
#ifndef TRLIPC_H
#define TRLIPC_H

#include <stdint.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef TRL_STDCALL
#define TRL_STDCALL
#endif
#ifndef TRL_CDECL
#define TRL_CDECL
#endif
#if defined(TRLIPC_BUILDING)
#define TRL_API __attribute__((visibility("default")))
#else
#define TRL_API
#endif

/* A failure was already written to the log; ask ipc_getset_last_error for it. */
#define IPC_REPORTED (-32766)

/* ---------------------------------------------------------------------------------------------------
 * Type codes and counts of remote-call arguments. Define TRLIPC_NO_TYPE_CODES before including this
 * header to keep the short tag names (CH, SH, STR, ...) out of a program's namespace.
 */
#ifndef TRLIPC_NO_TYPE_CODES
enum {
  CH = 1,    /* signed character */
  UCH = 2,   /* unsigned byte */
  SH = 3,    /* signed 16-bit */
  USH = 4,   /* unsigned 16-bit */
  LW = 5,    /* signed 32-bit */
  ULW = 6,   /* unsigned 32-bit */
  FL = 7,    /* IEEE-754 single */
  DB = 8,    /* IEEE-754 double */
  STR = 9,   /* text character; normally a terminated array */
  USD = 10,  /* pointer to an ipc_buffer; built only */
  PT = 11,   /* pointer; never sent */
  EL = 12,   /* element count of the array argument that follows */
  DYNA = 13  /* dynamic array (dyna_array) */
};
#endif
/* Type code of structure n of a group. */
#define PACK_STRUCT_BASE 1000
/* Count of a terminated array with no practical limit: how every text argument is described. */
#define PACK_TERMINATED (-2000000002)
/* Count taken from the EL argument just before this one. */
#define PACK_COUNT_FROM_EL (-2000000001)

/* ---------------------------------------------------------------------------------------------------
 * Byte buffers. Every packet is one. A capacity of 0 marks a buffer that describes memory it does not
 * own.
 */
typedef struct ipc_buffer {
  unsigned char *data; /* the bytes, or null */
  int32_t length;      /* bytes in use */
  int32_t capacity;    /* bytes allocated; 0 when not owned */
} ipc_buffer;

/* ---------------------------------------------------------------------------------------------------
 * Dynamic arrays: growable lists of typed values, each element with its own type code, count and
 * separately allocated data. Elements are numbered from 1. The array owns its element table and every
 * element's data; an array holds at most 65,535 elements.
 */
typedef struct dyna_elem {
  uint16_t type; /* a type code */
  int32_t size;  /* count in units of the type: 1 for a scalar, text length + 1 for a STR */
  void *data;    /* the element's own block, or null */
} dyna_elem;

typedef struct dyna_array {
  uint16_t count;      /* elements in use */
  uint16_t capacity;   /* elements the table holds */
  dyna_elem *elements; /* the element table, null while empty */
} dyna_array;

/* A new empty array, or null when memory runs out. Release it with dyna_destroy. */
TRL_API dyna_array *TRL_CDECL dyna_construct(void);
/* Appends an element that takes over the block data; returns the new count, or 0 when the table could
 * not be grown (the block then still belongs to the caller). */
TRL_API int TRL_CDECL dyna_add(dyna_array *array, uint16_t type, int32_t size, void *data);
/* Appends a copy of the first length characters of text (stopping early at a zero), trailing blanks
 * removed, as a STR element; 0, or -1 when the copy could not be made. */
TRL_API int TRL_CDECL dyna_add_string(dyna_array *array, int length, const char *text);
/* Appends a copy of one value of the type as a scalar element; 0, or -1. */
TRL_API int TRL_CDECL dyna_add_data(dyna_array *array, uint16_t type, const void *value);
/* The number of elements; 0 for a null array. */
TRL_API int TRL_CDECL dyna_count(const dyna_array *array);
/* Element i's type, size and data; 0 or null when there is no array or i is not 1 to the count. The
 * data stays the array's. */
TRL_API uint16_t TRL_CDECL dyna_get_type(const dyna_array *array, int i);
TRL_API int32_t TRL_CDECL dyna_get_size(const dyna_array *array, int i);
TRL_API void *TRL_CDECL dyna_get_data(const dyna_array *array, int i);
/* Gives an empty array a new zero-filled table of n empty elements; count and capacity become n. An old
 * table is not released. */
TRL_API void TRL_CDECL dyna_make_room(dyna_array *array, int n);
/* Sets element i, taking over data and releasing the element's old block; grows the table to i + 100
 * elements when i exceeds the capacity, and the count then becomes i. Returns the count, or 0. */
TRL_API int TRL_CDECL dyna_grow_add(dyna_array *array, int i, uint16_t type, int32_t size, void *data);
/* Detaches element i's block without releasing it: the caller now owns it. */
TRL_API void TRL_CDECL dyna_clear_elem(dyna_array *array, int i);
/* Releases every element's data and the table; the header stays, empty. Returns 0. */
TRL_API int TRL_CDECL dyna_free(dyna_array *array);
/* dyna_free, then releases the header and sets *array to null. Returns 0. */
TRL_API int TRL_CDECL dyna_destroy(dyna_array **array);
/* Prints every element to standard output. */
TRL_API void TRL_CDECL dyna_print(const dyna_array *array);

/* ---------------------------------------------------------------------------------------------------
 * Descriptor tables. Every remote function of a group is described by an entry: its arguments with
 * their type codes, counts and directions. A group's table is registered by ipc_connect before the
 * channel opens.
 */
#define RPI_IN 1  /* argument sent with the request */
#define RPI_OUT 2 /* argument returned in the reply */

/* The local function of an entry; cast to its real signature before calling. */
typedef void (*rpi_proc)(void);

typedef struct rpi_arg {
  int32_t type;      /* a type code */
  int32_t count;     /* 0 scalar, > 0 fixed, < 0 terminated, or one of the PACK_ markers */
  int32_t direction; /* RPI_IN or RPI_OUT */
} rpi_arg;

typedef struct rpi_function {
  int32_t arg_count;   /* only the low byte counts */
  const rpi_arg *args; /* the argument descriptors, or null for an empty entry */
  rpi_proc function;   /* the local function for this message number, or null */
} rpi_function;

typedef struct rpi_field {
  int32_t type;
  int32_t count;
} rpi_field;

typedef struct rpi_struct {
  int32_t field_count;
  const rpi_field *fields;
} rpi_struct;

typedef struct rpi_group {
  const char *name;               /* "DBIRPI", "TRLRPI", ... */
  uint16_t group;                 /* group number; packets carry its low 8 bits */
  uint16_t function_count;        /* entries of the function table, indexed by message number */
  const rpi_function *functions;
  uint16_t struct_count;          /* structure n has the type code PACK_STRUCT_BASE + n */
  const rpi_struct *structs;
} rpi_group;

/* System message numbers, the same in every group. */
#define IPC_MSG_STOP 1
#define IPC_MSG_OK 2
#define IPC_MSG_RESEND 3
#define IPC_MSG_LOGIN 4

/* ---------------------------------------------------------------------------------------------------
 * Connecting. A client fills an rpi_connect_info and hands it to trlrpi_connect or dbirpi_connect,
 * which build the rpi_login_record that travels to the server. Texts are NUL-terminated inside their
 * fields. Both records have a fixed layout (932 and 702 bytes).
 */
typedef struct rpi_connect_info {
  char server[101];    /* host name or dotted address; empty or beginning with $ for the pipe transport */
  char port[101];      /* "#<port>" or a service name; the server program's path for the pipe transport */
  char service[51];    /* login field 1 */
  char user[51];       /* login field 2 */
  char password[51];   /* login field 3, plain text */
  char path[51];       /* login field 4 */
  char variables[500]; /* up to 10 "NAME=value" slots of 50 bytes, unused slots zero */
  int32_t protocol_selector;      /* trlrpi_connect: 3 selects the pipe transport */
  int32_t debug_level;            /* not read by the library */
  int32_t select_test_level;      /* not read by the library */
  int32_t ipc_client_debug_level; /* the channel's debug level: above 0 writes event and packet dumps */
  int32_t ipc_server_debug_level; /* low 16 bits go into the login record's flags word */
  int32_t dispatcher_debug_level; /* nonzero adds 128 to the flags word */
} rpi_connect_info;

typedef struct rpi_login_record {
  char service[50];
  char user[50];
  char password[50];
  char path[50];
  uint16_t flags; /* host byte order in memory */
  char variables[500];
} rpi_login_record;

/* Opens a channel of RPI group `group` to a server and logs in with `login` (an rpi_login_record).
 *  - host: host name or dotted address (socket); empty or beginning with $ for the pipe transport.
 *  - service: "#<port>" or a services-database name (socket), or the server program's path (pipe). The
 *    socket transport may upper-case a five-character service text in place.
 *  - protocol: 0 socket (tcp), 2 pipe; anything else fails with 702.
 *  - debug_level: 1 or more writes event, packet and socket dumps of this channel to the log; every
 *    connect sets the process-wide dump level for all channels.
 *  - descriptor_table: the group's rpi_group, registered under its own group number first.
 *  - *instance: -1 until the channel is in the table, then its instance value.
 *  - *server_message: null, or the server's text (also for a refused login), allocated by the library
 *    and freed by the caller with memory_null_no_len.
 * When the server names a port ("#<port>") the client moves there, sleeping 3 seconds before each of up
 * to 47 attempts. Result: 0; the transport's own code when its connect failed (last error set, the slot
 * stays in use until ipc_diskumbobulate); a login status of the server (1201 to 1206 and 701 pass
 * through as they are); otherwise IPC_REPORTED. On every failure except the transport's the channel is
 * already closed. */
TRL_API int TRL_CDECL ipc_connect(const char *host, char *service, void *login, int group, int protocol,
                                  int debug_level, void *descriptor_table, int *instance, char **server_message);
/* Closes a channel in order: with send_stop nonzero a stop message is exchanged with the server first.
 * 0, or an error result; when the stop exchange fails the channel stays open. */
TRL_API int TRL_CDECL ipc_disconnect(int instance, int send_stop);
/* Closes a channel abruptly (no stop message, nothing reported). 0, 703 (no such slot), 704 (slot
 * already free) or the transport's shutdown result; the slot is freed in every case but 703 and 704. */
TRL_API int TRL_CDECL ipc_diskumbobulate(int instance);
/* 1 when instance names a channel in use, else 0. */
TRL_API int TRL_CDECL dbirpi_find_instance(int instance);
/* Calls remote function message_number of the channel's group. The variable arguments are the
 * function's arguments in descriptor order, each an address: an in argument as the packing engine takes
 * it, an out argument as the address of the caller's variable (out texts and arrays are allocated by the
 * library; free them with memory_null_no_len, dynamic arrays with dyna_destroy). Out variables are
 * written only from a completely received reply. Result: the remote function's return status; 720 or
 * 721 when a packet header or body could not be received; otherwise IPC_REPORTED. */
TRL_API int TRL_CDECL ipc_request(int instance, int message_number, ...);
/* The message layer's last error.
 *  - mode 0: *code := the stored code; result the stored text (null before the first set).
 *  - mode > 0: stores *code with its table text (700 to 723), or the empty text for any other code.
 *  - mode < 0: stores *code with a copy of text (the empty text for null or "").
 * A returned text stays valid until the next set; it belongs to the library. */
TRL_API const char *TRL_CDECL ipc_getset_last_error(int mode, int *code, const char *text);

/* ---------------------------------------------------------------------------------------------------
 * Memory. Every block the library allocates is zero-filled; a failed allocation is recorded once per
 * process in "pardex.log" in the current directory. The *_null functions take the address of a pointer
 * variable (a char **, a void **, ...).
 */
/* A zero-filled block of size bytes, or null. */
TRL_API void *TRL_CDECL memory_get(int32_t size);
/* Releases block unless it is null or length is 0 (a length of 0 marks memory that is not owned). */
TRL_API int TRL_CDECL memory_free(void *block, int32_t length);
/* Releases *variable as memory_free does and sets it to null in every case. */
TRL_API int TRL_CDECL memory_null(void *variable, int32_t length);
/* As memory_null with the length read from *length; sets both variables to 0. */
TRL_API int TRL_CDECL memory_null_zero(void *variable, int32_t *length);
/* Releases *variable and sets it to null; does nothing for a null address or a null *variable. */
TRL_API void TRL_CDECL memory_null_no_len(void *variable);
/* Copies n bytes, overlapping areas allowed. A negative n copies nothing. Returns 0. */
TRL_API int TRL_CDECL libsa_memcpy(void *destination, const void *source, int32_t n);
/* Copies min(destination_length, source_length) bytes and fills the rest of the destination with fill.
 * A negative length copies nothing. Returns 0. */
TRL_API int TRL_CDECL libsa_memcpy_fill(void *destination, const void *source, int32_t destination_length,
                                        int32_t source_length, int fill);

/* ---------------------------------------------------------------------------------------------------
 * Version compatibility. Decides whether a client version and a server version go together, by their
 * rows in the compatibility table of mode 1 or 2. Version texts are compared over 10 bytes, letters
 * without regard to case; a missing text counts as lower than every version.
 * Results: 0 both versions fall on the same row; 1 the client level is above the server level, or the
 * mode is unknown; 2 the client's row is below the server's, or the client version is below every row;
 * 3 the server's row is below the client's, or the server version is below every row.
 * For modes 1 and 2 *note receives a new empty text that the caller frees with memory_null_no_len.
 */
TRL_API int TRL_CDECL allver_validate_versions(char **client_version, int *client_level, char **server_version,
                                               int *server_level, char **note, int mode);

/* ---------------------------------------------------------------------------------------------------
 * Text fields.
 */
/* Copies source into a field of n bytes: at most n - 1 characters, the rest of the field zero-filled,
 * byte n - 1 always zero. A null source only sets byte n - 1; a null destination or n <= 0 writes
 * nothing. Returns destination. */
TRL_API char *TRL_CDECL strx_cpy(char *destination, const char *source, int n);

/* strx_edit options, applied in the order listed. "Blank" is a space or a horizontal tab. */
#define STRX_QUOTE_AWARE 0x100     /* apply the other options only outside "..." and '...' parts */
#define STRX_REMOVE_BLANKS 0x02    /* remove every blank */
#define STRX_REMOVE_CONTROL 0x04   /* remove bytes 1-31, 127, 132-151, 155-159 */
#define STRX_LEADING_BLANKS 0x08   /* remove leading blanks */
#define STRX_SHORTEN_BLANKS 0x10   /* shorten each run of blanks to its last character */
#define STRX_UPPER 0x20            /* a-z and bytes 224-253 lose bit 0x20 */
#define STRX_BRACKETS 0x40         /* "[" becomes "(" and "]" becomes ")" */
#define STRX_TRAILING_BLANKS 0x80  /* remove trailing blanks */
#define STRX_LOWER 0x200           /* A-Z and bytes 192-221 gain bit 0x20 */
/* Edits the terminated text in place by the options and returns it; null is returned unchanged. */
TRL_API char *TRL_CDECL strx_edit(char *text, unsigned int options);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TRLIPC_H */
