#!/usr/bin/env bash
# Runs kestrune_simlink_tests (a Windows program) under Wine against four
# Linux device simulators, each on a pseudo-terminal linked into the Wine
# prefix as the COM port the program expects (see simlink_test.cpp).
#   simlink.sh QVR_SIM WINE_RUN WINEPREFIX TEST_EXE
# Passes only when the program's own output says every test passed.
set -euo pipefail
sim=$1 run=$2 prefix=$3 exe=$4

[ -x "$sim" ] || { echo "simlink: no simulator at $sim (build qvr-sim in the Linux build)"; exit 1; }
"$run" --boot

work=$(mktemp -d)
pids=()
linked=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    for link in "${linked[@]}"; do rm -f "$link"; done
    rm -rf "$work"
}
trap cleanup EXIT

# port, then qvr-sim options
start_sim() {
    local port=$1
    shift
    "$sim" --ports "$work" --port "$port" "$@" >"$work/sim$port.out" 2>"$work/sim$port.err" &
    pids+=($!)
}
start_sim 11 --bad-crc 7
start_sim 12 --fault silent
start_sim 13 --fault bad-crc
start_sim 14 --truncate 5

for port in 11 12 13 14; do
    for _ in $(seq 50); do [ -L "$work/com$port" ] && break; sleep 0.1; done
    [ -L "$work/com$port" ] || { echo "simlink: simulator for COM$port did not start"; cat "$work/sim$port.err"; exit 1; }
    ln -sfn "$(readlink "$work/com$port")" "$prefix/dosdevices/com$port"
    linked+=("$prefix/dosdevices/com$port")
done
rm -f "$prefix/dosdevices/com19"

set +e
"$run" "$exe" >"$work/out" 2>&1
status=$?
set -e
cat "$work/out"
if [ $status -ne 0 ] || ! grep -q -E '^\[  PASSED  \] [1-9][0-9]* tests?\.' "$work/out" ||
    grep -q -E '^\[  (FAILED|SKIPPED) \]' "$work/out"; then
    echo "simlink: FAILED (exit status $status)"
    exit 1
fi
echo "simlink: PASSED"
