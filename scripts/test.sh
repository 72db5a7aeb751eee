#!/usr/bin/env bash
# Builds everything from scratch and runs every test: the normal build, then the whole suite again
# with AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=${JOBS:-2}
fuzz_seconds=${FUZZ_SECONDS:-60}
# The test run fuzzes a fixed sequence of inputs (seed and count), so that its verdict does not depend on
# chance; longer, randomly seeded runs are for FUZZ_SEED=0 FUZZ_RUNS=-1.
fuzz_seed=${FUZZ_SEED:-1}
fuzz_runs=${FUZZ_RUNS:-50000}

echo "== build (warnings are errors)"
cmake -S . -B build -G Ninja -DOMRA_WERROR=ON
cmake --build build -j"$jobs"
ln -sf build/compile_commands.json compile_commands.json

echo "== build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DOMRA_WERROR=ON -DOMRA_SANITIZE=ON -DOMRA_BUILD_BENCH=OFF
cmake --build build-asan -j"$jobs"

if [ -f fuzz/CMakeLists.txt ] && ls fuzz/*.cpp >/dev/null 2>&1; then
  echo "== fuzz targets (clang, ${fuzz_runs} inputs from seed ${fuzz_seed}, at most ${fuzz_seconds}s each)"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DOMRA_BUILD_FUZZ=ON -DOMRA_BUILD_TESTS=OFF \
    -DOMRA_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build-fuzz -j"$jobs"
  for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=$(mktemp -d)
    cp -r "fuzz/corpus/${name#fuzz_}/." "$corpus/" 2>/dev/null || true
    echo "-- $name"
    "$target" -seed="$fuzz_seed" -runs="$fuzz_runs" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$corpus"
    rm -rf "$corpus"
  done
fi

echo "== tests with AddressSanitizer and UndefinedBehaviorSanitizer"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$jobs" --timeout 300)

echo "== tests"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 300)
