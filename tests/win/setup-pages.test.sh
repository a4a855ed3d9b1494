#!/usr/bin/env bash
# LotseSetup.exe and its uninstaller as a user clicks through them in a Wine
# desktop of a fresh prefix, each page saved in the screenshot folder
# (setup-*.png, uninstall-*.png): a second setup started meanwhile says so and
# ends; "Lotse jetzt starten", ticked from the start, starts Lotse; a setup
# over a Lotse that cannot end yet (its settings dialog is open) says so, and
# goes on when asked again after the dialog was closed; started with /NOSTART
# it leaves Lotse stopped; the uninstaller ends a running Lotse and leaves
# nothing behind.
set -uo pipefail
source "$LOTSE_TOP/tests/win/setup-tools.sh"

before=$(mktemp)
prefix_files >"$before"
setup_win=$(winepath -w "$setup")
# The wizard's title ends in a space on every page after the first; a message
# box of the setup carries the title without it.
wizard_title="$setup_title "
box_title=$setup_title

# How many setups run in this prefix.
setup_count() { prefix_programs | grep -ic '^lotsesetup\.exe/'; }

# N: whether N setups run.
setups_are() { [ "$(setup_count)" -eq "$1" ]; }

# TITLE TEXT: waits until the message box titled TITLE says TEXT (its first line).
wait_box() {
    local text
    for _ in $(seq 1 60); do
        text=$(helper item-text "$1" 0xFFFF 2>/dev/null | head -n1)
        [ "$text" = "$2" ] && return 0
        sleep 0.5
    done
    fail "no message box \"$1\" saying \"$2\" (last: \"$text\")"
}

# The welcome page; "Installieren" leads through the files to the last page.
open_desktop
lotse_in_desktop "$setup_win" >/dev/null 2>&1 &
rect_of "$setup_title" | grep -q . || fail "the setup showed no window"
sleep 1
shoot_window "$setup_title" setup-welcome.png
click_on "$setup_title" 1
wait_text "$wizard_title" 1 "&Fertigstellen"
[ "$(lotse_count)" -eq 0 ] || fail "Lotse started before the last page"
shoot_window "$wizard_title" setup-finish.png

# A second setup while this one runs says so and ends.
lotse_in_desktop "$setup_win" >/dev/null 2>&1 &
wait_box "$box_title" "Lotse wird gerade schon installiert oder deinstalliert. Warte, bis das fertig ist, und versuche es dann noch einmal."
shoot_window "$box_title" setup-already-running.png
click_on "$box_title" 1
lotse_wait_until 100 setups_are 1 || fail "the second setup did not end"

# "Lotse jetzt starten" is ticked: "Fertigstellen" starts the installed Lotse.
click_on "$wizard_title" 1
lotse_wait_count 1 300 || fail "Fertigstellen did not start Lotse"
lotse_wait_window "$title" 300 >/dev/null || fail "the started Lotse made no main window"
echo "installed through the pages; a second setup was refused; Lotse started from the last page"

# Lotse with its settings dialog open ends only when the dialog closes: the
# setup says so, and goes on when asked again. /NOSTART unticks "Lotse jetzt
# starten".
helper command "$title" 40005 >/dev/null || fail "could not open Einstellungen"
rect_of "Einstellungen" | grep -q . || fail "Einstellungen did not open"
lotse_in_desktop "$setup_win" /NOSTART >/dev/null 2>&1 &
rect_of "$setup_title" | grep -q . || fail "the second install showed no window"
click_on "$setup_title" 1
wait_box "$box_title" "Lotse lässt sich nicht beenden."
shoot_window "$wizard_title" setup-lotse-still-running.png
[ "$(lotse_count)" -eq 1 ] || fail "Lotse ended with its settings dialog open"
helper command "Einstellungen" 2 >/dev/null || fail "could not close Einstellungen"
lotse_wait_count 0 300 || fail "Lotse did not end once its settings dialog closed"
click_on "$box_title" 4 # Retry
wait_text "$wizard_title" 1 "&Fertigstellen"
click_on "$wizard_title" 1
lotse_wait_until 100 setups_are 0 || fail "the setup did not end on Fertigstellen"
sleep 1
[ "$(lotse_count)" -eq 0 ] || fail "Lotse started after /NOSTART"
echo "over a Lotse that could not end: asked, went on after the settings closed; /NOSTART: no start"

# The uninstaller, with Lotse running: its confirmation and its last page.
lotse_start_in_desktop
lotse_in_desktop "$win_install_dir\\uninstall.exe" >/dev/null 2>&1 &
uninstall_wizard="$uninstall_title "
rect_of "$uninstall_wizard" | grep -q . || fail "the uninstaller showed no window"
sleep 1
shoot_window "$uninstall_wizard" uninstall-confirm.png
click_on "$uninstall_wizard" 1
wait_text "$uninstall_wizard" 1 "&Schließen"
shoot_window "$uninstall_wizard" uninstall-done.png
click_on "$uninstall_wizard" 1
lotse_wait_count 0 300 || fail "the uninstaller did not end Lotse"
expect_nothing_left "$before"
rm -f "$before"
