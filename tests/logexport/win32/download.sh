#!/usr/bin/env bash
# Runs logexport_wine_download (a Windows program) under Wine against the
# Linux device simulator on a pseudo-terminal linked into the Wine prefix as
# COM21, then checks on Linux every file it wrote: mdbcheck (structure),
# mdb-count (the row count the table states) and logexport_rowcheck (every
# row, read by mdb-export, against what the simulator serves).
#   download.sh QVR_SIM WINE_RUN WINEPREFIX TEST_EXE LINUX_BIN
# LINUX_BIN is the Linux build's bin/: templates, mdbcheck, logexport_rowcheck.
set -euo pipefail
sim=$1 run=$2 prefix=$3 exe=$4 linux=$5

source "$(dirname "$0")/../../support/winesim.sh"
winesim_need download "$sim" "$linux/mdbcheck" "$linux/logexport_rowcheck"
for template in LOG_QVR.mdb LOG_RESET_QVR.mdb; do
    [ -f "$linux/$template" ] || { echo "download: no $linux/$template"; exit 1; }
done
"$run" --boot
winesim_workdir

mkdir "$work/program" "$work/out-last" "$work/out-range" "$work/out-reset" "$work/fill"
cp "$linux/LOG_QVR.mdb" "$linux/LOG_RESET_QVR.mdb" "$work/program/"

# Record 10300 erased and record 42 with a wrong record CRC, both inside the
# last-300 range the program asks for.
winesim_start download 21 "$sim" "$work" "$prefix" --pointer 150 --erased 10300 --bad-crc 42

set +e
LOGQVR_WINE_WORK="$(winesim_path "$work")" "$run" "$exe" >"$work/out" 2>&1
status=$?
set -e
cat "$work/out"
winesim_passed download "$work/out" "$status" || exit 1

stamp=1_2024_03_05_14_05_09.mdb
failed=0
# file, rows, logexport_rowcheck arguments after the file
check() {
    local file=$1 rows=$2 kind=$3
    shift 3
    "$linux/mdbcheck" "$file" || failed=1
    local counted
    counted=$(mdb-count "$file" LOG) || counted="(mdb-count failed)"
    [ "$counted" = "$rows" ] || { echo "$file: mdb-count says $counted rows, expected $rows"; failed=1; }
    "$linux/logexport_rowcheck" "$kind" "$file" "$@" || failed=1
}
check "$work/out-last/LOG_QVR_END$stamp" 301 data 10231-10380,0-150 --erased 10300 --bad-crc 42
check "$work/out-range/LOG_QVR_END$stamp" 200 data 5000-5199
check "$work/out-reset/LOG_RESET_QVR_END$stamp" 70 reset
check "$work/fill/LOG_QVR.mdb" 10380 data 0-10379
[ $failed -eq 0 ] || { echo "download: FAILED"; exit 1; }
echo "download: PASSED"
