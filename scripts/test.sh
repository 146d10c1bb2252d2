#!/usr/bin/env bash
# Builds and runs every test: once as a Release build (what packagers build, so
# warnings that only GCC's -O3 analysis finds stop us here first), once under
# AddressSanitizer and UndefinedBehaviorSanitizer, with LeakSanitizer on the
# tests that have no Qt in them, then the Windows cross-build under Wine
# (LOGQVR_SKIP_WINDOWS=1 leaves that out). Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
build() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
}
# ctest's own timeouts stop any test that would wait on a modal box.
run_tests() {
    local dir=$1; shift
    (cd "$dir" && ctest --output-on-failure --no-tests=error -j"$jobs" --timeout 600 "$@")
}

# LeakSanitizer stops the process under test as a debugger would, so it fails
# where ptrace is not allowed (some containers). A program that leaks on
# purpose, built by the same compiler, tells whether it really finds leaks here.
lsan_finds_leaks() {
    local compiler=$1 dir found=1
    dir=$(mktemp -d)
    printf '%s\n' '#include <cstdlib>' 'void* volatile kept;' \
        'int main() { kept = std::malloc(7); kept = nullptr; }' >"$dir/probe.cpp"
    if "$compiler" -fsanitize=address -o "$dir/probe" "$dir/probe.cpp"; then
        ASAN_OPTIONS=detect_leaks=1 "$dir/probe" 2>"$dir/report" || true
        grep -q "detected memory leaks" "$dir/report" && found=0
    fi
    rm -rf "$dir"
    return $found
}

echo "== tests (Release) =="
build build -DCMAKE_BUILD_TYPE=Release
run_tests build

if [ "${LOGQVR_SKIP_SANITIZERS:-0}" != 1 ]; then
    echo "== tests under AddressSanitizer + UndefinedBehaviorSanitizer =="
    build build-asan -DCMAKE_BUILD_TYPE=Debug -DLOGQVR_SANITIZE=ON -DLOGQVR_BUILD_BENCH=OFF
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' build-asan/CMakeCache.txt)
    detect_leaks=1
    if ! lsan_finds_leaks "$compiler"; then
        echo "LeakSanitizer missed a deliberate leak here (it needs ptrace, which some" \
            "containers forbid): leak checks are NOT run, only memory errors and undefined behaviour."
        detect_leaks=0
    fi
    # Qt keeps some allocations for the life of the process, so leaks are judged
    # where it has no part: the tests labelled leakcheck (library, engine, simulator).
    failed=0
    echo "-- library, engine and simulator tests (detect_leaks=$detect_leaks) --"
    ASAN_OPTIONS=detect_leaks=$detect_leaks:abort_on_error=1 run_tests build-asan -L leakcheck ||
        failed=1
    echo "-- the other tests (detect_leaks=0) --"
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 run_tests build-asan -LE leakcheck || failed=1
    [ "$failed" = 0 ] || exit 1
fi

if [ "${LOGQVR_SKIP_WINDOWS:-0}" != 1 ]; then
    echo "== Windows build, tests under Wine =="
    scripts/build-windows.sh --test
fi
