#!/usr/bin/env bash
# The Windows report command against the Linux one: the Linux build's
# report_makelogs downloads both logs from the simulator, both commands write
# the reports and CSVs of those files, and the bytes must be the same. Then a
# file that is not there: a non-zero exit and the reason, from each.
#   samereport.sh WINE_RUN REPORT_EXE LINUX_BIN
set -euo pipefail
run=$1 exe=$2 linux=$3

for tool in "$linux/report_makelogs" "$linux/logqvr-report"; do
    [ -x "$tool" ] || { echo "samereport: no $tool (build it in the Linux build)"; exit 1; }
done
"$run" --boot
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windows() { echo "Z:${1//\//\\}"; }

mapfile -t logs < <("$linux/report_makelogs" "$work/logs")
[ ${#logs[@]} -eq 2 ] || { echo "samereport: the downloads wrote ${#logs[@]} files"; exit 1; }
mkdir "$work/linux" "$work/windows"
"$linux/logqvr-report" "${logs[@]}" --pasta "$work/linux" --csv >/dev/null
"$run" "$exe" "$(windows "${logs[0]}")" "$(windows "${logs[1]}")" \
    --pasta "$(windows "$work/windows")" --csv

failed=0
for file in "$work"/linux/*; do
    name=$(basename "$file")
    if cmp -s "$file" "$work/windows/$name"; then
        echo "same: $name ($(stat -c %s "$file") bytes)"
    else
        echo "DIFFERENT or missing: $name"
        failed=1
    fi
done
[ "$(ls "$work/windows" | wc -l)" -eq 4 ] || { echo "samereport: the Windows command wrote other files"; failed=1; }

set +e
said=$("$run" "$exe" "$(windows "$work/nada.mdb")" 2>&1)
status=$?
set -e
echo "$said"
[ $status -ne 0 ] && [[ "$said" == *"nada.mdb\": o arquivo não foi encontrado."* ]] ||
    { echo "samereport: a missing file was not told"; failed=1; }
[ $failed -eq 0 ] || { echo "samereport: FAILED"; exit 1; }
echo "samereport: PASSED"
