// The exported stubs of DBIRPI and TRLRPI: one plain function per remote function, each sending its
// message number and its arguments through ipc_request on the channel its handle names.
#include "groups/groups.h"
#include "pack/version.h"
#include "trlipc.h"

namespace trl {
namespace {

// The whole body of a stub. The handle's address travels as the first argument, so that the engine
// sends the instance value; a null handle names no channel and fails in ipc_request.
template <typename... Args>
int call(int *instance, int message, Args... args) {
  return ipc_request(instance ? *instance : -1, message, instance, args...);
}

}  // namespace

int TRL_STDCALL dbirpi_function_34(int *instance, dyna_array *a2, dyna_array *a3, dyna_array *a4,
                                   const uint32_t *a5, dyna_array *a6, dyna_array *a7) {
  return call(instance, 34, a2, a3, a4, a5, a6, a7);
}

}  // namespace trl

using trl::call;

extern "C" {

// DBIRPI.
TRL_API int TRL_STDCALL dbirpi_begin(int *instance, const uint32_t *a2, const uint32_t *a3) {
  return call(instance, 20, a2, a3);
}
TRL_API int TRL_STDCALL dbirpi_end(int *instance, const uint32_t *a2) { return call(instance, 21, a2); }
TRL_API int TRL_STDCALL dbirpi_lookup_by_name(int *instance, const char *const *name, const int16_t *a3,
                                              int16_t *result) {
  return call(instance, 22, name, a3, result);
}
TRL_API int TRL_STDCALL dbirpi_get_rd(int *instance, const char *const *name, dyna_array *out) {
  return call(instance, 23, name, out);
}
TRL_API int TRL_STDCALL dbirpi_get_header_rd(int *instance, const char *const *name, dyna_array *out) {
  return call(instance, 24, name, out);
}
TRL_API int TRL_STDCALL dbirpi_get_field_rd(int *instance, const char *const *name, dyna_array *out) {
  return call(instance, 25, name, out);
}
TRL_API int TRL_STDCALL dbirpi_lookup_group(int *instance, const char *const *name) {
  return call(instance, 26, name);
}
TRL_API int TRL_STDCALL dbirpi_name_check(int *instance, const char *const *name) { return call(instance, 27, name); }
TRL_API int TRL_STDCALL dbirpi_num_fields(int *instance, const char *const *name, const uint32_t *a3) {
  return call(instance, 28, name, a3);
}
TRL_API int TRL_STDCALL dbirpi_read_dictionary(int *instance, const int16_t *a2, const char *const *name,
                                               const int16_t *a4, dyna_array *out) {
  return call(instance, 29, a2, name, a4, out);
}
TRL_API int TRL_STDCALL dbirpi_remove_ddf(int *instance, const char *const *name, const int16_t *a3) {
  return call(instance, 30, name, a3);
}
TRL_API int TRL_STDCALL dbirpi_save_record(int *instance, const dyna_array *a2, const dyna_array *a3,
                                           const dyna_array *a4, const uint32_t *a5) {
  return call(instance, 31, a2, a3, a4, a5);
}
TRL_API int TRL_STDCALL dbirpi_list_groups(int *instance, dyna_array *out) { return call(instance, 32, out); }
TRL_API int TRL_STDCALL dbirpi_generate_document(int *instance, const char *const *name, const int16_t *a3,
                                                 dyna_array *out) {
  return call(instance, 33, name, a3, out);
}
TRL_API int TRL_STDCALL dbirpi_describe_view_links(int *instance, const char *const *name, dyna_array *out) {
  return call(instance, 35, name, out);
}
TRL_API int TRL_STDCALL dbirpi_save_group(int *instance, const dyna_array *group, const int16_t *a3) {
  return call(instance, 36, group, a3);
}
TRL_API int TRL_STDCALL dbirpi_delete_group(int *instance, const int16_t *number) {
  return call(instance, 37, number);
}
TRL_API int TRL_STDCALL dbirpi_read_control(int *instance, dyna_array *out) { return call(instance, 38, out); }
TRL_API int TRL_STDCALL dbirpi_save_control(int *instance, const dyna_array *control) {
  return call(instance, 39, control);
}
TRL_API int TRL_STDCALL dbirpi_list_users(int *instance, const char *const *name, dyna_array *out) {
  return call(instance, 40, name, out);
}
TRL_API int TRL_STDCALL dbirpi_read_user_groups(int *instance, const char *const *user, dyna_array *out) {
  return call(instance, 41, user, out);
}
TRL_API int TRL_STDCALL dbirpi_get_group_by_number(int *instance, const int16_t *number, char **name) {
  return call(instance, 42, number, name);
}
TRL_API int TRL_STDCALL dbirpi_save_user(int *instance, const dyna_array *user, const uint32_t *a3) {
  return call(instance, 43, user, a3);
}
TRL_API int TRL_STDCALL dbirpi_delete_user(int *instance, const char *const *user) { return call(instance, 44, user); }
TRL_API int TRL_STDCALL dbirpi_write_header_rd(int *instance, const dyna_array *header, const int16_t *a3) {
  return call(instance, 45, header, a3);
}
TRL_API int TRL_STDCALL dbirpi_save_view(int *instance, const uint32_t *a2, const dyna_array *a3,
                                         const dyna_array *a4, const dyna_array *a5) {
  return call(instance, 46, a2, a3, a4, a5);
}
TRL_API int TRL_STDCALL dbirpi_dmsutl(int *instance, const dyna_array *in, dyna_array *out) {
  return call(instance, 47, in, out);
}
TRL_API int TRL_STDCALL dbirpi_get_server_error(int *instance, int32_t *code, char **text) {
  return call(instance, 48, code, text);
}
TRL_API int TRL_STDCALL dbirpi_load_group(int *instance, const int16_t *a2, const char *const *name,
                                          dyna_array *out) {
  return call(instance, 49, a2, name, out);
}
TRL_API int TRL_STDCALL dbirpi_get_network_set_name(int *instance, const char *const *a2, const char *const *a3,
                                                    dyna_array *out) {
  return call(instance, 50, a2, a3, out);
}
TRL_API int TRL_STDCALL dbirpi_set_env_vars(int *instance, const dyna_array *variables) {
  return call(instance, 51, variables);
}
TRL_API int TRL_STDCALL dbirpi_get_current_user(int *instance, char **user) { return call(instance, 52, user); }
TRL_API int TRL_STDCALL dbirpi_validate_link(int *instance, const dyna_array *link) {
  return call(instance, 53, link);
}
TRL_API int TRL_STDCALL dbirpi_list_modules(int *instance, dyna_array *out) { return call(instance, 54, out); }
TRL_API int TRL_STDCALL dbirpi_save_modules(int *instance, const dyna_array *modules) {
  return call(instance, 55, modules);
}
TRL_API int TRL_STDCALL dbirpi_check_file_exists(int *instance, const char *const *name, int16_t *exists) {
  return call(instance, 56, name, exists);
}
TRL_API int TRL_STDCALL dbirpi_create_file(int *instance, const char *const *name, const int16_t *a3,
                                           int16_t *const *a4, int16_t *const *a5, const int16_t *a6) {
  return call(instance, 57, name, a3, a4, a5, a6);
}

// TRLRPI, apart from the names that share a DBIRPI stub (below).
TRL_API int TRL_STDCALL trlrpi_stop_engine(int *instance) { return call(instance, 21); }
TRL_API int TRL_STDCALL trlrpi_ping(int *instance) { return call(instance, 22); }
TRL_API int TRL_STDCALL trlrpi_validate_versions(int *instance, const dyna_array *versions_in,
                                                 dyna_array *versions_out) {
  int result = call(instance, 23, versions_in, versions_out);
  if (result != 0) return result;
  return trl::validate_reply_versions(versions_in, versions_out);
}
TRL_API int TRL_STDCALL trlrpi_get_enable_dbms(int *instance, dyna_array *out) { return call(instance, 25, out); }
TRL_API int TRL_STDCALL trlrpi_get_server_error(int *instance, int32_t *code, char **text) {
  return call(instance, 27, code, text);
}
TRL_API int TRL_STDCALL trlrpi_get_ddf_attr(int *instance, const dyna_array *in, dyna_array *out) {
  return call(instance, 29, in, out);
}
TRL_API int TRL_STDCALL trlrpi_autold(int *instance, const dyna_array *in) { return call(instance, 30, in); }
TRL_API int TRL_STDCALL trlrpi_save_auto_ddf(int *instance, const dyna_array *a2, const dyna_array *a3) {
  return call(instance, 31, a2, a3);
}
TRL_API int TRL_STDCALL trlrpi_get_rdf_list(int *instance, const char *const *a2, const char *const *a3,
                                            dyna_array *out) {
  return call(instance, 32, a2, a3, out);
}
TRL_API int TRL_STDCALL trlrpi_get_rdf_attr(int *instance, const char *const *name, dyna_array *out) {
  return call(instance, 33, name, out);
}
TRL_API int TRL_STDCALL trlrpi_get_rdf(int *instance, const char *const *name, dyna_array *out) {
  return call(instance, 34, name, out);
}
TRL_API int TRL_STDCALL trlrpi_put_rdf(int *instance, const char *const *a2, const char *const *a3,
                                       const dyna_array *a4, const dyna_array *a5) {
  return call(instance, 35, a2, a3, a4, a5);
}
TRL_API int TRL_STDCALL trlrpi_delete_rdf(int *instance, const char *const *name) { return call(instance, 36, name); }
TRL_API int TRL_STDCALL trlrpi_get_flds(int *instance, const dyna_array *in, dyna_array *out) {
  return call(instance, 37, in, out);
}
TRL_API int TRL_STDCALL trlrpi_check_rse(int *instance, const dyna_array *a2, const dyna_array *a3, char **text) {
  return call(instance, 38, a2, a3, text);
}
TRL_API int TRL_STDCALL trlrpi_selbgn(int *instance, const dyna_array *a2, const dyna_array *a3, dyna_array *out,
                                      int16_t *a5, const int16_t *a6) {
  return call(instance, 39, a2, a3, out, a5, a6);
}
TRL_API int TRL_STDCALL trlrpi_selend(int *instance, const uint32_t *a2) { return call(instance, 41, a2); }
TRL_API int TRL_STDCALL trlrpi_get_status(int *instance, int32_t *status) { return call(instance, 42, status); }
TRL_API int TRL_STDCALL trlrpi_set_options(int *instance, const dyna_array *options) {
  return call(instance, 43, options);
}

// Functions 45 to 74 of TRLRPI that have a body of their own: a dynamic array in, one out.
#define TRL_OBJECT_STUB(name, number)                                                      \
  TRL_API int TRL_STDCALL name(int *instance, const dyna_array *in, dyna_array *out) { \
    return call(instance, number, in, out);                                                \
  }
TRL_OBJECT_STUB(trlrpi_obj_get_list, 46)
TRL_OBJECT_STUB(trlrpi_obj_save, 49)
TRL_OBJECT_STUB(trlrpi_obj_delete, 50)
TRL_OBJECT_STUB(trlrpi_obj_get_input_list, 51)
TRL_OBJECT_STUB(trlrpi_obj_compile, 52)
TRL_OBJECT_STUB(trlrpi_obj_generate, 53)
TRL_OBJECT_STUB(trlrpi_obj_get_flds, 54)
TRL_OBJECT_STUB(trlrpi_obj_get_output_param, 55)
TRL_OBJECT_STUB(trlrpi_obj_job_scheduler, 57)
TRL_OBJECT_STUB(trlrpi_obj_execute_command, 58)
TRL_OBJECT_STUB(trlrpi_task_get_tasks_by_user, 59)
TRL_OBJECT_STUB(trlrpi_task_get_tasks_by_level, 60)
TRL_OBJECT_STUB(trlrpi_task_get_task_by_name, 61)
TRL_OBJECT_STUB(trlrpi_task_create_name, 62)
TRL_OBJECT_STUB(trlrpi_task_create_task, 63)
TRL_OBJECT_STUB(trlrpi_task_update_task, 64)
TRL_OBJECT_STUB(trlrpi_task_update_account, 65)
TRL_OBJECT_STUB(trlrpi_task_delete_task, 66)
TRL_OBJECT_STUB(trlrpi_task_get_item_data, 67)
TRL_OBJECT_STUB(trlrpi_task_set_item_data, 68)
TRL_OBJECT_STUB(trlrpi_task_get_param_file, 69)
TRL_OBJECT_STUB(trlrpi_task_set_param_file, 70)
TRL_OBJECT_STUB(trlrpi_task_get_triggers, 71)
TRL_OBJECT_STUB(trlrpi_task_create_trigger, 72)
TRL_OBJECT_STUB(trlrpi_task_update_trigger, 73)
TRL_OBJECT_STUB(trlrpi_task_delete_trigger, 74)
#undef TRL_OBJECT_STUB

// Names that share one body: the same message number and the same argument count in both groups. The
// second name is an alias of the first, so both are one function; the channel's group decides how the
// arguments are read. The declared parameter types differ, the code does not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattribute-alias"
#endif
#define TRL_SHARED_STUB(name, body) TRL_API decltype(name) name __attribute__((alias(#body)));
TRL_SHARED_STUB(trlrpi_init_engine, dbirpi_begin)                  // 20
TRL_SHARED_STUB(trlrpi_get_user_info, dbirpi_get_header_rd)        // 24
TRL_SHARED_STUB(trlrpi_get_access_types, dbirpi_lookup_group)      // 26
TRL_SHARED_STUB(trlrpi_get_ddf_list, dbirpi_num_fields)            // 28
TRL_SHARED_STUB(trlrpi_selnxt, dbirpi_list_users)                  // 40
TRL_SHARED_STUB(trlrpi_set_env_vars, dbirpi_delete_user)           // 44
TRL_SHARED_STUB(trlrpi_obj_access, dbirpi_write_header_rd)         // 45
TRL_SHARED_STUB(trlrpi_obj_new, dbirpi_dmsutl)                     // 47
TRL_SHARED_STUB(trlrpi_obj_open, dbirpi_get_server_error)          // 48
TRL_SHARED_STUB(trlrpi_obj_submit_batch, dbirpi_check_file_exists) // 56
#undef TRL_SHARED_STUB
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

}  // extern "C"
