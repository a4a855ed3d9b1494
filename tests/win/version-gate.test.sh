#!/usr/bin/env bash
# The version gate's dialog against real services: a second service names
# 1.0.3, a closed port stands for an unreachable service and a proxy's 502 page
# for a service behind a proxy that is down (VersionGateTest in lotse_wintests).
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/win/process-tools.sh"
source "$LOTSE_TOP/tests/win/newer-service.sh"

newer_service_start 1.0.3 || fail "the second service did not start"
error_page_start || fail "the proxy's error page was not served"
wine "$LOTSE_WIN_BUILD/lotse_wintests.exe" --gtest_filter='VersionGateTest.*' \
    --service-port="$LOTSE_SERVICE_PORT" --newer-service-port="$newer_service_port" \
    --error-page-port="$error_page_port" 2>&1 |
    grep -v '^wine:' | tee "$newer_service_dir/gtest.log"
rc=${PIPESTATUS[0]}
[ "$rc" -eq 0 ] || fail "VersionGateTest failed"
grep -q '\[  PASSED  \] 3 tests' "$newer_service_dir/gtest.log" || fail "not all three version gate tests ran and passed"
echo "version gate: newer version, unreachable service and proxy error page passed"
