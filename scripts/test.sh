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
# The native and service tests once more with AddressSanitizer and UBSan: a
# result used after the list that held it was replaced, or a read past a
# reply's end, is then a failure instead of luck.
cmake -S "$top" -B "$build/sanitize" -G Ninja -DLOTSE_SANITIZE=ON \
    -DLOTSE_WIN_BUILD_DIR="$build/win" >/dev/null &&
    ninja -C "$build/sanitize" -j "$(nproc)" lotse_unit_tests lotse_service_tests &&
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --test-dir "$build/sanitize" -L "unit|service" --output-on-failure \
        -j "$(nproc)" --timeout 600 || rc=1
set -e
echo "test: finished in $(( $(date +%s) - start )) s"
exit $rc
