#!/usr/bin/env bash
# Draws a report as a browser shows it, for the README: a whole-memory
# download from the simulator (tests' report_makelogs), its report by
# logqvr-report, and headless Chromium's screenshot of the page's top.
#   scripts/report-screenshot.sh [OUT.png]     default docs/relatorio.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${1:-docs/relatorio.png}
scripts/deps.sh
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target report_makelogs logqvr-report
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$(build/bin/report_makelogs "$work/logs" | head -1)
html=$(build/bin/logqvr-report "$data")
# The flags keep Chromium off the network, which it would try at start.
chromium --headless=new --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --hide-scrollbars \
    --user-data-dir="$work/profile" --window-size=1100,1500 --virtual-time-budget=5000 \
    --screenshot="$out" "file://$html" 2>/dev/null
echo "Screenshot: $out"
