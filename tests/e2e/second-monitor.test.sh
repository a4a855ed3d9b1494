#!/usr/bin/env bash
# Lotse on two monitors side by side, without a Wine virtual desktop (which
# would be one monitor): Task Manager stands on the second monitor, the main
# window on the first, and "Software wählen" frames Task Manager's "New
# Task..." button there (second-monitor-frame.png): the overlay covers the
# element's monitor.
#
# Xvfb alone cannot show Wine two monitors: its screens joined by Xinerama all
# lie at 0,0, and it has one XRandR output. So the journey's X server is Xephyr,
# run inside the private Xvfb, with two screens side by side joined by Xinerama,
# and Wine's X11 driver is told to take its monitors from Xinerama instead of
# XRandR (UseXRandR "N", for this journey only). Where Wine still sees one
# monitor, the journey says so and ends as skipped. LOTSE_DISPLAY names an X
# server with two monitors to use instead.
set -uo pipefail
[ -n "${LOTSE_DISPLAY:-}" ] || export LOTSE_XVFB_ARGS="-screen 0 2560x1024x24"
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
# Programs run on the X screen itself, each window its own X window: no
# virtual desktop is named.
desktop=

x11_key='HKCU\Software\Wine\X11 Driver'
xephyr_pid=
# Wine's programs end before the X servers they draw on: Xephyr, then Xvfb.
# The prefix is left as the journey found it: without the monitor setting, and
# with Task Manager's settings of before, since it keeps its window position on
# closing (here on the second monitor, off the other journeys' desktop).
taskmgr_key='HKCU\Software\Wine\TaskManager'
taskmgr_saved=$(mktemp)
end_two_monitors() {
    lotse_end_prefix
    wine reg delete "$x11_key" /v UseXRandR /f >/dev/null 2>&1
    wine reg delete "$taskmgr_key" /f >/dev/null 2>&1
    [ -s "$taskmgr_saved" ] && wine reg import "$(winepath -w "$taskmgr_saved")" >/dev/null 2>&1
    rm -f "$taskmgr_saved"
    lotse_end_prefix
    if [ -n "$xephyr_pid" ]; then
        kill "$xephyr_pid" >/dev/null 2>&1
        wait "$xephyr_pid" 2>/dev/null
    fi
    lotse_wine_cleanup
}
trap end_two_monitors EXIT
if [ -z "${LOTSE_DISPLAY:-}" ]; then
    command -v Xephyr >/dev/null || fail "Xephyr is not installed (scripts/setup.sh installs it)"
    displayfd=$(mktemp)
    Xephyr -displayfd 3 -screen 1280x1024+0+0 -screen 1280x1024+1280+0 +xinerama -nolisten tcp \
        3>"$displayfd" >/dev/null 2>&1 &
    xephyr_pid=$!
    DISPLAY=$(lotse_display_of "$displayfd") || fail "Xephyr did not start"
    export DISPLAY
    rm -f "$displayfd"
fi
wine reg export "$taskmgr_key" "$(winepath -w "$taskmgr_saved")" /y >/dev/null 2>&1 ||
    : >"$taskmgr_saved"
# The driver reads the setting when a program starts: what runs now ends first.
wine reg add "$x11_key" /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1 ||
    fail "could not tell Wine to take its monitors from Xinerama"
lotse_end_prefix

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
# Without a virtual desktop and a window manager, a key reaches Wine only over
# one of its windows: Pause is pressed over Task Manager.
press_pause $((second_x + 300)) $((second_y + 300))
helper move "$title" 20 300 || fail "could not move the main window"
sleep 1

click_on "$title" 1034
point_to "Task Manager" 1014
sleep 1.5
expect_frame "Task Manager" 1014 && cp "$shots/screen.png" "$shots/second-monitor-frame.png"
echo "screenshot: $shots/second-monitor-frame.png"
helper post "Task Manager" 16 0 0 >/dev/null
lotse_quit
