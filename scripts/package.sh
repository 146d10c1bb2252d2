#!/usr/bin/env bash
# Builds the Debian packages from a Release build of its own (build-package/):
#   logqvr_<version>_amd64.deb      the program, its library, templates, menu entry
#   logqvr-sim_<version>_amd64.deb  the device simulator (demonstrations, training)
# Install with: sudo apt install ./build-package/packages/logqvr_<version>_amd64.deb
# The packages name who answers for them, and cpack stops without one:
#   LOGQVR_PACKAGE_MAINTAINER='Name <address>' scripts/package.sh
# (kept in build-package/ once given).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh

maintainer=()
[ -z "${LOGQVR_PACKAGE_MAINTAINER:-}" ] ||
    maintainer=("-DLOGQVR_PACKAGE_MAINTAINER=$LOGQVR_PACKAGE_MAINTAINER")
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DLOGQVR_BUILD_BENCH=OFF "${maintainer[@]}" >/dev/null
cmake --build build-package -j"$(nproc)"
(cd build-package && cpack)
ls -1 "$root"/build-package/packages/*.deb
