#!/usr/bin/env bash
# A second start of lotse.exe ends at once (exit code -1), leaves one process
# running and makes the first one show its hidden main window.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/win/process-tools.sh"

lotse_start
sleep 1
lotse_is_visible "$title" && fail "the main window is visible right after start"
first=$(lotse_pids)

wine "$lotse_exe" >/dev/null 2>&1
rc=$?
[ "$rc" -eq 255 ] || fail "the second start returned $rc, expected 255 (-1)"
lotse_wait_visible "$title" || fail "the first instance did not show its main window"
[ "$(lotse_count)" -eq 1 ] || fail "$(lotse_count) lotse.exe processes after the second start"
[ "$(lotse_pids)" = "$first" ] || fail "the remaining process is not the first one"
echo "single instance: one process ($first), main window shown"
