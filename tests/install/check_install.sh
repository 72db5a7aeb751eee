#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and builds the consumer programs against it, once
# with pkg-config and once with CMake's find_package, then runs them.
# Usage: check_install.sh <build dir> <source dir of the consumer> <library> <language: c|cxx>
set -euo pipefail
build=$1 consumer=$2 library=$3 language=$4
prefix=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name "lib${library}.so" | head -n1)")
export PKG_CONFIG_PATH="$libdir/pkgconfig"
export LD_LIBRARY_PATH="$libdir"

# Sanitizer builds need the runtime in the consumer as well.
extra=()
[ -n "${SANITIZE_FLAGS:-}" ] && extra=($SANITIZE_FLAGS)

source=$(find "$consumer" -maxdepth 1 \( -name "*.c" -o -name "*.cpp" \) | head -n1)
if [ "$language" = c ]; then compiler=${CC:-cc}; else compiler=${CXX:-c++}; fi
# shellcheck disable=SC2046
"$compiler" "${extra[@]}" -o "$work/consumer_pc" "$source" $(pkg-config --cflags --libs "$library")
"$work/consumer_pc" >"$work/pc.out"

cmake -S "$consumer" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_FLAGS="${SANITIZE_FLAGS:-}" -DCMAKE_CXX_FLAGS="${SANITIZE_FLAGS:-}" >/dev/null
cmake --build "$work/cmake" >/dev/null
for program in "$work"/cmake/consumer_*; do "$program" >"$work/cmake.out"; done
echo "installed $library: pkg-config and CMake consumers built and ran"
