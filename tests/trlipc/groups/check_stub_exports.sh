#!/usr/bin/env bash
# Every remote stub that trlipc.h declares is exported by the shared library, the names that share a
# stub are one address, and the stub of DBIRPI 34 is not exported.
# Usage: check_stub_exports.sh <trlipc.h> <libtrlipc.so>
set -euo pipefail
header=$1 library=$2
declared=$(grep -oE 'TRL_STDCALL [a-z_0-9]+\(' "$header" | sed -E 's/TRL_STDCALL ([a-z_0-9]+)\(/\1/' | sort -u)
[ "$(printf '%s\n' "$declared" | wc -l)" -eq 97 ] || { echo "expected 97 stub declarations"; exit 1; }
exports=$(nm -D --defined-only "$library" | awk '$2 == "T" {print $3, $1}' | sort)
missing=$(join -v1 <(printf '%s\n' "$declared") <(printf '%s\n' "$exports" | cut -d' ' -f1))
[ -z "$missing" ] || { echo "not exported:"; printf '%s\n' "$missing"; exit 1; }
declare -A address
while read -r name value; do address[$name]=$value; done <<<"$exports"
for pair in dbirpi_begin:trlrpi_init_engine dbirpi_get_header_rd:trlrpi_get_user_info \
    dbirpi_lookup_group:trlrpi_get_access_types dbirpi_num_fields:trlrpi_get_ddf_list \
    dbirpi_list_users:trlrpi_selnxt dbirpi_delete_user:trlrpi_set_env_vars \
    dbirpi_write_header_rd:trlrpi_obj_access dbirpi_dmsutl:trlrpi_obj_new \
    dbirpi_get_server_error:trlrpi_obj_open dbirpi_check_file_exists:trlrpi_obj_submit_batch \
    dbirpi_disconnect:trlrpi_disconnect; do
  [ "${address[${pair%%:*}]}" = "${address[${pair##*:}]}" ] || { echo "not one stub: $pair"; exit 1; }
done
if printf '%s\n' "$exports" | grep -q 'function_34'; then echo "the stub of DBIRPI 34 is exported"; exit 1; fi
echo "97 stubs exported"
