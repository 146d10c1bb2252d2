#!/usr/bin/env bash
# Installs the report's chart library into node_modules/ exactly as the lock
# file pins it (version and integrity hash), when it is missing or the lock
# changed. The build embeds it from there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
stamp=node_modules/.package-lock.json
if [ -f node_modules/uplot/dist/uPlot.iife.min.js ] && [ "$stamp" -nt package-lock.json ]; then
    exit 0
fi
npm ci --ignore-scripts --no-audit --no-fund --loglevel=error
