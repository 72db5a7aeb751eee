// The descriptor table of TRLRPI, group 2: 75 entries indexed by message number.
#include "groups/groups.h"
#include "groups/shapes.h"
#include "groups/stub_refs.h"

namespace trl {
namespace {

using namespace shapes;

// Argument lists, named by their shape after the leading handle.
constexpr rpi_arg kU_L_L[] = {handle(), in(LW), in(LW)};
constexpr rpi_arg kU[] = {handle()};
constexpr rpi_arg kU_D_oD[] = {handle(), in(DYNA), out(DYNA)};
constexpr rpi_arg kU_oD_oD[] = {handle(), out(DYNA), out(DYNA)};
constexpr rpi_arg kU_oD[] = {handle(), out(DYNA)};
constexpr rpi_arg kU_oL_oT[] = {handle(), out(LW), out_text()};
constexpr rpi_arg kU_T_oD[] = {handle(), in_text(), out(DYNA)};
constexpr rpi_arg kU_D[] = {handle(), in(DYNA)};
constexpr rpi_arg kU_D_D[] = {handle(), in(DYNA), in(DYNA)};
constexpr rpi_arg kU_T_T_oD[] = {handle(), in_text(), in_text(), out(DYNA)};
constexpr rpi_arg kU_T_T_D_D[] = {handle(), in_text(), in_text(), in(DYNA), in(DYNA)};
constexpr rpi_arg kU_T[] = {handle(), in_text()};
constexpr rpi_arg kU_D_D_oT[] = {handle(), in(DYNA), in(DYNA), out_text()};
constexpr rpi_arg kU_D_D_oD_oS_S[] = {handle(), in(DYNA), in(DYNA), out(DYNA), out(SH), in(SH)};
constexpr rpi_arg kU_U_oD[] = {handle(), in(ULW), out(DYNA)};
constexpr rpi_arg kU_U[] = {handle(), in(ULW)};
constexpr rpi_arg kU_oL[] = {handle(), out(LW)};

// Entries 45 to 74 all take the handle, a dynamic array in and one out.
#define TRL_OBJ(name) entry(kU_D_oD, TRL_STUB(name))

const rpi_function kFunctions[kTrlrpiFunctionCount] = {
    /*  0 */ entry(kLogin0, nullptr),
    /*  1 */ kEmpty,
    /*  2 */ kEmpty,
    /*  3 */ kEmpty,
    /*  4 */ entry(kLogin4, nullptr),
    /*  5 */ kEmpty, kEmpty, kEmpty, kEmpty, kEmpty,
    /* 10 */ kEmpty, kEmpty, kEmpty, kEmpty, kEmpty,
    /* 15 */ kEmpty, kEmpty, kEmpty, kEmpty, kEmpty,
    /* 20 */ entry(kU_L_L, TRL_STUB(trlrpi_init_engine)),
    /* 21 */ entry(kU, TRL_STUB(trlrpi_stop_engine)),
    /* 22 */ entry(kU, TRL_STUB(trlrpi_ping)),
    /* 23 */ entry(kU_D_oD, TRL_STUB(trlrpi_validate_versions)),
    /* 24 */ entry(kU_oD_oD, TRL_STUB(trlrpi_get_user_info)),
    /* 25 */ entry(kU_oD, TRL_STUB(trlrpi_get_enable_dbms)),
    /* 26 */ entry(kU_oD, TRL_STUB(trlrpi_get_access_types)),
    /* 27 */ entry(kU_oL_oT, TRL_STUB(trlrpi_get_server_error)),
    /* 28 */ entry(kU_T_oD, TRL_STUB(trlrpi_get_ddf_list)),
    /* 29 */ entry(kU_D_oD, TRL_STUB(trlrpi_get_ddf_attr)),
    /* 30 */ entry(kU_D, TRL_STUB(trlrpi_autold)),
    /* 31 */ entry(kU_D_D, TRL_STUB(trlrpi_save_auto_ddf)),
    /* 32 */ entry(kU_T_T_oD, TRL_STUB(trlrpi_get_rdf_list)),
    /* 33 */ entry(kU_T_oD, TRL_STUB(trlrpi_get_rdf_attr)),
    /* 34 */ entry(kU_T_oD, TRL_STUB(trlrpi_get_rdf)),
    /* 35 */ entry(kU_T_T_D_D, TRL_STUB(trlrpi_put_rdf)),
    /* 36 */ entry(kU_T, TRL_STUB(trlrpi_delete_rdf)),
    /* 37 */ entry(kU_D_oD, TRL_STUB(trlrpi_get_flds)),
    /* 38 */ entry(kU_D_D_oT, TRL_STUB(trlrpi_check_rse)),
    /* 39 */ entry(kU_D_D_oD_oS_S, TRL_STUB(trlrpi_selbgn)),
    /* 40 */ entry(kU_U_oD, TRL_STUB(trlrpi_selnxt)),
    /* 41 */ entry(kU_U, TRL_STUB(trlrpi_selend)),
    /* 42 */ entry(kU_oL, TRL_STUB(trlrpi_get_status)),
    /* 43 */ entry(kU_D, TRL_STUB(trlrpi_set_options)),
    /* 44 */ entry(kU_D, TRL_STUB(trlrpi_set_env_vars)),
    /* 45 */ TRL_OBJ(trlrpi_obj_access),
    /* 46 */ TRL_OBJ(trlrpi_obj_get_list),
    /* 47 */ TRL_OBJ(trlrpi_obj_new),
    /* 48 */ TRL_OBJ(trlrpi_obj_open),
    /* 49 */ TRL_OBJ(trlrpi_obj_save),
    /* 50 */ TRL_OBJ(trlrpi_obj_delete),
    /* 51 */ TRL_OBJ(trlrpi_obj_get_input_list),
    /* 52 */ TRL_OBJ(trlrpi_obj_compile),
    /* 53 */ TRL_OBJ(trlrpi_obj_generate),
    /* 54 */ TRL_OBJ(trlrpi_obj_get_flds),
    /* 55 */ TRL_OBJ(trlrpi_obj_get_output_param),
    /* 56 */ TRL_OBJ(trlrpi_obj_submit_batch),
    /* 57 */ TRL_OBJ(trlrpi_obj_job_scheduler),
    /* 58 */ TRL_OBJ(trlrpi_obj_execute_command),
    /* 59 */ TRL_OBJ(trlrpi_task_get_tasks_by_user),
    /* 60 */ TRL_OBJ(trlrpi_task_get_tasks_by_level),
    /* 61 */ TRL_OBJ(trlrpi_task_get_task_by_name),
    /* 62 */ TRL_OBJ(trlrpi_task_create_name),
    /* 63 */ TRL_OBJ(trlrpi_task_create_task),
    /* 64 */ TRL_OBJ(trlrpi_task_update_task),
    /* 65 */ TRL_OBJ(trlrpi_task_update_account),
    /* 66 */ TRL_OBJ(trlrpi_task_delete_task),
    /* 67 */ TRL_OBJ(trlrpi_task_get_item_data),
    /* 68 */ TRL_OBJ(trlrpi_task_set_item_data),
    /* 69 */ TRL_OBJ(trlrpi_task_get_param_file),
    /* 70 */ TRL_OBJ(trlrpi_task_set_param_file),
    /* 71 */ TRL_OBJ(trlrpi_task_get_triggers),
    /* 72 */ TRL_OBJ(trlrpi_task_create_trigger),
    /* 73 */ TRL_OBJ(trlrpi_task_update_trigger),
    /* 74 */ TRL_OBJ(trlrpi_task_delete_trigger),
};

#undef TRL_OBJ

const rpi_group kGroup = {"TRLRPI", kTrlrpiGroup, kTrlrpiFunctionCount, kFunctions, 1, kStructs};

}  // namespace

const rpi_group *trlrpi_group() { return &kGroup; }

}  // namespace trl
