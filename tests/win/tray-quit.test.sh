#!/usr/bin/env bash
# "Beenden" (command 40003, posted to the main window as the tray menu does)
# ends the program; the command "Öffnen" (40007) shows the main window.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/win/process-tools.sh"

wine "$lotse_exe" >/dev/null 2>&1 &
lotse=$!
lotse_wait_window "$title" 300 >/dev/null || fail "the main window was not created"

lotse_helper command "$title" 40007 || fail "could not post Öffnen"
lotse_wait_visible "$title" || fail "Öffnen did not show the main window"

lotse_helper command "$title" 40003 || fail "could not post Beenden"
lotse_wait_count 0 100 || fail "Beenden did not end the program"
wait "$lotse"
rc=$?
[ "$rc" -eq 255 ] || fail "lotse.exe ended with $rc, expected 255 (-1)"
echo "tray quit: Beenden ended the program"
