#!/usr/bin/env bash
# While the setup's mutex "LotseSetup" exists, a second start does not show
# the main window, and a WM_SETTINGCHANGE broadcast with wParam 0xFFFF ends
# the program.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/win/process-tools.sh"

holding=$(mktemp)
lotse_helper hold-mutex LotseSetup 120000 >"$holding" 2>&1 &
holder=$!
trap 'kill $holder 2>/dev/null; rm -f "$holding"; lotse_wine_cleanup' EXIT
lotse_wait_until 100 grep -q holding "$holding" || fail "the helper could not take the mutex"

lotse_start

wine "$lotse_exe" >/dev/null 2>&1
[ "$(lotse_count)" -eq 1 ] || fail "the second start kept running"
sleep 2
lotse_is_visible "$title" && fail "the main window was shown while the setup runs"

# Other broadcasts leave the program running.
lotse_helper broadcast 0x1234
sleep 1
[ "$(lotse_count)" -eq 1 ] || fail "an unrelated broadcast ended the program"

lotse_helper broadcast 0xFFFF
lotse_wait_count 0 100 || fail "the quit broadcast did not end the program"
wait "$lotse_job"
echo "setup mutex: window stayed hidden, 0xFFFF ended the program"
