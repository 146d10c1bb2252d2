#!/usr/bin/env bash
# Builds the program and starts it. With no device named by the user it starts
# the device simulator on a pseudo-terminal, links it as port 1 in a private
# ports folder, and points the program at it, so the window has a device to talk to.
#   scripts/run.sh            simulator on port 1
#   scripts/run.sh --device   use the real serial ports (no simulator): lists
#                             them with their port numbers first
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target LOG_QVR kestrune qvr-sim logqvr_templates logqvr-screenshot \
    logqvr-ports
bin=build/bin

if [ "${1:-}" = "--device" ]; then
    "$bin/logqvr-ports"
    if [ "$(id -u)" != 0 ] && ! id -nG | grep -qw dialout; then
        echo "You are not in the dialout group, which serial adapters usually need:" \
            "sudo usermod -aG dialout \$USER, then log in again."
    fi
else
    ports=$(mktemp -d)
    "$bin/qvr-sim" --ports "$ports" --port 1 --control "$ports/control" >"$ports/sim.out" \
        2>"$ports/sim.err" &
    sim=$!
    trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$ports"' EXIT
    for _ in $(seq 50); do [ -e "$ports/com1" ] && break; sleep 0.1; done
    [ -e "$ports/com1" ] || { echo "The simulator did not start:"; cat "$ports/sim.err"; exit 1; }
    export KESTRUNE_PORTS=$ports
    echo "Simulated device on $(head -n1 "$ports/sim.out"), linked as port 1 (address 1)."
    echo "To have it log 24 new records, which the next connect offers:" \
        "echo 'write 24' > $ports/control"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: DISPLAY and WAYLAND_DISPLAY are unset, so the window cannot be shown here."
    echo "Writing pictures of the window instead: connected to the simulator, with the" \
        "Portas menu open, and the box of a failed open:"
    QT_QPA_PLATFORM=offscreen "$bin/logqvr-screenshot" build/LOG_QVR-screenshot.png \
        --portas build/LOG_QVR-screenshot-portas.png --erro build/LOG_QVR-screenshot-erro.png
    for picture in LOG_QVR-screenshot LOG_QVR-screenshot-portas LOG_QVR-screenshot-erro; do
        echo "  $root/build/$picture.png"
    done
    echo "On a desktop session (or under xvfb-run) this command opens the window itself."
    exit 0
fi
"$bin/LOG_QVR"
