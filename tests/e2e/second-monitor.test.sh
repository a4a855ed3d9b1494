#!/usr/bin/env bash
# Lotse on two monitors side by side, without a Wine virtual desktop (which
# would be one monitor): Task Manager stands on the second monitor, the main
# window on the first, and "Software wählen" frames Task Manager's "New
# Task..." button there (second-monitor-frame.png): the overlay covers the
# element's monitor.
#
# Xvfb's two screens joined by Xinerama are asked for, but Xvfb 21 lays both
# heads at 0,0 (xdpyinfo: "head #0: 1280x1024 @ 0,0", "head #1: 1280x1024 @
# 0,0") and Wine 8 takes its monitors from XRandR, where Xvfb has one output:
# Wine lists one monitor, and the journey says so and ends there. On an X
# server with two monitors side by side (LOTSE_DISPLAY) it runs in full.
set -uo pipefail
export LOTSE_XVFB_ARGS="+xinerama -screen 0 1280x1024x24 -screen 1 1280x1024x24"
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
# Programs run on the X screen itself, each window its own X window: no
# virtual desktop is named.
desktop=

monitors=$(helper monitors) || fail "the helper could not list the monitors"
echo "Wine's monitors (x y width height):" $monitors
if [ "$(wc -l <<<"$monitors")" -lt 2 ]; then
    echo "SKIPPED: Wine sees one monitor on this X server:" $monitors
    exit 77 # reported as skipped, not as passed
fi
# The first monitor not at the origin, where the main window stays.
read -r second_x second_y _ < <(grep -v '^0 0 ' <<<"$monitors" | head -n1)

lotse_start_in_desktop
wine taskmgr >/dev/null 2>&1 &
lotse_wait_task_manager || fail "Task Manager did not start"
sleep 1
helper move "Task Manager" $((second_x + 100)) $((second_y + 100)) || fail "could not move Task Manager"
press_pause 600 900
helper move "$title" 20 300 || fail "could not move the main window"
sleep 1

click_on "$title" 1034
[ "$(helper item-text "$title" 1034)" = "Abbrechen" ] || fail "the pick did not start"
point_to "Task Manager" 1014
sleep 1.5
expect_frame "Task Manager" 1014 && cp "$shots/screen.png" "$shots/second-monitor-frame.png"
echo "screenshot: $shots/second-monitor-frame.png"
xdotool key Escape
sleep 1
[ "$(helper item-text "$title" 1034)" = "Software wählen..." ] || fail "Escape did not end the pick"
helper post "Task Manager" 16 0 0 >/dev/null
lotse_quit
