#!/usr/bin/env bash
# The main window used as a user would in a Wine desktop against the demo
# service: Pause shows it (main-window.png, and pause-desktop.png: the whole
# desktop with the taskbar and tray icon), the software is chosen by typing
# into its box, a typed question opens the suggestions
# (main-window-suggestions.png), "Neues Ticket anlegen" opens its dialog
# (create-ticket.png), which stores the question on the service and empties the
# question field.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"

lotse_start_in_desktop
sleep 1
press_pause 640 100
sleep 1 # let it paint
shoot_window "$title" main-window.png
cp "$shots/desktop.png" "$shots/pause-desktop.png" && echo "screenshot: $shots/pause-desktop.png"

# Wine reports Windows 7, which the demo catalogue holds: it is preselected.
software=$(helper item-text "$title" 1033)
[ "$software" = "Windows 7" ] || fail "software box starts with \"$software\""
# The software: typed into its box (Return selects the whole text first), the
# one suggestion taken from the list.
click_on "$title" 1033
xdotool key Return
sleep 0.3
xdotool type --delay 150 "VLC"
sleep 1
xdotool key Down
sleep 0.5
xdotool key Return
sleep 0.5
software=$(helper item-text "$title" 1033)
[ "$software" = "VLC media player - v3.0" ] || fail "software box shows \"$software\""
# VLC questions exist in English only; the language box followed.
cue=$(helper item-text "$title" 1050)
case "$cue" in *"(2 Tickets verfügbar)") ;; *) fail "question group says \"$cue\"" ;; esac

# Three characters open the suggestions and enable "Neues Ticket anlegen".
click_on "$title" 1014
xdotool type --delay 150 "how do"
sleep 1.5
shoot_window "$title" main-window-suggestions.png 120

# A question nobody asked yet closes the list.
question="how do I rotate a video by $$ degrees"
xdotool type --delay 60 " I rotate a video by $$ degrees"
sleep 1
[ "$(helper item-text "$title" 1014)" = "$question" ] || fail "the question field does not hold the typed question"

click_on "$title" 1017
lotse_wait_visible "Ticket anlegen" 100 || fail "\"Ticket anlegen\" did not open"
lotse_is_visible "$title" && fail "the main window stayed visible over \"Ticket anlegen\""
sleep 1
[ "$(helper item-text "Ticket anlegen" 1030)" = "$question" ] || fail "\"Ticket anlegen\" shows another question"
[ "$(helper item-text "Ticket anlegen" 1033)" = "VLC media player - v3.0" ] || fail "\"Ticket anlegen\" shows another software"
shoot_window "Ticket anlegen" create-ticket.png

click_on "Ticket anlegen" 1029
lotse_wait_visible "Ticket angelegt" 150 || fail "no announcement of the new ticket"
sleep 0.5
xdotool key Return
lotse_wait_visible "$title" 100 || fail "the main window did not come back"
sleep 1
[ -z "$(helper item-text "$title" 1014)" ] || fail "the question field was not emptied"
stored_tickets | grep -qF "\"$question\"" || fail "the service does not hold the new ticket"
echo "ticket stored: $question"
lotse_quit
