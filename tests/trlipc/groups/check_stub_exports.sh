#!/usr/bin/env bash
# Every remote stub that trlipc.h declares is exported by the shared library, the names that share a
# stub are one address, and the stub of DBIRPI 34 is not exported.
# Usage: check_stub_exports.sh <trlipc.h> <libtrlipc.so>
set -euo pipefail
header=$1 library=$2
declared=$(grep -oE 'TRL_STDCALL [a-z_0-9]+\(' "$header" | sed -E 's/TRL_STDCALL ([a-z_0-9]+)\(/\1/' | sort -u)
[ "$(printf '%s\n' "$declared" | wc -l)" -eq 97 ] || { echo "expected 97 stub declarations"; exit 1; }
exports=$(nm -D --defined-only "$library" | awk '$2 == "T" {print $1, $3}')
address() { printf '%s\n' "$exports" | awk -v n="$1" '$2 == n {print $1}'; }
for name in $declared; do
  [ -n "$(address "$name")" ] || { echo "not exported: $name"; exit 1; }
done
for pair in dbirpi_begin:trlrpi_init_engine dbirpi_get_header_rd:trlrpi_get_user_info \
    dbirpi_lookup_group:trlrpi_get_access_types dbirpi_num_fields:trlrpi_get_ddf_list \
    dbirpi_list_users:trlrpi_selnxt dbirpi_delete_user:trlrpi_set_env_vars \
    dbirpi_write_header_rd:trlrpi_obj_access dbirpi_dmsutl:trlrpi_obj_new \
    dbirpi_get_server_error:trlrpi_obj_open dbirpi_check_file_exists:trlrpi_obj_submit_batch \
    dbirpi_disconnect:trlrpi_disconnect; do
  a=$(address "${pair%%:*}") b=$(address "${pair##*:}")
  [ "$a" = "$b" ] || { echo "not one stub: $pair"; exit 1; }
done
if printf '%s\n' "$exports" | grep -q 'function_34'; then echo "the stub of DBIRPI 34 is exported"; exit 1; fi
echo "97 stubs exported"
