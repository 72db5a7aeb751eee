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
 * Remote procedures of the groups DBIRPI (3) and TRLRPI (2). Every stub sends its function's message
 * number with its arguments on the channel whose instance value *instance holds, waits for the reply
 * and returns the remote function's status (0 for success), or an error result of the exchange
 * (IPC_REPORTED, or 720/721 when a packet could not be received). Every argument is an address:
 *  - an in scalar: the address of the value; an in text: the address of the variable holding the text;
 *  - an in fixed array: the address of the variable holding the array;
 *  - a dynamic array in: the array; out: an empty array (dyna_construct, or emptied by dyna_free) that
 *    the reply fills;
 *  - an out scalar: the variable that receives it; an out text: a char * variable that is null on entry
 *    and receives a new text, freed by the caller with memory_null_no_len.
 * A stub is meant for channels of its own group: the channel's group decides how the message number
 * and the arguments are read. Names of two groups that share a number and an argument count are one
 * function under two names.
 */

/* Opens a channel of group 2 (trlrpi_connect) or 3 (dbirpi_connect) to the server that info names and
 * logs in; trlrpi_connect takes the pipe transport when info->protocol_selector is 3, the socket
 * transport otherwise; dbirpi_connect always the socket transport. *instance receives the instance
 * value (-1 on failure); *server_message the server's text (may stay null), freed by the caller with
 * memory_null_no_len. A failed connect leaves no channel open. */
TRL_API int TRL_STDCALL trlrpi_connect(rpi_connect_info *info, int *instance, char **server_message);
TRL_API int TRL_STDCALL dbirpi_connect(rpi_connect_info *info, int *instance, char **server_message);
/* Closes the channel with a stop message to the server. When that fails *instance becomes -1. One
 * function under both names. */
TRL_API int TRL_STDCALL trlrpi_disconnect(int *instance);
TRL_API int TRL_STDCALL dbirpi_disconnect(int *instance);
/* The last error of the library: its code into *code and its text as the result (null before the first
 * error). The instance is not used. The text stays the library's, valid until the next error. */
TRL_API const char *TRL_STDCALL trlrpi_get_last_error(int *instance, int *code);

/* DBIRPI (group 3). */
/* 20 */ TRL_API int TRL_STDCALL dbirpi_begin(int *instance, const uint32_t *a2, const uint32_t *a3);
/* 21 */ TRL_API int TRL_STDCALL dbirpi_end(int *instance, const uint32_t *a2);
/* 22 */ TRL_API int TRL_STDCALL dbirpi_lookup_by_name(int *instance, const char *const *name, const int16_t *a3,
                                                       int16_t *result);
/* 23 */ TRL_API int TRL_STDCALL dbirpi_get_rd(int *instance, const char *const *name, dyna_array *out);
/* 24 */ TRL_API int TRL_STDCALL dbirpi_get_header_rd(int *instance, const char *const *name, dyna_array *out);
/* 25 */ TRL_API int TRL_STDCALL dbirpi_get_field_rd(int *instance, const char *const *name, dyna_array *out);
/* 26 */ TRL_API int TRL_STDCALL dbirpi_lookup_group(int *instance, const char *const *name);
/* 27 */ TRL_API int TRL_STDCALL dbirpi_name_check(int *instance, const char *const *name);
/* 28 */ TRL_API int TRL_STDCALL dbirpi_num_fields(int *instance, const char *const *name, const uint32_t *a3);
/* 29 */ TRL_API int TRL_STDCALL dbirpi_read_dictionary(int *instance, const int16_t *a2, const char *const *name,
                                                        const int16_t *a4, dyna_array *out);
/* 30 */ TRL_API int TRL_STDCALL dbirpi_remove_ddf(int *instance, const char *const *name, const int16_t *a3);
/* 31 */ TRL_API int TRL_STDCALL dbirpi_save_record(int *instance, const dyna_array *a2, const dyna_array *a3,
                                                    const dyna_array *a4, const uint32_t *a5);
/* 32 */ TRL_API int TRL_STDCALL dbirpi_list_groups(int *instance, dyna_array *out);
/* 33 */ TRL_API int TRL_STDCALL dbirpi_generate_document(int *instance, const char *const *name, const int16_t *a3,
                                                          dyna_array *out);
/* 35 */ TRL_API int TRL_STDCALL dbirpi_describe_view_links(int *instance, const char *const *name, dyna_array *out);
/* 36 */ TRL_API int TRL_STDCALL dbirpi_save_group(int *instance, const dyna_array *group, const int16_t *a3);
/* 37 */ TRL_API int TRL_STDCALL dbirpi_delete_group(int *instance, const int16_t *number);
/* 38 */ TRL_API int TRL_STDCALL dbirpi_read_control(int *instance, dyna_array *out);
/* 39 */ TRL_API int TRL_STDCALL dbirpi_save_control(int *instance, const dyna_array *control);
/* 40 */ TRL_API int TRL_STDCALL dbirpi_list_users(int *instance, const char *const *name, dyna_array *out);
/* 41 */ TRL_API int TRL_STDCALL dbirpi_read_user_groups(int *instance, const char *const *user, dyna_array *out);
/* 42 */ TRL_API int TRL_STDCALL dbirpi_get_group_by_number(int *instance, const int16_t *number, char **name);
/* 43 */ TRL_API int TRL_STDCALL dbirpi_save_user(int *instance, const dyna_array *user, const uint32_t *a3);
/* 44 */ TRL_API int TRL_STDCALL dbirpi_delete_user(int *instance, const char *const *user);
/* 45 */ TRL_API int TRL_STDCALL dbirpi_write_header_rd(int *instance, const dyna_array *header, const int16_t *a3);
/* 46 */ TRL_API int TRL_STDCALL dbirpi_save_view(int *instance, const uint32_t *a2, const dyna_array *a3,
                                                  const dyna_array *a4, const dyna_array *a5);
/* 47 */ TRL_API int TRL_STDCALL dbirpi_dmsutl(int *instance, const dyna_array *in, dyna_array *out);
/* 48 */ TRL_API int TRL_STDCALL dbirpi_get_server_error(int *instance, int32_t *code, char **text);
/* 49 */ TRL_API int TRL_STDCALL dbirpi_load_group(int *instance, const int16_t *a2, const char *const *name,
                                                   dyna_array *out);
/* 50 */ TRL_API int TRL_STDCALL dbirpi_get_network_set_name(int *instance, const char *const *a2,
                                                             const char *const *a3, dyna_array *out);
/* 51 */ TRL_API int TRL_STDCALL dbirpi_set_env_vars(int *instance, const dyna_array *variables);
/* 52 */ TRL_API int TRL_STDCALL dbirpi_get_current_user(int *instance, char **user);
/* 53 */ TRL_API int TRL_STDCALL dbirpi_validate_link(int *instance, const dyna_array *link);
/* 54 */ TRL_API int TRL_STDCALL dbirpi_list_modules(int *instance, dyna_array *out);
/* 55 */ TRL_API int TRL_STDCALL dbirpi_save_modules(int *instance, const dyna_array *modules);
/* 56 */ TRL_API int TRL_STDCALL dbirpi_check_file_exists(int *instance, const char *const *name, int16_t *exists);
/* a4 and a5 hold exactly 33 values each. */
/* 57 */ TRL_API int TRL_STDCALL dbirpi_create_file(int *instance, const char *const *name, const int16_t *a3,
                                                    int16_t *const *a4, int16_t *const *a5, const int16_t *a6);

/* TRLRPI (group 2). */
/* Starts the server's engine with the debug and SelTest levels. */
/* 20 */ TRL_API int TRL_STDCALL trlrpi_init_engine(int *instance, const int32_t *debug_level,
                                                    const int32_t *seltest_level);
/* 21 */ TRL_API int TRL_STDCALL trlrpi_stop_engine(int *instance);
/* 22 */ TRL_API int TRL_STDCALL trlrpi_ping(int *instance);
/* Asks the server for its version and checks it against the client's: versions_in holds the client's
 * version text as element 1 and its level (LW) as element 2, versions_out receives the server's in the
 * same form. Returns the exchange's error result, or allver_validate_versions' result in mode 2 (a
 * client text of three characters such as "2.1" counts as "2.1.0"). An array without a text as element
 * 1 and a 32-bit level as element 2 counts as a version below every row: 2 for the client's, 3 for the
 * server's. */
/* 23 */ TRL_API int TRL_STDCALL trlrpi_validate_versions(int *instance, const dyna_array *versions_in,
                                                          dyna_array *versions_out);
/* 24 */ TRL_API int TRL_STDCALL trlrpi_get_user_info(int *instance, dyna_array *out1, dyna_array *out2);
/* 25 */ TRL_API int TRL_STDCALL trlrpi_get_enable_dbms(int *instance, dyna_array *out);
/* 26 */ TRL_API int TRL_STDCALL trlrpi_get_access_types(int *instance, dyna_array *out);
/* The server's last error: its code and a new text. */
/* 27 */ TRL_API int TRL_STDCALL trlrpi_get_server_error(int *instance, int32_t *code, char **text);
/* 28 */ TRL_API int TRL_STDCALL trlrpi_get_ddf_list(int *instance, const char *const *name, dyna_array *out);
/* 29 */ TRL_API int TRL_STDCALL trlrpi_get_ddf_attr(int *instance, const dyna_array *in, dyna_array *out);
/* 30 */ TRL_API int TRL_STDCALL trlrpi_autold(int *instance, const dyna_array *in);
/* 31 */ TRL_API int TRL_STDCALL trlrpi_save_auto_ddf(int *instance, const dyna_array *a2, const dyna_array *a3);
/* 32 */ TRL_API int TRL_STDCALL trlrpi_get_rdf_list(int *instance, const char *const *a2, const char *const *a3,
                                                     dyna_array *out);
/* 33 */ TRL_API int TRL_STDCALL trlrpi_get_rdf_attr(int *instance, const char *const *name, dyna_array *out);
/* 34 */ TRL_API int TRL_STDCALL trlrpi_get_rdf(int *instance, const char *const *name, dyna_array *out);
/* 35 */ TRL_API int TRL_STDCALL trlrpi_put_rdf(int *instance, const char *const *a2, const char *const *a3,
                                                const dyna_array *a4, const dyna_array *a5);
/* 36 */ TRL_API int TRL_STDCALL trlrpi_delete_rdf(int *instance, const char *const *name);
/* 37 */ TRL_API int TRL_STDCALL trlrpi_get_flds(int *instance, const dyna_array *in, dyna_array *out);
/* 38 */ TRL_API int TRL_STDCALL trlrpi_check_rse(int *instance, const dyna_array *a2, const dyna_array *a3,
                                                  char **text);
/* 39 */ TRL_API int TRL_STDCALL trlrpi_selbgn(int *instance, const dyna_array *a2, const dyna_array *a3,
                                               dyna_array *out, int16_t *a5, const int16_t *a6);
/* 40 */ TRL_API int TRL_STDCALL trlrpi_selnxt(int *instance, const uint32_t *a2, dyna_array *out);
/* 41 */ TRL_API int TRL_STDCALL trlrpi_selend(int *instance, const uint32_t *a2);
/* Function 42: one 32-bit value out. */
/* 42 */ TRL_API int TRL_STDCALL trlrpi_get_status(int *instance, int32_t *status);
/* 43 */ TRL_API int TRL_STDCALL trlrpi_set_options(int *instance, const dyna_array *options);
/* 44 */ TRL_API int TRL_STDCALL trlrpi_set_env_vars(int *instance, const dyna_array *variables);
/* 45 to 74: a dynamic array in and one out. */
/* 45 */ TRL_API int TRL_STDCALL trlrpi_obj_access(int *instance, const dyna_array *in, dyna_array *out);
/* 46 */ TRL_API int TRL_STDCALL trlrpi_obj_get_list(int *instance, const dyna_array *in, dyna_array *out);
/* 47 */ TRL_API int TRL_STDCALL trlrpi_obj_new(int *instance, const dyna_array *in, dyna_array *out);
/* 48 */ TRL_API int TRL_STDCALL trlrpi_obj_open(int *instance, const dyna_array *in, dyna_array *out);
/* 49 */ TRL_API int TRL_STDCALL trlrpi_obj_save(int *instance, const dyna_array *in, dyna_array *out);
/* 50 */ TRL_API int TRL_STDCALL trlrpi_obj_delete(int *instance, const dyna_array *in, dyna_array *out);
/* 51 */ TRL_API int TRL_STDCALL trlrpi_obj_get_input_list(int *instance, const dyna_array *in, dyna_array *out);
/* 52 */ TRL_API int TRL_STDCALL trlrpi_obj_compile(int *instance, const dyna_array *in, dyna_array *out);
/* 53 */ TRL_API int TRL_STDCALL trlrpi_obj_generate(int *instance, const dyna_array *in, dyna_array *out);
/* 54 */ TRL_API int TRL_STDCALL trlrpi_obj_get_flds(int *instance, const dyna_array *in, dyna_array *out);
/* 55 */ TRL_API int TRL_STDCALL trlrpi_obj_get_output_param(int *instance, const dyna_array *in, dyna_array *out);
/* 56 */ TRL_API int TRL_STDCALL trlrpi_obj_submit_batch(int *instance, const dyna_array *in, dyna_array *out);
/* 57 */ TRL_API int TRL_STDCALL trlrpi_obj_job_scheduler(int *instance, const dyna_array *in, dyna_array *out);
/* 58 */ TRL_API int TRL_STDCALL trlrpi_obj_execute_command(int *instance, const dyna_array *in, dyna_array *out);
/* 59 */ TRL_API int TRL_STDCALL trlrpi_task_get_tasks_by_user(int *instance, const dyna_array *in, dyna_array *out);
/* 60 */ TRL_API int TRL_STDCALL trlrpi_task_get_tasks_by_level(int *instance, const dyna_array *in, dyna_array *out);
/* 61 */ TRL_API int TRL_STDCALL trlrpi_task_get_task_by_name(int *instance, const dyna_array *in, dyna_array *out);
/* 62 */ TRL_API int TRL_STDCALL trlrpi_task_create_name(int *instance, const dyna_array *in, dyna_array *out);
/* 63 */ TRL_API int TRL_STDCALL trlrpi_task_create_task(int *instance, const dyna_array *in, dyna_array *out);
/* 64 */ TRL_API int TRL_STDCALL trlrpi_task_update_task(int *instance, const dyna_array *in, dyna_array *out);
/* 65 */ TRL_API int TRL_STDCALL trlrpi_task_update_account(int *instance, const dyna_array *in, dyna_array *out);
/* 66 */ TRL_API int TRL_STDCALL trlrpi_task_delete_task(int *instance, const dyna_array *in, dyna_array *out);
/* 67 */ TRL_API int TRL_STDCALL trlrpi_task_get_item_data(int *instance, const dyna_array *in, dyna_array *out);
/* 68 */ TRL_API int TRL_STDCALL trlrpi_task_set_item_data(int *instance, const dyna_array *in, dyna_array *out);
/* 69 */ TRL_API int TRL_STDCALL trlrpi_task_get_param_file(int *instance, const dyna_array *in, dyna_array *out);
/* 70 */ TRL_API int TRL_STDCALL trlrpi_task_set_param_file(int *instance, const dyna_array *in, dyna_array *out);
/* 71 */ TRL_API int TRL_STDCALL trlrpi_task_get_triggers(int *instance, const dyna_array *in, dyna_array *out);
/* 72 */ TRL_API int TRL_STDCALL trlrpi_task_create_trigger(int *instance, const dyna_array *in, dyna_array *out);
/* 73 */ TRL_API int TRL_STDCALL trlrpi_task_update_trigger(int *instance, const dyna_array *in, dyna_array *out);
/* 74 */ TRL_API int TRL_STDCALL trlrpi_task_delete_trigger(int *instance, const dyna_array *in, dyna_array *out);

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
