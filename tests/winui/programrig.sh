# Sourced by the scripts that run the real LOG_QVR.exe under wine-gui.sh
# (tests/winui/endtoend.sh, tools/screenshot/win32.sh): a work folder with a
# copy of the program folder, the Linux simulator on a pty linked into the
# prefix as COM21, the program's registry settings, and the clean-up of all
# three when the script exits.
#   rig_start NAME PROGRAM_DIR QVR_SIM SIM_OPTIONS...
# sets $work (the program copy in $work/LOG_QVR), $params (the settings key)
# and $history (the devices' memory, emptied); the simulator takes commands
# on the pipe $work/control and answers them in $work/sim21.out.
#   rig_setting NAME DATA [reg add options]    one value in $params
#   rig_run_program [FOLDER]                   starts the copy from FOLDER
#                                              ($work by default); sets $exe_pid

source "$(dirname "${BASH_SOURCE[0]}")/../support/winesim.sh"

rig_cleanup() {
    [ -z "${exe_pid:-}" ] || kill "$exe_pid" 2>/dev/null || true
    winesim_stop
    # A read-only program folder, as a test may leave it.
    [ -z "${work:-}" ] || { chmod -R u+w "$work"; rm -rf "$work"; }
}

rig_start() {
    local name=$1 program=$2 sim=$3 file
    shift 3
    [ -x "$sim" ] || { echo "$name: no simulator at $sim"; exit 1; }
    for file in LOG_QVR.exe kestrune.dll LOG_QVR.mdb LOG_RESET_QVR.mdb; do
        [ -f "$program/$file" ] || { echo "$name: no $program/$file"; exit 1; }
    done
    work=$(mktemp -d)
    trap rig_cleanup EXIT
    mkdir "$work/LOG_QVR"
    cp "$program"/{LOG_QVR.exe,kestrune.dll,LOG_QVR.mdb,LOG_RESET_QVR.mdb} "$work/LOG_QVR/"

    winesim_start "$name" 21 "$sim" "$work" "$WINEPREFIX" --control "$work/control" "$@"

    params='HKCU\Software\VB and VBA Program Settings\LOG_QVR\Params'
    history='HKCU\Software\VB and VBA Program Settings\LOG_QVR\Historico'
    "$LOGQVR_WINE" reg delete "$params" /f >/dev/null 2>&1 || true
    "$LOGQVR_WINE" reg delete "$history" /f >/dev/null 2>&1 || true
}

rig_setting() {
    local name=$1 data=$2
    shift 2
    "$LOGQVR_WINE" reg add "$params" /v "$name" /d "$data" /f "$@" >/dev/null
}

rig_run_program() {
    local folder=${1:-$work}
    (cd "$folder" && exec "$LOGQVR_WINE" "$work/LOG_QVR/LOG_QVR.exe") >"$work/exe.out" 2>&1 &
    exe_pid=$!
}
