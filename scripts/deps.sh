#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program, the packages and the
# tests need, and the report's chart library from the lock file (npm ci).
# Skips apt entirely when everything is already there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev fonts-dejavu-core
    libgtest-dev libgmock-dev
    libmodbus-dev
    mdbtools
    locales
    dpkg-dev file xvfb xauth xdotool
    chromium chromium-driver python3-selenium
    help2man lintian
    systemd
)
# Node.js may come from another packaging than Debian's; any node >= 18 with npm will do.
command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

"$root/scripts/jsdeps.sh"
