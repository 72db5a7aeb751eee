#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, only those that are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config                 # build
  libgtest-dev libbenchmark-dev                    # tests and benchmarks
  clang libclang-rt-dev                            # fuzz targets
  libsqlite3-dev                                   # registry stores
  unixodbc unixodbc-dev odbcinst                   # ODBC data sources
  qt6-base-dev libgl-dev                           # Qt presenter
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
