#!/usr/bin/env bash
# The Windows program's main window as a PNG: the real LOG_QVR.exe under Wine
# on the Xvfb display of wine-gui.sh, connected by logqvr-driver.exe to the
# Linux simulator on COM21 (first poll tick shown), captured from the screen
# and cut to the window with its frame; when asked, the About box too. Run by
# scripts/build-windows.sh --screenshot, through wine-gui.sh --script.
#   win32.sh QVR_SIM PROGRAM_DIR DRIVER OUT.png [ABOUT.png]
set -euo pipefail
sim=$1 program=$2 driver=$3 out=$4 about=${5:-}
wine=$LOGQVR_WINE
command -v import >/dev/null || { echo "screenshot: import is missing (Debian package imagemagick)"; exit 1; }

source "$(dirname "$0")/../../tests/winui/programrig.sh"
rig_start screenshot "$program" "$sim" --pointer 1234
rig_setting COM 21
rig_setting Timeout 200
rig_setting Retries 3
rig_setting Caminho 'C:\Logs\'
rig_run_program

"$wine" "$driver" connect 2>&1 | tr -d '\r' | tee "$work/driver.out"
# driver output, what: the window's place as WIDTHxHEIGHT+X+Y
place() {
    local found
    found=$(sed -n "s/^driver: $2 //p" "$1")
    [ -n "$found" ] || { echo "screenshot: the driver gave no place of the $2"; exit 1; }
    echo "$found"
}
geometry=$(place "$work/driver.out" window)
# Time for the frame and a poll tick to be painted, then the screen.
sleep 1.5
import -window root -crop "$geometry" +repage "$out"
echo "screenshot: $out"
if [ -n "$about" ]; then
    "$wine" "$driver" about 2>&1 | tr -d '\r' >"$work/about.out"
    geometry=$(place "$work/about.out" about)
    sleep 0.5
    import -window root -crop "$geometry" +repage "$about"
    echo "screenshot: $about"
fi
"$wine" "$driver" close >/dev/null 2>&1 || true
