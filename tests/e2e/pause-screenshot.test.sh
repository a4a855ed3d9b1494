#!/usr/bin/env bash
# Lotse starts hidden behind its tray icon in a Wine desktop; pressing Pause
# shows the main window. Saves main-window.png (the window) and
# pause-desktop.png (the whole desktop with the taskbar and tray icon).
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/win/process-tools.sh"
title="Lotse - 1.0.2"
shots=${LOTSE_SCREENSHOTS:-$(dirname "$LOTSE_WIN_BUILD")/screenshots}
mkdir -p "$shots"

wine explorer /desktop=lotse,1280x1024 "$lotse_exe" >/dev/null 2>&1 &
lotse_wait_count 1 300 || fail "lotse.exe did not start"
lotse_wait_window "$title" 300 >/dev/null || fail "the main window was not created"
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
read -r x y w h < <(wine explorer /desktop=lotse "$LOTSE_WIN_BUILD/lotse_testhelper.exe" rect "$title")
[ -n "${h:-}" ] || fail "could not read the main window's position"
import -window root "$shots/pause-desktop.png" || fail "no screenshot"
convert "$shots/pause-desktop.png" -crop "${w}x${h}+${x}+${y}" +repage "$shots/main-window.png" ||
    fail "could not crop the main window"
echo "screenshot: $shots/main-window.png (${w}x${h} at $x,$y)"

lotse_helper_in_desktop() { wine explorer /desktop=lotse "$LOTSE_WIN_BUILD/lotse_testhelper.exe" "$@"; }
lotse_helper_in_desktop command "$title" 40003 >/dev/null 2>&1
lotse_wait_count 0 100 || fail "lotse.exe did not end"
