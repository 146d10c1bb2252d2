#!/usr/bin/env bash
# Cross-builds the Windows program with Debian's mingw-w64 (posix thread
# model): build-windows/ for x86-64, build-windows32/ for 32-bit x86, and
# packs each into dist/LOG_QVR-<version>-win64.zip and -win32.zip: one folder
# LOG_QVR with LOG_QVR.exe, kestrune.dll, the two templates and LEIA-ME.txt.
# The templates and the simulator come from a small Linux build of the tools
# alone, build-host/.
#   scripts/build-windows.sh               install what is missing, build, pack
#   scripts/build-windows.sh --test        then run the Windows tests under Wine;
#                                          they take from the Linux build in
#                                          build/ what stays Linux-built: qvr-sim
#                                          and the checkers of written files
#   scripts/build-windows.sh --screenshot  then draw the 64-bit window connected
#                                          to the simulator into
#                                          build-windows/LOG_QVR-win-screenshot.png,
#                                          and its About box beside it
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

run_tests=0
screenshot=0
for arg in "$@"; do
    case "$arg" in
    --test) run_tests=1 ;;
    --screenshot) screenshot=1 ;;
    *)
        echo "usage: scripts/build-windows.sh [--test] [--screenshot]" >&2
        exit 2
        ;;
    esac
done

# wine32 runs the 32-bit programs; wine64 alone starts them and exits 0.
# Xvfb gives the programs with windows a display.
packages=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest
    wine64 wine32:i386 xvfb)
[ $screenshot -eq 0 ] || packages+=(imagemagick)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
# The report's chart library, embedded by the build.
scripts/jsdeps.sh
# mdbgen writes the templates, qvr-sim plays the device; neither needs Qt.
cmake -S . -B build-host -G Ninja -DCMAKE_BUILD_TYPE=Release -DLOGQVR_BUILD_APP=OFF \
    -DBUILD_TESTING=OFF -DLOGQVR_BUILD_BENCH=OFF >/dev/null
cmake --build build-host -j"$jobs" --target logqvr_templates qvr-sim

build() {
    local dir=$1 arch=$2
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$arch.cmake" \
        -DLOGQVR_TEMPLATES_DIR="$root/build-host/bin" \
        -DLOGQVR_QVR_SIM="$root/build/bin/qvr-sim" -DLOGQVR_LINUX_BUILD="$root/build" >/dev/null
    cmake --build "$dir" -j"$jobs"
}
build build-windows x86_64
build build-windows32 i686
mkdir -p dist
for zip in build-windows/LOG_QVR-*-win64.zip build-windows32/LOG_QVR-*-win32.zip; do
    cp "$zip" dist/
    echo "Package: dist/$(basename "$zip")"
done

if [ $screenshot -eq 1 ]; then
    build-windows/wine-gui.sh --script tools/screenshot/win32.sh "$root/build-host/bin/qvr-sim" \
        "$root/build-windows/package/LOG_QVR" "$root/build-windows/bin/logqvr-driver.exe" \
        "$root/build-windows/LOG_QVR-win-screenshot.png" "$root/build-windows/LOG_QVR-win-about.png"
fi
[ $run_tests -eq 1 ] || exit 0

# The simulator and the file checkers run on Linux: reuse the Linux build,
# set up as test.sh does.
if [ ! -f build/build.ninja ]; then
    scripts/deps.sh
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build -j"$jobs" --target qvr-sim logqvr_templates mdbcheck logexport_rowcheck \
    logqvr-report report_makelogs

for dir in build-windows build-windows32; do
    echo "== Windows tests under Wine: $dir =="
    (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600)
done
