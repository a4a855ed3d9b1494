#!/usr/bin/env bash
# The tray icon's menu, used as a user would in a Wine desktop: a right click
# on the icon opens it (saved as tray-menu.png), the last entry "Beenden" ends
# the program.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"

lotse_start_in_desktop
sleep 2

# Wine's taskbar keeps the only tray icon at its right end, 16 pixels square
# with a few pixels of margin, on the bottom line of the desktop.
xdotool mousemove 1269 1013
sleep 0.3
xdotool click 3
sleep 1.5
import -window root "$shots/tray-desktop.png" &&
    convert "$shots/tray-desktop.png" -crop 200x120+1080+904 +repage "$shots/tray-menu.png"
[ "$(lotse_count)" -eq 1 ] || fail "lotse.exe ended early"

# "Beenden" is the last entry: Up from the unselected menu selects it.
xdotool key Up
sleep 0.3
xdotool key Return
lotse_wait_count 0 100 || fail "Beenden in the tray menu did not end the program"
echo "tray menu: Beenden ended the program; menu screenshot $shots/tray-menu.png"
