#!/usr/bin/env bash
# Builds the project and runs the demo: a connection test against the bundled simulated server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"${JOBS:-2}" --target portico_cli zentrixd
exec build/tools/portico/portico demo
