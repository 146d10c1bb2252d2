#!/usr/bin/env bash
# Runs kestrune_simlink_tests (a Windows program) under Wine against four
# Linux device simulators, each on a pseudo-terminal linked into the Wine
# prefix as the COM port the program expects (see simlink_test.cpp).
#   simlink.sh QVR_SIM WINE_RUN WINEPREFIX TEST_EXE
# Passes only when the program's own output says every test passed.
set -euo pipefail
sim=$1 run=$2 prefix=$3 exe=$4

source "$(dirname "$0")/../../support/winesim.sh"
winesim_need simlink "$sim"
"$run" --boot
winesim_workdir

winesim_start simlink 11 "$sim" "$work" "$prefix" --bad-crc 7
winesim_start simlink 12 "$sim" "$work" "$prefix" --fault silent
winesim_start simlink 13 "$sim" "$work" "$prefix" --fault bad-crc
winesim_start simlink 14 "$sim" "$work" "$prefix" --truncate 5
rm -f "$prefix/dosdevices/com19"

set +e
"$run" "$exe" >"$work/out" 2>&1
status=$?
set -e
cat "$work/out"
winesim_passed simlink "$work/out" "$status" || exit 1
echo "simlink: PASSED"
