#!/usr/bin/env bash
# LICENCAS.txt in the zip, beside LEIA-ME.txt which points to it, both as
# older Notepads read them (UTF-8 with the byte-order mark, CRLF line ends),
# and naming every piece the linker put into the zip's programs from outside
# our tree.
#   zip_test.sh ZIP LINKMAPS LINKEDPIECES
set -euo pipefail

fail() {
    echo "FAIL: $*"
    exit 1
}

zip=$1
maps=$2
linkedpieces=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
folder=$work/LOG_QVR

for text in LEIA-ME.txt LICENCAS.txt; do
    file=$folder/$text
    [ -f "$file" ] || fail "$text is not in the zip"
    [ "$(head -c 3 "$file" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
        fail "$text does not start with the UTF-8 byte-order mark"
    iconv -f UTF-8 -t UTF-8 "$file" >/dev/null || fail "$text is not UTF-8"
    [ "$(grep -c $'\r$' "$file")" = "$(wc -l <"$file")" ] || fail "$text has line ends other than CRLF"
done
grep -q "LICENCAS\.txt" "$folder/LEIA-ME.txt" || fail "LEIA-ME.txt does not point to LICENCAS.txt"

shopt -s nullglob
binaries=("$folder"/*.exe "$folder"/*.dll)
[ ${#binaries[@]} -ge 2 ] || fail "no programs in the zip"
bash "$linkedpieces" "$folder/LICENCAS.txt" "$maps" "${binaries[@]}" || fail "notices missing"
echo PASS
