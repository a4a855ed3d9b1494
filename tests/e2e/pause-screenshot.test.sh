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
press_pause 640 200
sleep 1 # let it paint
shoot_window "$title" main-window.png
cp "$shots/desktop.png" "$shots/pause-desktop.png" && echo "screenshot: $shots/pause-desktop.png"
lotse_quit
