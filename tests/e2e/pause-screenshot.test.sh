#!/usr/bin/env bash
# Lotse starts hidden behind its tray icon in a Wine desktop; pressing Pause
# shows the main window. Saves main-window.png (the window) and
# pause-desktop.png (the whole desktop with the taskbar and tray icon).
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"

lotse_start_in_desktop
sleep 2
lotse_is_visible "$title" && fail "the main window is visible before Pause"

# Keys reach the Wine desktop under the pointer.
xdotool mousemove 640 200
sleep 0.3
xdotool keydown Pause
sleep 0.3
xdotool keyup Pause
lotse_wait_visible "$title" || fail "Pause did not show the main window"
sleep 1 # let it paint

# The desktop fills the screen from its top-left corner, so desktop
# coordinates are screen coordinates.
read -r x y w h < <(lotse_in_desktop "$LOTSE_WIN_BUILD/lotse_testhelper.exe" rect "$title")
[ -n "${h:-}" ] || fail "could not read the main window's position"
import -window root "$shots/pause-desktop.png" || fail "no screenshot"
convert "$shots/pause-desktop.png" -crop "${w}x${h}+${x}+${y}" +repage "$shots/main-window.png" ||
    fail "could not crop the main window"
echo "screenshot: $shots/main-window.png (${w}x${h} at $x,$y)"

lotse_helper_in_desktop() { lotse_in_desktop "$LOTSE_WIN_BUILD/lotse_testhelper.exe" "$@"; }
lotse_helper_in_desktop command "$title" 40003 >/dev/null 2>&1
lotse_wait_count 0 100 || fail "lotse.exe did not end"
