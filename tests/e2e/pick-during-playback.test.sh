#!/usr/bin/env bash
# A pick in the middle of a played solution in a Wine desktop against the
# service. A solution of two clicks on a program of our own (Klickziel) plays;
# while it waits for the first click the user presses Pause, starts
# "Software wählen" and ends the pick with Escape (pick-during-playback.png).
# The pick used the mouse hook that the navigator uses too; the navigator still
# sees the user's click on the framed button, goes on to the second step and
# ends after it.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
target="Klickziel"
navigator="Solution navigator"
notification="Deine Suche wurde gelöst!"
feedbackPattern='War die Lösung hilfreich\?' # xdotool takes window titles as patterns
anySoftware=14 # a demo catalogue entry; the capture itself names the program
target_log=$(mktemp)
trap 'rm -f "$target_log"; lotse_wine_cleanup' EXIT

expect_instruction() { wait_text "$navigator" 1020 "$1"; }

start_in_desktop target "$LOTSE_WIN_BUILD/lotse_clicktarget.exe" "Z:${target_log//\//\\}"
lotse_wait_visible "$target" 300 || fail "$target did not start"
ask_ticket $anySoftware "Klickziel während einer Auswahl ($$)"
store_solution "$ticket" "window=$target" 101 102

lotse_start_in_desktop
lotse_wait_visible "$notification" 300 || fail "no notification of the solved ticket"
click_on "$notification" 1010
lotse_wait_visible "$navigator" 100 || fail "the navigator did not open"
helper move "$navigator" 20 780 >/dev/null || fail "could not move $navigator"
expect_instruction 'Linker Mausklick auf "Eins"'

press_pause 300 500
helper move "$title" 20 260 >/dev/null || fail "could not move the main window"
sleep 0.5
click_on "$title" 1034
[ "$(helper item-text "$title" 1034)" = "Abbrechen" ] || fail "the pick did not start"
xdotool mousemove 300 900
sleep 0.5
import -window root "$shots/pick-during-playback.png" && echo "screenshot: $shots/pick-during-playback.png"
xdotool key Escape
sleep 0.5
[ "$(helper item-text "$title" 1034)" = "Software wählen..." ] || fail "Escape did not end the pick"

click_on "$target" 101
grep -q '^up 101 ' "$target_log" || fail "the click did not reach $target"
expect_instruction 'Linker Mausklick auf "Zwei"'
click_on "$target" 102
lotse_wait_visible "$feedbackPattern" 100 || fail "no feedback question after the last step"
lotse_is_visible "$navigator" && fail "the navigator stayed open"
echo "the navigator saw both clicks after the pick"

lotse_quit
