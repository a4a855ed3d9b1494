#!/usr/bin/env bash
# LotseSetup.exe run silently (/S), as an administrator deploys it, in a fresh
# Wine prefix: it installs for the user and starts Lotse, which reaches the
# service and shows its tray icon; the setup of a newer build ends the running
# Lotse through its broadcast and starts the new one; the uninstaller, run as
# the system's list of programs runs it, leaves nothing behind.
set -uo pipefail
source "$LOTSE_TOP/tests/win/setup-tools.sh"

before=$(mktemp)
prefix_files >"$before"
version=$(lotse_helper file-version "$(winepath -w "$packed")" | tr -d '\r')
next_version=$(lotse_helper file-version "$(winepath -w "$next_packed")" | tr -d '\r')
[ -n "$version" ] && [ "$version" != "$next_version" ] ||
    fail "the builds' version resources do not differ: '$version', '$next_version'"

# Install: files, shortcut and the entry in the list of programs.
wine "$setup" /S
rc=$?
[ "$rc" -eq 0 ] || fail "the silent setup returned $rc"
cmp -s "$packed" "$install_dir/lotse.exe" || fail "lotse.exe was not installed in $install_dir"
[ -f "$install_dir/uninstall.exe" ] || fail "no uninstall.exe in $install_dir"
iconv -f UTF-16LE -t UTF-8 "$menu_link" 2>/dev/null | grep -aqF "$lotse_exe" ||
    grep -aqF "$lotse_exe" "$menu_link" 2>/dev/null || fail "no Start-menu shortcut to lotse.exe: $menu_link"
expect_value() {
    local value
    value=$(reg_value "$uninstall_key" "$1")
    [ "$value" = "$2" ] || fail "uninstall entry: $1 is '$value', not '$2'"
}
expect_value DisplayName Lotse
expect_value DisplayVersion "$version"
expect_value Publisher Nordlicht
expect_value DisplayIcon "$lotse_exe,0"
expect_value InstallLocation "$win_install_dir"
expect_value UninstallString "\"$win_install_dir\\uninstall.exe\""
expect_value QuietUninstallString "\"$win_install_dir\\uninstall.exe\" /S"
expect_value NoModify 0x1
size_kb=$(($(reg_value "$uninstall_key" EstimatedSize)))
files_kb=$(du -sk "$install_dir" | cut -f1)
[ "$size_kb" -gt 0 ] && [ "$size_kb" -le "$files_kb" ] ||
    fail "EstimatedSize $size_kb KB for $files_kb KB of files"
echo "installed $version: $install_dir, Start-menu shortcut, uninstall entry ($size_kb KB)"

# The setup started the installed Lotse: it passed the service's version check,
# counts the service's open tickets and shows its tray icon. Its first run made
# the program's key and the autostart entry.
lotse_wait_count 1 300 || fail "the setup did not start Lotse"
lotse_wait_window "$title" 300 >/dev/null || fail "the installed Lotse made no main window"
unsolved=$(curl -s --max-time 10 -X POST "https://localhost:$LOTSE_SERVICE_PORT/getticketcnt.php" \
    --data-urlencode "code=$code" | sed -n 's/.*"unsolved":"\([0-9]*\)".*/\1/p')
ticket_count() { lotse_helper item-text "$title" 1038 | tr -d '\r'; }
counts_unsolved() { [ "$(ticket_count)" = "$unsolved" ]; }
lotse_wait_until 100 counts_unsolved
shown=$(ticket_count)
[ -n "$unsolved" ] && [ "$shown" = "$unsolved" ] ||
    fail "Lotse counts '$shown' open tickets, the service $unsolved"
one_tray_icon() { [ "$(tray_icons)" = 1 ]; }
lotse_wait_until 100 one_tray_icon || fail "$(tray_icons) tray icons, expected Lotse's one"
reg_key_exists "$app_key" || fail "the first run made no $app_key"
[ "$(reg_value "$run_key" Lotse)" = "\"$lotse_exe\"" ] || fail "no autostart value for $lotse_exe"
[ -n "$(startup_link)" ] || fail "no Lotse.lnk in the Startup folder"
echo "installed Lotse runs: $shown open tickets as the service counts, one tray icon, autostart on"

# Upgrade. A Lotse started by the user (here: by the test, to see how it ends)
# ignores the broadcast while no setup runs, and ends on it while one does.
lotse_quit_request() { lotse_helper command "$title" 40003 >/dev/null; }
lotse_quit_request || fail "could not send Beenden"
lotse_wait_count 0 300 || fail "Beenden did not end Lotse"
lotse_start
old=$lotse_job
old_pid=$(lotse_pids)
lotse_helper broadcast 0xFFFF
sleep 1
[ "$(lotse_pids)" = "$old_pid" ] || fail "a 0xFFFF broadcast without the setup ended Lotse"

wine "$next_setup" /S
rc=$?
[ "$rc" -eq 0 ] || fail "the newer setup returned $rc over a running Lotse"
wait "$old"
old_rc=$?
# WinMain returns -1 after the main loop ended; a killed process has the
# killer's code, a crashed one the exception's.
[ "$old_rc" -eq 255 ] || fail "the old Lotse ended with $old_rc, not by its own quit (255)"
cmp -s "$next_packed" "$install_dir/lotse.exe" || fail "the newer lotse.exe was not installed"
[ "$(lotse_helper file-version "$(winepath -w "$install_dir/lotse.exe")" | tr -d '\r')" = "$next_version" ] ||
    fail "the installed lotse.exe is not $next_version"
expect_value DisplayVersion "$next_version"
lotse_wait_window "$title" 300 >/dev/null || fail "the newer setup did not start the new Lotse"
lotse_wait_count 1 || fail "$(lotse_count) lotse.exe processes after the upgrade"
new_pid=$(lotse_pids)
[ "$new_pid" != "$old_pid" ] || fail "the old process still runs"
sleep 1
[ "$(lotse_pids)" = "$new_pid" ] || fail "not exactly one Lotse after the upgrade: $(lotse_pids | tr '\n' ' ')"
echo "upgrade to $next_version: the old Lotse ($old_pid) ended on the broadcast with 255," \
    "the new one ($new_pid) runs alone"

# Uninstall as the list of programs does, while Lotse runs.
quiet=$(reg_value "$uninstall_key" QuietUninstallString)
uninstaller=$(sed -n 's/^"\(.*\)" \/S$/\1/p' <<<"$quiet")
wine "$uninstaller" /S || fail "the uninstaller did not start: $quiet"
lotse_wait_count 0 300 || fail "the uninstaller did not end Lotse"
expect_nothing_left "$before"
[ "$(tray_icons)" = 0 ] || fail "a tray icon is left"
rm -f "$before"
