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

helper() { lotse_in_desktop "$LOTSE_WIN_BUILD/lotse_testhelper.exe" "$@" 2>/dev/null | tr -d '\r'; }
rect_of() { # TITLE [ID]: "x y w h" of the window or of its control ID
    if [ $# -eq 2 ]; then helper item-rect "$1" "$2"; else helper rect "$1"; fi
}
point_to() { # TITLE [ID]: moves the mouse to the middle of it
    local x y w h
    read -r x y w h < <(rect_of "$@")
    [ -n "${h:-}" ] || fail "no window or control: $*"
    xdotool mousemove $((x + w / 2)) $((y + h / 2))
}
click_item() {
    point_to "$1" "$2"
    sleep 0.2
    xdotool click 1
    sleep 0.5
}
# The screen colour at X, Y as "r g b".
colour_at() {
    import -window root "$shots/screen.png" || fail "no screenshot"
    convert "$shots/screen.png" -format "%[fx:int(255*p{$1,$2}.r)] %[fx:int(255*p{$1,$2}.g)] %[fx:int(255*p{$1,$2}.b)]" info:
}
green() { # r g b: the overlay's box, blended or not
    [ "$2" -ge 150 ] && [ "$2" -ge $(($1 + 60)) ] && [ "$2" -ge $(($3 + 60)) ]
}
# Checks that the frame covers TITLE's control ID (or the window) and nothing
# left of it, then saves the whole desktop as NAME.
expect_frame() {
    local name=$1 x y w h r g b
    shift
    read -r x y w h < <(rect_of "$@")
    [ -n "${h:-}" ] || fail "no window or control: $*"
    read -r r g b < <(colour_at $((x + w / 2)) $((y + h / 2)))
    green "$r" "$g" "$b" || fail "no frame over $* at $x $y ${w}x$h (colour $r $g $b)"
    read -r r g b < <(colour_at $((x - 12)) $((y + h / 2)))
    green "$r" "$g" "$b" && fail "the frame reaches beyond the left edge of $*"
    cp "$shots/screen.png" "$shots/$name"
    echo "screenshot: $shots/$name (frame over $* at $x $y ${w}x$h)"
}

lotse_start_in_desktop
lotse_in_desktop notepad >/dev/null 2>&1 &
lotse_wait_window "Untitled - Notepad" 300 >/dev/null || fail "Notepad did not start"
lotse_in_desktop taskmgr >/dev/null 2>&1 &
lotse_wait_window "Task Manager" 300 >/dev/null || fail "Task Manager did not start"
sleep 1
# Side by side at the top, the main window below them.
helper move "Untitled - Notepad" 40 0 || fail "could not move Notepad"
helper move "Task Manager" 700 0 || fail "could not move Task Manager"

xdotool mousemove 640 900
xdotool keydown Pause
sleep 0.3
xdotool keyup Pause
lotse_wait_visible "$title" || fail "Pause did not show the main window"
helper move "$title" 20 640 || fail "could not move the main window"
sleep 1

click_item "$title" 1034
[ "$(helper item-text "$title" 1034)" = "Abbrechen" ] || fail "the pick did not start"

# Notepad carries no version resource: framed, but no text to show.
point_to "Untitled - Notepad"
sleep 1.5
expect_frame pick-notepad.png "Untitled - Notepad"
[ -z "$(helper item-text "$title" 1033)" ] || fail "a software text for Notepad"

point_to "Task Manager" 1014
sleep 1.5
software=$(helper item-text "$title" 1033)
[ "$software" = "Wine Task Manager - v1.0" ] || fail "the pick shows \"$software\""
expect_frame overlay-task-manager-button.png "Task Manager" 1014

# The click ends the pick on the framed button and still reaches Task Manager.
xdotool click 1
lotse_wait_visible "Create New Task" 100 || fail "the click did not reach Task Manager"
sleep 1
[ "$(helper item-text "$title" 1034)" = "Software wählen..." ] || fail "the pick did not end"
[ "$(helper item-text "$title" 1033)" = "Wine Task Manager - v1.0" ] || fail "the software was not chosen"
cue=$(helper item-text "$title" 1050)
case "$cue" in *"(1 Tickets verfügbar)") ;; *) fail "question group says \"$cue\"" ;; esac
import -window root "$shots/pick-chosen.png" && echo "screenshot: $shots/pick-chosen.png"

# The Open field of the dialog that opened, framed by the next pick.
helper move "Create New Task" 700 420 || fail "could not move Create New Task"
sleep 0.5
click_item "$title" 1034
point_to "Create New Task" 12298
sleep 1.5
expect_frame overlay-open-field.png "Create New Task" 12298
xdotool key Escape
sleep 1
[ "$(helper item-text "$title" 1034)" = "Software wählen..." ] || fail "Escape did not end the pick"

helper command "$title" 40003 >/dev/null
lotse_wait_count 0 100 || fail "lotse.exe did not end"
