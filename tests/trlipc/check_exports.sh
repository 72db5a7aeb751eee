#!/usr/bin/env bash
# The shared library exports the documented C families and nothing else: no C++ internals, no helpers.
# Usage: check_exports.sh <libtrlipc.so>
set -euo pipefail
symbols=$(nm -D --defined-only "$1" | awk '$2 ~ /^[TDBRW]$/ {print $3}')
[ -n "$symbols" ] || { echo "no exported symbols in $1"; exit 1; }
stray=$(printf '%s\n' "$symbols" | grep -v -E '^(ipc_|dyna_|memory_|libsa_|strx_|allver_|dbirpi_|trlrpi_)' \
  | grep -v -E '^(_init|_fini|_edata|_end|__bss_start)$' || true)
if [ -n "$stray" ]; then
  echo "unexpected exports:"; printf '%s\n' "$stray"; exit 1
fi
for required in dyna_construct memory_get libsa_memcpy_fill; do
  printf '%s\n' "$symbols" | grep -qx "$required" || { echo "missing export $required"; exit 1; }
done
echo "$(printf '%s\n' "$symbols" | wc -l) exports, all documented families"
