// The descriptor table of DBIRPI, group 3: 58 entries indexed by message number.
#include "groups/groups.h"
#include "groups/shapes.h"
#include "groups/stub_refs.h"

namespace trl {
namespace {

using namespace shapes;

// Argument lists, named by their shape after the leading handle (one list serves every entry of that
// shape).
constexpr rpi_arg kU_U_U[] = {handle(), in(ULW), in(ULW)};
constexpr rpi_arg kU_U[] = {handle(), in(ULW)};
constexpr rpi_arg kU_T_S_oS[] = {handle(), in_text(), in(SH), out(SH)};
constexpr rpi_arg kU_T_oD[] = {handle(), in_text(), out(DYNA)};
constexpr rpi_arg kU_T[] = {handle(), in_text()};
constexpr rpi_arg kU_T_U[] = {handle(), in_text(), in(ULW)};
constexpr rpi_arg kU_S_T_S_oD[] = {handle(), in(SH), in_text(), in(SH), out(DYNA)};
constexpr rpi_arg kU_T_S[] = {handle(), in_text(), in(SH)};
constexpr rpi_arg kU_D_D_D_U[] = {handle(), in(DYNA), in(DYNA), in(DYNA), in(ULW)};
constexpr rpi_arg kU_oD[] = {handle(), out(DYNA)};
constexpr rpi_arg kU_T_S_oD[] = {handle(), in_text(), in(SH), out(DYNA)};
constexpr rpi_arg kU_D_D_D_U_oD_oD[] = {handle(),  in(DYNA), in(DYNA), in(DYNA),
                                        in(ULW),   out(DYNA), out(DYNA)};
constexpr rpi_arg kU_D_S[] = {handle(), in(DYNA), in(SH)};
constexpr rpi_arg kU_S[] = {handle(), in(SH)};
constexpr rpi_arg kU_D[] = {handle(), in(DYNA)};
constexpr rpi_arg kU_S_oT[] = {handle(), in(SH), out_text()};
constexpr rpi_arg kU_D_U[] = {handle(), in(DYNA), in(ULW)};
constexpr rpi_arg kU_U_D_D_D[] = {handle(), in(ULW), in(DYNA), in(DYNA), in(DYNA)};
constexpr rpi_arg kU_D_oD[] = {handle(), in(DYNA), out(DYNA)};
constexpr rpi_arg kU_oL_oT[] = {handle(), out(LW), out_text()};
constexpr rpi_arg kU_S_T_oD[] = {handle(), in(SH), in_text(), out(DYNA)};
constexpr rpi_arg kU_T_T_oD[] = {handle(), in_text(), in_text(), out(DYNA)};
constexpr rpi_arg kU_oT[] = {handle(), out_text()};
constexpr rpi_arg kU_T_oS[] = {handle(), in_text(), out(SH)};
constexpr rpi_arg kU_T_S_S33_S33_S[] = {handle(), in_text(), in(SH), in(SH, 33), in(SH, 33), in(SH)};

const rpi_function kFunctions[kDbirpiFunctionCount] = {
    /*  0 */ entry(kLogin0, nullptr),
    /*  1 */ kEmpty,
    /*  2 */ kEmpty,
    /*  3 */ kEmpty,
    /*  4 */ entry(kLogin4, nullptr),
    /*  5 */ kEmpty, kEmpty, kEmpty, kEmpty, kEmpty,
    /* 10 */ kEmpty, kEmpty, kEmpty, kEmpty, kEmpty,
    /* 15 */ kEmpty, kEmpty, kEmpty, kEmpty, kEmpty,
    /* 20 */ entry(kU_U_U, TRL_STUB(dbirpi_begin)),
    /* 21 */ entry(kU_U, TRL_STUB(dbirpi_end)),
    /* 22 */ entry(kU_T_S_oS, TRL_STUB(dbirpi_lookup_by_name)),
    /* 23 */ entry(kU_T_oD, TRL_STUB(dbirpi_get_rd)),
    /* 24 */ entry(kU_T_oD, TRL_STUB(dbirpi_get_header_rd)),
    /* 25 */ entry(kU_T_oD, TRL_STUB(dbirpi_get_field_rd)),
    /* 26 */ entry(kU_T, TRL_STUB(dbirpi_lookup_group)),
    /* 27 */ entry(kU_T, TRL_STUB(dbirpi_name_check)),
    /* 28 */ entry(kU_T_U, TRL_STUB(dbirpi_num_fields)),
    /* 29 */ entry(kU_S_T_S_oD, TRL_STUB(dbirpi_read_dictionary)),
    /* 30 */ entry(kU_T_S, TRL_STUB(dbirpi_remove_ddf)),
    /* 31 */ entry(kU_D_D_D_U, TRL_STUB(dbirpi_save_record)),
    /* 32 */ entry(kU_oD, TRL_STUB(dbirpi_list_groups)),
    /* 33 */ entry(kU_T_S_oD, TRL_STUB(dbirpi_generate_document)),
    /* 34 */ entry(kU_D_D_D_U_oD_oD, TRL_STUB(trl::dbirpi_function_34)),
    /* 35 */ entry(kU_T_oD, TRL_STUB(dbirpi_describe_view_links)),
    /* 36 */ entry(kU_D_S, TRL_STUB(dbirpi_save_group)),
    /* 37 */ entry(kU_S, TRL_STUB(dbirpi_delete_group)),
    /* 38 */ entry(kU_oD, TRL_STUB(dbirpi_read_control)),
    /* 39 */ entry(kU_D, TRL_STUB(dbirpi_save_control)),
    /* 40 */ entry(kU_T_oD, TRL_STUB(dbirpi_list_users)),
    /* 41 */ entry(kU_T_oD, TRL_STUB(dbirpi_read_user_groups)),
    /* 42 */ entry(kU_S_oT, TRL_STUB(dbirpi_get_group_by_number)),
    /* 43 */ entry(kU_D_U, TRL_STUB(dbirpi_save_user)),
    /* 44 */ entry(kU_T, TRL_STUB(dbirpi_delete_user)),
    /* 45 */ entry(kU_D_S, TRL_STUB(dbirpi_write_header_rd)),
    /* 46 */ entry(kU_U_D_D_D, TRL_STUB(dbirpi_save_view)),
    /* 47 */ entry(kU_D_oD, TRL_STUB(dbirpi_dmsutl)),
    /* 48 */ entry(kU_oL_oT, TRL_STUB(dbirpi_get_server_error)),
    /* 49 */ entry(kU_S_T_oD, TRL_STUB(dbirpi_load_group)),
    /* 50 */ entry(kU_T_T_oD, TRL_STUB(dbirpi_get_network_set_name)),
    /* 51 */ entry(kU_D, TRL_STUB(dbirpi_set_env_vars)),
    /* 52 */ entry(kU_oT, TRL_STUB(dbirpi_get_current_user)),
    /* 53 */ entry(kU_D, TRL_STUB(dbirpi_validate_link)),
    /* 54 */ entry(kU_oD, TRL_STUB(dbirpi_list_modules)),
    /* 55 */ entry(kU_D, TRL_STUB(dbirpi_save_modules)),
    /* 56 */ entry(kU_T_oS, TRL_STUB(dbirpi_check_file_exists)),
    /* 57 */ entry(kU_T_S_S33_S33_S, TRL_STUB(dbirpi_create_file)),
};

const rpi_group kGroup = {"DBIRPI", kDbirpiGroup, kDbirpiFunctionCount, kFunctions, 1, kStructs};

}  // namespace

const rpi_group *dbirpi_group() { return &kGroup; }

}  // namespace trl
