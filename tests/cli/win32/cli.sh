#!/usr/bin/env bash
# logqvr-cli.exe under Wine, beside kestrune.dll and the two templates as the
# zip lays them out, against the Linux simulator linked into the prefix as
# COM23: the last 10 records of a log ending at 150, whose file the Linux
# build's checkers read row by row; then COM24, which does not exist: exit 3
# and the window's two lines on stderr.
#   cli.sh QVR_SIM WINE_RUN WINEPREFIX CLI_EXE KESTRUNE_DLL LINUX_BIN
set -euo pipefail
sim=$1 run=$2 prefix=$3 exe=$4 dll=$5 linux=$6

source "$(dirname "$0")/../../support/winesim.sh"
winesim_need cli "$sim" "$linux/mdbcheck" "$linux/logexport_rowcheck"
"$run" --boot
winesim_workdir

mkdir "$work/program" "$work/out"
cp "$exe" "$dll" "$linux/LOG_QVR.mdb" "$linux/LOG_RESET_QVR.mdb" "$work/program/"
winesim_start cli 23 "$sim" "$work" "$prefix" --pointer 150

failed=0
set +e
"$run" "$work/program/logqvr-cli.exe" --com 23 --timeout 300 --dados ultimos:10 \
    --caminho "$(winesim_path "$work/out")" --json >"$work/json" 2>"$work/err"
status=$?
set -e
cat "$work/json" "$work/err"
[ $status -eq 0 ] || { echo "cli: the download ended with $status"; failed=1; }
grep -q '"outcome":"done"' "$work/json" || { echo "cli: no JSON account of a done run"; failed=1; }
file=$(compgen -G "$work/out/LOG_QVR_END1_*.mdb" || true)
if [ -z "$file" ]; then
    echo "cli: no file in $work/out"
    failed=1
else
    "$linux/mdbcheck" "$file" || failed=1
    [ "$(mdb-count "$file" LOG)" = 10 ] || { echo "cli: $(mdb-count "$file" LOG) rows, not 10"; failed=1; }
    "$linux/logexport_rowcheck" data "$file" 141-150 || failed=1
fi

set +e
"$run" "$work/program/logqvr-cli.exe" --com 24 >"$work/out24" 2>"$work/err24"
status=$?
set -e
cat "$work/err24"
[ $status -eq 3 ] || { echo "cli: a port that does not exist ended with $status, not 3"; failed=1; }
[ "$(head -n1 "$work/err24" | tr -d '\r')" = "Erro ao abrir porta COM." ] &&
    [ -n "$(sed -n 2p "$work/err24")" ] || { echo "cli: not the window's two lines"; failed=1; }

[ $failed -eq 0 ] || { echo "cli: FAILED"; exit 1; }
echo "cli: PASSED"
