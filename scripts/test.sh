#!/usr/bin/env bash
# Runs every test: native unit tests, service tests over HTTPS, the Windows
# tests under Wine and the end-to-end scripts. Screenshots land in the build
# folder (build/screenshots).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTSE_BUILD:-$top/build}
start=$(date +%s)

"$top/scripts/build.sh"
mkdir -p "$build/screenshots"
set +e
ctest --test-dir "$build/native" --output-on-failure -j "$(nproc)" --timeout 600
rc=$?
set -e
echo "test: finished in $(( $(date +%s) - start )) s"
exit $rc
