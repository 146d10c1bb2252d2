#!/usr/bin/env bash
# The real LOG_QVR.exe under Wine, worked through its controls by
# logqvr-driver.exe against the Linux device simulator on a pseudo-terminal
# linked as COM21; run by wine-gui.sh --script (WINEPREFIX, DISPLAY and
# LOGQVR_WINE set). The program lies in a folder of its own with kestrune.dll
# and the templates, as the package has it, and starts from another folder.
# The script judges what the driver printed, the registry the program left,
# and both files it wrote: mdbcheck, mdb-count and every row against the
# simulator. Plain, the program is then started again after the device has
# logged 24 more records, and one click must read just those.
#   endtoend.sh QVR_SIM PROGRAM_DIR DRIVER LINUX_BIN VERSION [--read-only]
# PROGRAM_DIR holds LOG_QVR.exe, kestrune.dll and the two templates.
# Plain: its settings are put in the registry first, the attempt count as a
# number (REG_DWORD) as a technician might have typed it in regedit; the
# driver also opens the About box and the folder browser.
# --read-only: the program's folder and files may not be written, as under
# C:\Program Files, and nothing says where to save: the program must fill
# per-user copies of its templates in %LOCALAPPDATA%\LOG_QVR, leave its own
# untouched, and offer the user's Documents folder. Root writes through
# permission bits, and Wine's server (which opens the files) with it, so run
# as root the whole script goes on without the capabilities that allow that
# (CAP_DAC_OVERRIDE and company), in a Wine server of its own.
set -euo pipefail
sim=$1 program=$2 driver=$3 linux=$4 version=$5 mode=${6:-}
wine=$LOGQVR_WINE
if [ "$mode" = --read-only ] && [ "$(id -u)" -eq 0 ] && [ -z "${LOGQVR_NO_DAC:-}" ]; then
    "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
    caps=-dac_override,-dac_read_search,-fowner
    export LOGQVR_NO_DAC=1
    exec setpriv --inh-caps="$caps" --bounding-set="$caps" bash "$0" "$@"
fi
for tool in "$linux/mdbcheck" "$linux/logexport_rowcheck"; do
    [ -x "$tool" ] || { echo "endtoend: no $tool (build it in the Linux build)"; exit 1; }
done
source "$(dirname "$0")/programrig.sh"
# Record 10300 erased and record 42 with a wrong record CRC, both inside the
# last-300 range the driver asks for.
rig_start endtoend "$program" "$sim" --pointer 150 --erased 10300 --bad-crc 42
mkdir "$work/out" "$work/elsewhere"
out_win="Z:${work//\//\\}\\out\\"
rig_setting COM 21
rig_setting Timeout 500
rig_setting Retries 3 /t REG_DWORD
rig_setting Baudrate 1
failed=0
if [ "$mode" = --read-only ]; then
    copies="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/LOG_QVR"
    rm -rf "$copies"
    trap 'rm -rf "$copies"; rig_cleanup' EXIT
    chmod a-w "$work/LOG_QVR"/* "$work/LOG_QVR"
    if touch "$work/LOG_QVR/probe" 2>/dev/null; then
        echo "endtoend: FAILED: the program's folder could still be written"
        exit 1
    fi
    rig_run_program "$work/elsewhere"
    driver_args=(downloads "$out_win")
else
    rig_setting Caminho "$out_win"
    rig_run_program "$work/elsewhere"
    driver_args=(run)
fi

# drive OUTPUT ARGS...: the driver's run into OUTPUT, then the program's end,
# which comes when the driver closes its window.
drive() {
    local output=$1 status
    shift
    set +e
    "$wine" "$driver" "$@" 2>&1 | tr -d '\r' >"$output"
    status=${PIPESTATUS[0]}
    set -e
    cat "$output"
    [ $status -eq 0 ] || { echo "endtoend: the driver stopped (status $status)"; failed=1; }
    for _ in $(seq 100); do kill -0 "$exe_pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$exe_pid" 2>/dev/null; then
        echo "endtoend: LOG_QVR.exe still runs after its window was closed"
        exit 1
    fi
    exe_pid=
}
drive "$work/driver.out" "${driver_args[@]}"

# expect LINE [OUTPUT]
expect() {
    grep -qxF -- "driver: $1" "${2:-$work/driver.out}" || { echo "endtoend: missing \"driver: $1\""; failed=1; }
}
if [ "$mode" = --read-only ]; then
    expect "txtCaminho = C:\\users\\$(id -un)\\Documents\\"
else
    expect "title = Log - QVR/KPW - Quorvane - V$version - Fw v1.24 r4"
    expect "txtCaminho = $out_win"
    expect "about [Sobre LOG QVR] Versão $version"
    expect "about closed by Esc"
    expect "browse Cancel: txtCaminho = $out_win"
    # The browser's own first choice, whatever Wine makes it, as a folder.
    grep -qE '^driver: browse OK: txtCaminho = [A-Z]:\\.*\\$' "$work/driver.out" ||
        { echo "endtoend: the folder browser's choice did not come back ending with \\"; failed=1; }
fi
expect "lblStatus = Desconectado."
expect "lblStatus = Conectado. Firmware v1.24 Release 4"
expect "lblNS = Número de Série: 012345"
expect "lblAte = Último Log gravado = 150"
expect "txtAte = 150"
expect "optUltimos checked = 1"
expect "box [LOG QVR] Dados gravados com sucesso"
expect "lblTexto = Lendo registro 150... FIM"
expect "lblPercentual = 100%"
expect "box [OK] Dados gravados com sucesso"
expect "lblTexto = Lendo registro 78 de 78... FIM"
expect "closed"
expect "done"

# The settings the connect stored: text values, the attempts among them.
query() { "$wine" reg query "$params" /v "$1" 2>/dev/null | tr -d '\r' | grep -E "^ +$1 "; }
for value in "COM REG_SZ 21" "Retries REG_SZ 3" "Endereco REG_SZ 1" "Caminho REG_SZ $out_win"; do
    read -r name _ <<<"$value"
    got=$(query "$name" | sed -E 's/^ +//; s/ {4}/ /g') || true
    [ "$got" = "$value" ] || { echo "endtoend: registry $name is \"$got\", expected \"$value\""; failed=1; }
done
for name in Top Left; do
    query "$name" | grep -qE "REG_SZ +[0-9]+$" ||
        { echo "endtoend: registry $name holds no twips"; failed=1; }
done

count() {
    local counted
    counted=$(mdb-count "$1" LOG) || counted="(mdb-count failed)"
    [ "$counted" = "$2" ] || { echo "$1: mdb-count says $counted rows, expected $2"; failed=1; }
}
# file pattern, rows, logexport_rowcheck arguments after the file
check() {
    local pattern=$1 rows=$2 kind=$3 files
    shift 3
    files=("$work"/out/$pattern)
    if [ ${#files[@]} -ne 1 ] || [ ! -f "${files[0]}" ]; then
        echo "endtoend: expected one $pattern in the output folder"
        ls -l "$work/out"
        failed=1
        return
    fi
    "$linux/mdbcheck" "${files[0]}" || failed=1
    count "${files[0]}" "$rows"
    "$linux/logexport_rowcheck" "$kind" "${files[0]}" "$@" || failed=1
}
check 'LOG_QVR_END1_*.mdb' 301 data 10231-10380,0-150 --erased 10300 --bad-crc 42
check 'LOG_RESET_QVR_END1_*.mdb' 70 reset

# The device's memory, as a string value of its own: record, "Data", "Hora".
remembered() {
    "$wine" reg query "$history" /v 12_345 2>/dev/null | tr -d '\r' | sed -nE 's/^ +12_345 +REG_SZ +//p'
}
if [ "$mode" != --read-only ]; then
    # The last 300 reached the pointer: the device is remembered at 150.
    first=$(remembered)
    [[ "$first" =~ ^150\ [0-9]{2}/[0-9]{2}/[0-9]{2}\ [0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] ||
        { echo "endtoend: the device is remembered as \"$first\""; failed=1; }
    mkdir "$work/first"
    mv "$work"/out/LOG_QVR_END1_*.mdb "$work/first/"
    echo "write 24" >"$work/control"
    for _ in $(seq 50); do grep -qx "ok pointer 174 serial 12,345" "$work/sim21.out" && break; sleep 0.1; done
    rig_run_program "$work/elsewhere"
    drive "$work/repeat.out" repeat
    expect "lblTexto = 24 registro(s) novo(s) desde ${first#150 }" "$work/repeat.out"
    expect "txtDe = 151" "$work/repeat.out"
    expect "optAte checked = 1" "$work/repeat.out"
    expect "box [LOG QVR] Dados gravados com sucesso" "$work/repeat.out"
    expect "lblTexto = Lendo registro 174... FIM" "$work/repeat.out"
    check 'LOG_QVR_END1_*.mdb' 24 data 151-174 --pointer 150 --write 24
    [[ "$(remembered)" =~ ^174\  ]] || { echo "endtoend: after the repeat visit the device is remembered as \"$(remembered)\""; failed=1; }
fi
if [ "$mode" = --read-only ]; then
    # The downloads filled the user's copies; the program's own stayed as shipped.
    count "$copies/LOG_QVR.mdb" 301
    count "$copies/LOG_RESET_QVR.mdb" 70
    for file in LOG_QVR.mdb LOG_RESET_QVR.mdb; do
        cmp -s "$program/$file" "$work/LOG_QVR/$file" ||
            { echo "endtoend: the program's $file was written"; failed=1; }
    done
fi
[ $failed -eq 0 ] || { echo "endtoend: FAILED"; exit 1; }
echo "endtoend: PASSED"
