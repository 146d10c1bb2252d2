#!/usr/bin/env bash
# Cross-builds for Windows with Debian's mingw-w64 (posix thread model) what
# builds there: build-windows/ for x86-64, build-windows32/ for 32-bit x86.
# kestrune.dll lands in each folder's bin/.
#   scripts/build-windows.sh          install what is missing, build both
#   scripts/build-windows.sh --test   then run their tests under Wine; the
#                                     tests against the simulator take qvr-sim
#                                     from the Linux build in build/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

run_tests=0
case "${1:-}" in
"") ;;
--test) run_tests=1 ;;
*)
    echo "usage: scripts/build-windows.sh [--test]" >&2
    exit 2
    ;;
esac

# wine32 runs the 32-bit test programs; wine64 alone starts them and exits 0.
packages=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest
    wine64 wine32:i386)
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
build() {
    local dir=$1 arch=$2
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$arch.cmake" \
        -DLOGQVR_QVR_SIM="$root/build/bin/qvr-sim" >/dev/null
    cmake --build "$dir" -j"$jobs"
}
build build-windows x86_64
build build-windows32 i686
[ $run_tests -eq 1 ] || exit 0

# The simulator runs on Linux: reuse the Linux build, set up as test.sh does.
if [ ! -f build/build.ninja ]; then
    scripts/deps.sh
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build -j"$jobs" --target qvr-sim

for dir in build-windows build-windows32; do
    echo "== Windows tests under Wine: $dir =="
    (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600)
done
