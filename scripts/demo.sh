#!/usr/bin/env bash
# Builds the project and runs the demo: a connection test against the bundled simulated server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"${JOBS:-2}"
if [ -x build/tools/portico/portico ]; then
  exec build/tools/portico/portico demo
fi
echo "The demo starts the simulated server zentrixd on a free loopback port, logs in through TRLIPC,"
echo "follows the server's reconnect, starts and stops the engine and disconnects, printing every step."
echo "It needs the RPC runtime and the portico command, which are not built yet."
exit 0
