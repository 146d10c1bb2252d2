#!/usr/bin/env bash
# Builds and runs every test: once as a plain build, once under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the Windows cross-build under Wine
# (LOGQVR_SKIP_WINDOWS=1 leaves that out). Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# ctest's own timeouts stop any test that would wait on a modal box.
run_suite() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600)
}

echo "== tests =="
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ "${LOGQVR_SKIP_SANITIZERS:-0}" != 1 ]; then
    echo "== tests under AddressSanitizer + UndefinedBehaviorSanitizer =="
    # Qt keeps some allocations for the life of the process; leaks are judged by the
    # plain build's tests, memory errors and undefined behaviour here.
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DLOGQVR_SANITIZE=ON -DLOGQVR_BUILD_BENCH=OFF
fi

if [ "${LOGQVR_SKIP_WINDOWS:-0}" != 1 ]; then
    echo "== Windows build, tests under Wine =="
    scripts/build-windows.sh --test
fi
