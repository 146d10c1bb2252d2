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

source "$(dirname "$0")/../../tests/winui/programrig.sh"
rig_start screenshot "$program" "$sim" --pointer 1234
rig_setting COM 21
rig_setting Timeout 200
rig_setting Retries 3
rig_setting Caminho 'C:\Logs\'
rig_run_program

"$wine" "$driver" connect 2>&1 | tr -d '\r' | tee "$work/driver.out"
geometry=$(sed -n 's/^driver: window //p' "$work/driver.out")
[ -n "$geometry" ] || { echo "screenshot: the driver gave no window place"; exit 1; }
# Time for the frame and a poll tick to be painted, then the screen.
sleep 1.5
import -window root -crop "$geometry" +repage "$out"
"$wine" "$driver" close >/dev/null 2>&1 || true
echo "screenshot: $out"
