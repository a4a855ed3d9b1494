#!/usr/bin/env bash
# Lotse from the keyboard alone in one Wine desktop against the demo service:
# Pause shows the main window; Alt+S and typing choose the software, Alt+N
# takes the question; Alt+T opens "Ticket anlegen" (Escape closes it, Enter
# sends it, Enter closes the message). After the message the main window still
# takes the keys: Alt+I opens "Tickets lösen", Tab gives its grid the keys, Enter
# opens the first ticket's overview, Escape closes both. "Einstellungen" (from
# the tray menu) ticks its box with Alt+A and closes with Enter and Escape.
# Escape hides the main window, and shown again with Pause it takes the keys
# again. No mouse click anywhere: the pointer only rests in an empty corner.
# Before each key the script waits until its window has the keyboard (never
# pressing a key twice); a window that never gets it fails the journey.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
create="Ticket anlegen"
list="Tickets lösen"
overview="Ticket Übersicht"
settings="Einstellungen"

key() { xdotool key "$@"; sleep 0.6; }
# = or != VALUE: waits up to 5 s until the autostart value compares so.
autostart_becomes() {
    for _ in $(seq 1 10); do
        [ "$(autostart_value)" "$1" "$2" ] && return 0
        sleep 0.5
    done
    return 1
}
lotse_start_in_desktop
sleep 1
press_pause 1270 1010
keys_reach "$title"

# The software: Alt+S into its box, typed, the suggestion taken with the keys.
key alt+s
key Return
xdotool type --delay 150 "VLC"
sleep 1
key Down
key Return
software=$(helper item-text "$title" 1033)
[ "$software" = "VLC media player - v3.0" ] || fail "Alt+S and typing chose \"$software\""

# The question: Alt+N, typed; Alt+T opens "Ticket anlegen", Escape closes it.
question="how do I mirror a video $$ times"
key alt+n
xdotool type --delay 60 "$question"
sleep 1
[ "$(helper item-text "$title" 1014)" = "$question" ] || fail "the question field does not hold the typed question"
key alt+t
lotse_wait_visible "$create" 100 || fail "Alt+T did not open $create"
keys_reach "$create"
[ "$(helper item-text "$create" 1030)" = "$question" ] || fail "$create shows another question"
shoot_window "$create" keyboard-create-ticket.png
key Escape
lotse_wait_gone "$create" || fail "Escape did not close $create"
stored_tickets | grep -qF "\"$question\"" && fail "Escape stored the ticket"

# Again, and Enter sends it (the default button); Enter closes the message.
keys_reach "$title"
key alt+t
lotse_wait_visible "$create" 100 || fail "Alt+T did not open $create again"
keys_reach "$create"
key Return
lotse_wait_visible "Ticket angelegt" 150 || fail "Enter in $create did not send the ticket"
keys_reach "Ticket angelegt"
key Return
lotse_wait_gone "Ticket angelegt" || fail "Enter did not close the message"
stored_tickets | grep -qF "\"$question\"" || fail "the service does not hold the ticket sent with Enter"
echo "ticket sent with the keyboard: $question"

# After the message: Alt+I opens "Tickets lösen"; Tab reaches the list, Enter
# opens the overview of the selected (first) ticket; Escape closes both.
keys_reach "$title"
key alt+i
lotse_wait_visible "$list" 150 || fail "Alt+I did not open $list"
keys_reach "$list"
key Tab
keys_reach "$list" DATAGRID
shoot_window "$list" keyboard-solve-tickets.png
key Return
lotse_wait_visible "$overview" 100 || fail "Enter in the list did not open $overview"
keys_reach "$overview"
key Escape
lotse_wait_gone "$overview" || fail "Escape did not close $overview"
keys_reach "$list" DATAGRID
key Escape
lotse_wait_gone "$list" || fail "Escape did not close $list"

# "Einstellungen": Alt+A ticks and unticks its box, Enter closes, Escape too.
initial=$(autostart_value)
helper command "$title" 40005 >/dev/null || fail "could not open $settings from the tray menu"
lotse_wait_visible "$settings" 100 || fail "$settings did not open"
keys_reach "$settings"
key alt+a
autostart_becomes != "$initial" || fail "Alt+A did not change the autostart box"
key alt+a
autostart_becomes = "$initial" || fail "Alt+A twice did not restore the autostart box"
key Return
lotse_wait_gone "$settings" || fail "Enter did not close $settings"
helper command "$title" 40005 >/dev/null || fail "could not open $settings again"
lotse_wait_visible "$settings" 100 || fail "$settings did not open again"
keys_reach "$settings"
shoot_window "$settings" keyboard-settings.png
key Escape
lotse_wait_gone "$settings" || fail "Escape did not close $settings"

# Escape hides the main window; shown again, it takes the keys again.
keys_reach "$title"
key Escape
lotse_wait_gone "$title" || fail "Escape did not hide the main window"
press_pause 1270 1010
keys_reach "$title"
key alt+n
xdotool type --delay 60 "qxj$$"
sleep 1
[ "$(helper item-text "$title" 1014)" = "qxj$$" ] ||
    fail "the question field holds \"$(helper item-text "$title" 1014)\" after the window was shown again"
key Escape
lotse_wait_gone "$title" || fail "Escape did not hide the main window again"

lotse_quit
