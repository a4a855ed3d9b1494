# Sourced by dpi-144.test.sh and dpi-192.test.sh with LOTSE_DPI (dots per inch)
# and LOTSE_SCREEN set: Lotse at 150 % and 200 % scaling in a Wine desktop. The
# build's Wine prefix is copied, and the copy's LogPixels set, so no other test
# sees the scaling. "Software wählen" frames Task Manager's "New Task..." button
# and the Open field of "Create New Task" (checked on the screen as in
# pick-and-frame), and the dialogs are saved as pictures for the eye:
# dpi<N>-main.png, -frame.png, -create-ticket.png, -settings.png, -info.png.
base_prefix="$(dirname "$LOTSE_WIN_BUILD")/wineprefix"
export LOTSE_WINEPREFIX="$base_prefix-dpi$LOTSE_DPI"
(
    export WINEPREFIX=$LOTSE_WINEPREFIX
    source "$LOTSE_TOP/scripts/wine-prefix.sh"
    lotse_end_prefix
)
rm -rf "$LOTSE_WINEPREFIX"
if [ -f "$base_prefix/system.reg" ]; then
    (
        export WINEPREFIX=$base_prefix
        source "$LOTSE_TOP/scripts/wine-prefix.sh"
        lotse_end_prefix
    )
    cp -a "$base_prefix" "$LOTSE_WINEPREFIX"
fi
source "$LOTSE_TOP/scripts/wine-env.sh"
trap 'lotse_wine_cleanup; rm -rf "$WINEPREFIX"' EXIT
# Set before the journey's Wine server starts, so that every program reads it.
if ! wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$LOTSE_DPI" /f >/dev/null 2>&1; then
    echo "FAIL: could not set LogPixels" >&2
    exit 1
fi
wineserver -w
source "$LOTSE_TOP/tests/e2e/desktop.sh"
shoot_as() { shoot_window "$1" "dpi$LOTSE_DPI-$2.png"; }

lotse_start_in_desktop
start_in_desktop task-manager taskmgr
lotse_wait_task_manager || fail "Task Manager did not start"
sleep 1
helper move "Task Manager" 40 0 || fail "could not move Task Manager"
press_pause 1200 1000
read -r _ _ task_width task_height < <(rect_of "Task Manager")
helper move "$title" 40 $((task_height + 20)) || fail "could not move the main window"
sleep 1
shoot_as "$title" main

click_on "$title" 1034
point_to "Task Manager" 1014
sleep 1.5
expect_frame "Task Manager" 1014 && cp "$shots/screen.png" "$shots/dpi$LOTSE_DPI-frame.png"
xdotool click 1
lotse_wait_visible "Create New Task" 100 || fail "the click did not reach Task Manager"
sleep 1
[ "$(helper item-text "$title" 1033)" = "Wine Task Manager - v1.0" ] || fail "the software was not chosen"
helper move "Create New Task" $((task_width + 60)) 0 || fail "could not move Create New Task"
sleep 0.5
click_on "$title" 1034
point_to "Create New Task" 12298
sleep 1.5
expect_frame "Create New Task" 12298
xdotool key Escape
sleep 1
helper post "Create New Task" 16 0 0 >/dev/null

# The dialogs, each saved and closed again.
click_on "$title" 1014
xdotool type --delay 60 "Wie starte ich ein Programm mit Tastatur und Maus?"
sleep 1
click_on "$title" 1017
lotse_wait_visible "Ticket anlegen" 100 || fail "Ticket anlegen did not open"
sleep 1
shoot_as "Ticket anlegen" create-ticket
helper command "Ticket anlegen" 2 >/dev/null
lotse_wait_gone "Ticket anlegen" || fail "Ticket anlegen did not close"
for dialog in "Einstellungen 40005 settings" "Info 40012 info"; do
    read -r name command picture <<<"$dialog"
    helper command "$title" "$command" >/dev/null || fail "could not open $name"
    lotse_wait_visible "$name" 300 || fail "$name did not open"
    sleep 1
    shoot_as "$name" "$picture"
    helper command "$name" 2 >/dev/null
    lotse_wait_gone "$name" || fail "$name did not close"
done
lotse_quit
