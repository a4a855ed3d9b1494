#!/usr/bin/env bash
# Finding controls on the screen in a Wine desktop against the demo service:
# "Software wählen" frames Wine's Notepad under the mouse (pick-notepad.png),
# then the "New Task..." button of Wine's Task Manager while the main window
# shows the software read from its version resource
# (overlay-task-manager-button.png); the click chooses that software
# (pick-chosen.png) and opens "Create New Task", whose Open field is framed on
# the next pick (overlay-open-field.png). Each frame is checked on the screen:
# green inside the control's rectangle, not green beside it.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"

lotse_start_in_desktop
start_in_desktop notepad notepad
lotse_wait_window "Untitled - Notepad" 300 >/dev/null || fail "Notepad did not start"
start_in_desktop task-manager taskmgr
lotse_wait_task_manager || fail "Task Manager did not start"
sleep 1
# Side by side at the top, the main window below them.
helper move "Untitled - Notepad" 40 0 || fail "could not move Notepad"
helper move "Task Manager" 700 0 || fail "could not move Task Manager"

press_pause 640 900
helper move "$title" 20 640 || fail "could not move the main window"
sleep 1

click_on "$title" 1034
[ "$(helper item-text "$title" 1034)" = "Abbrechen" ] || fail "the pick did not start"

# Notepad carries no version resource: framed, but no text to show.
point_to "Untitled - Notepad"
sleep 1.5
expect_frame "Untitled - Notepad" && cp "$shots/screen.png" "$shots/pick-notepad.png"
[ -z "$(helper item-text "$title" 1033)" ] || fail "a software text for Notepad"

point_to "Task Manager" 1014
sleep 1.5
software=$(helper item-text "$title" 1033)
[ "$software" = "Wine Task Manager - v1.0" ] || fail "the pick shows \"$software\""
expect_frame "Task Manager" 1014 && cp "$shots/screen.png" "$shots/overlay-task-manager-button.png"

# The click ends the pick on the framed button and still reaches Task Manager.
xdotool click 1
lotse_wait_visible "Create New Task" 100 || fail "the click did not reach Task Manager"
sleep 1
[ "$(helper item-text "$title" 1034)" = "Software wählen..." ] || fail "the pick did not end"
[ "$(helper item-text "$title" 1033)" = "Wine Task Manager - v1.0" ] || fail "the software was not chosen"
cue=$(helper item-text "$title" 1050)
offered=$(offered_tickets 14 1) # the demo catalogue's Task Manager, German
[ "$offered" -ge 1 ] || fail "the service offers no solved Task Manager ticket"
case "$cue" in *"($offered Tickets verfügbar)") ;; *) fail "question group says \"$cue\", not $offered tickets" ;; esac
import -window root "$shots/pick-chosen.png" && echo "screenshot: $shots/pick-chosen.png"

# The Open field of the dialog that opened, framed by the next pick.
helper move "Create New Task" 700 420 || fail "could not move Create New Task"
sleep 0.5
click_on "$title" 1034
point_to "Create New Task" 12298
sleep 1.5
expect_frame "Create New Task" 12298 && cp "$shots/screen.png" "$shots/overlay-open-field.png"
xdotool key Escape
sleep 1
[ "$(helper item-text "$title" 1034)" = "Software wählen..." ] || fail "Escape did not end the pick"

lotse_quit
