#!/usr/bin/env bash
# The Windows program's main window as a PNG: the real LOG_QVR.exe under Wine
# on the Xvfb display of wine-gui.sh, connected by logqvr-driver.exe to the
# Linux simulator on COM21 (first poll tick shown), captured from the screen
# and cut to the window with its frame. Run by scripts/build-windows.sh
# --screenshot, through wine-gui.sh --script.
#   win32.sh QVR_SIM PROGRAM_DIR DRIVER OUT.png
set -euo pipefail
sim=$1 program=$2 driver=$3 out=$4
wine=$LOGQVR_WINE
command -v import >/dev/null || { echo "screenshot: import is missing (Debian package imagemagick)"; exit 1; }

work=$(mktemp -d)
sim_pid=
exe_pid=
link="$WINEPREFIX/dosdevices/com21"
cleanup() {
    [ -z "$exe_pid" ] || kill "$exe_pid" 2>/dev/null || true
    [ -z "$sim_pid" ] || { kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; }
    rm -f "$link"
    rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/LOG_QVR"
cp "$program"/{LOG_QVR.exe,kestrune.dll,LOG_QVR.mdb,LOG_RESET_QVR.mdb} "$work/LOG_QVR/"
"$sim" --ports "$work" --port 21 --pointer 1234 >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 50); do [ -L "$work/com21" ] && break; sleep 0.1; done
[ -L "$work/com21" ] || { echo "screenshot: the simulator did not start"; cat "$work/sim.err"; exit 1; }
ln -sfn "$(readlink "$work/com21")" "$link"

params='HKCU\Software\VB and VBA Program Settings\LOG_QVR\Params'
"$wine" reg delete "$params" /f >/dev/null 2>&1 || true
for setting in "COM 21" "Timeout 200" "Retries 3" 'Caminho C:\Logs\'; do
    "$wine" reg add "$params" /v "${setting%% *}" /d "${setting#* }" /f >/dev/null
done

"$wine" "$work/LOG_QVR/LOG_QVR.exe" >"$work/exe.out" 2>&1 &
exe_pid=$!
"$wine" "$driver" connect 2>&1 | tr -d '\r' | tee "$work/driver.out"
geometry=$(sed -n 's/^driver: window //p' "$work/driver.out")
[ -n "$geometry" ] || { echo "screenshot: the driver gave no window place"; exit 1; }
# Time for the frame and a poll tick to be painted, then the screen.
sleep 1.5
import -window root -crop "$geometry" +repage "$out"
"$wine" "$driver" close >/dev/null 2>&1 || true
echo "screenshot: $out"
