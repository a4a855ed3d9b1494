#!/usr/bin/env bash
# Sharing a solution in a Wine desktop against the service. An asker's ticket
# about Wine's Task Manager; a helper records its solution with the recorder
# (click "New Task...", click the Open field, type notepad, click OK;
# recorder.png) and saves it; the asker's Lotse announces the solved ticket at
# its first check (notification.png); "Lösung zeigen" guides through every
# step with the frame on the right control (guided-step.png) while xdotool does
# them, so Notepad really starts; the feedback answer (feedback.png) reaches
# the service.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
navigator="Solution navigator"
newTask="Create New Task"
feedback="War die Lösung hilfreich?"
feedbackPattern='War die Lösung hilfreich\?' # xdotool takes window titles as patterns
taskManagerSoftware=14 # the demo catalogue's Wine Task Manager

expect_instruction() { wait_text "$navigator" 1020 "$1"; }
shoot() { import -window root "$shots/$1" || fail "no screenshot $1"; echo "screenshot: $shots/$1"; }
# The Run dialog offers the last command it ran; every run starts from an empty field.
forget_last_command() {
    wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU' /f >/dev/null 2>&1
}
# Clicks OK in "Create New Task". Under a loaded Xvfb a click now and then
# reaches neither the button nor the hooks; a user would click again, and so
# does the journey, saying so, while the dialog is still there.
click_ok() {
    click_on "$newTask" 1
    lotse_wait_gone "$newTask" 100 && return
    echo "repeating: click on OK in $newTask because the dialog is still open 10 s after the click" >&2
    click_on "$newTask" 1
}
# Closes every Notepad window; when one did not close on its WM_CLOSE, the
# message is sent again, saying so.
notepads() { xdotool search --onlyvisible --name '^Untitled - Notepad$' 2>/dev/null | wc -l; }
close_notepads() {
    local open before asked=0
    open=$(notepads)
    while [ "$open" -gt 0 ]; do
        [ "$asked" -lt 20 ] || fail "Notepad does not close"
        helper post "Untitled - Notepad" 16 0 0 >/dev/null
        asked=$((asked + 1))
        sleep 0.5
        before=$open
        open=$(notepads)
        [ "$open" -eq 0 ] || [ "$open" -lt "$before" ] ||
            echo "repeating: WM_CLOSE to Untitled - Notepad because it is still open 0.5 s after the last one" >&2
    done
}

# Starts Task Manager unless it runs. Should it have gone (it went with every
# crash of Wine's server, see scripts/wine-prefix.sh), the journey starts it
# again where it was, as its user would, and says so.
task_manager_started=
start_task_manager() {
    lotse_is_visible "Task Manager" && return
    [ -z "$task_manager_started" ] ||
        echo "repeating: starting Task Manager because it is no longer on the screen" >&2
    task_manager_started=1
    start_in_desktop task-manager taskmgr
    lotse_wait_task_manager || fail "Task Manager did not start"
    helper move "Task Manager" 700 0 >/dev/null || fail "could not move Task Manager"
}

# What a screen reader hears: every live region change until the feedback
# question, with the accessible name of its object (live-regions.log).
live_log="$shots/live-regions.log"
keep_desktop
lotse_in_desktop "$LOTSE_WIN_BUILD/lotse_testhelper.exe" live-events 600 "War die Lösung hilfreich?" \
    >"$live_log" 2>/dev/null &
for _ in $(seq 1 300); do grep -q '^listening' "$live_log" && break; sleep 0.1; done
grep -q '^listening' "$live_log" || fail "the live region listener did not start"

# The asker's question.
# Task Manager first: a desktop whose last window closes goes away, and with it
# the programs started into it meanwhile.
start_task_manager

question="Wie starte ich den Editor aus dem Task-Manager? ($$)"
ask_ticket $taskManagerSoftware "$question"
echo "ticket $ticket: $question"

# The helper records.
forget_last_command
start_in_desktop recorder "$driver" record "$ticket"
lotse_wait_visible "$recorder" 300 || fail "the recorder did not open"
helper move "$recorder" 20 560 >/dev/null || fail "could not move $recorder"
sleep 0.5
start_recording
start_task_manager
click_on "Task Manager" 1014
lotse_wait_visible "$newTask" 100 || fail "New Task... did not open its dialog"
sleep 0.5
helper move "$newTask" 700 420 >/dev/null || fail "could not move $newTask"
sleep 0.5
click_on "$newTask" 12298
keys_reach "$newTask" Edit
xdotool type --delay 120 notepad
wait_text "$newTask" 12298 notepad
click_ok
# Off to the recorder's own list, which records nothing, while Notepad starts.
point_to "$recorder" 1023
lotse_wait_window "Untitled - Notepad" 200 >/dev/null || fail "the recorded steps did not start Notepad"
sleep 0.5
shoot recorder.png
save_recording
xdotool key Return
lotse_wait_gone "$recorder" 100 || fail "the recorder stayed open after saving"
echo "capture $(ticket_field "$ticket" id_capture) stored for ticket $ticket"
close_notepads

# The asker's Lotse announces it at its first check.
forget_last_command
lotse_start_in_desktop
lotse_wait_visible "Deine Suche wurde gelöst!" 300 || fail "no notification of the solved ticket"
sleep 0.5
[ "$(helper item-text "Deine Suche wurde gelöst!" 1030)" = "$question" ] || fail "the notification shows another question"
[ "$(helper item-text "Deine Suche wurde gelöst!" 1033)" = "Wine Task Manager - v1.0" ] ||
    fail "the notification shows another software"
shoot notification.png
start_task_manager
click_on "Deine Suche wurde gelöst!" 1010
lotse_wait_visible "$navigator" 100 || fail "the navigator did not open"
helper move "$navigator" 20 780 >/dev/null || fail "could not move $navigator"

expect_instruction 'Linker Mausklick auf "New Task..."'
sleep 0.5
expect_frame "Task Manager" 1014
cp "$shots/screen.png" "$shots/guided-step.png" && echo "screenshot: $shots/guided-step.png"
click_on "Task Manager" 1014
lotse_wait_visible "$newTask" 100 || fail "New Task... did not open its dialog"
sleep 0.5
helper move "$newTask" 700 420 >/dev/null || fail "could not move $newTask"
expect_instruction 'Linker Mausklick auf "Edit"'
sleep 0.8
expect_frame "$newTask" 12298
click_on "$newTask" 12298
expect_instruction 'Texteingabe "NOTEPAD"'
keys_reach "$newTask" Edit
xdotool type --delay 120 notepad
wait_text "$newTask" 12298 notepad
expect_instruction 'Linker Mausklick auf "OK"'
sleep 0.8
expect_frame "$newTask" 1
click_ok
lotse_wait_window "Untitled - Notepad" 200 >/dev/null || fail "Notepad did not start at the end"
lotse_wait_visible "$feedbackPattern" 100 || fail "no feedback question after the last step"
# Each step was read out in its order, as the name of the navigator's instruction.
sleep 0.5
tr -d '\r' <"$live_log" >"$live_log.txt" && mv "$live_log.txt" "$live_log"
last=0
for step in 'Linker Mausklick auf "New Task..."' 'Linker Mausklick auf "Edit"' 'Texteingabe "NOTEPAD"' \
    'Linker Mausklick auf "OK"'; do
    at=$(grep -nxF "live $navigator: $step" "$live_log" | head -n1 | cut -d: -f1)
    [ -n "$at" ] && [ "$at" -gt "$last" ] || fail "the step '$step' was not read out in its turn"
    last=$at
done
echo "read out: $(grep -c "^live $navigator: " "$live_log") navigator texts, all four steps in order"
grep '^live ' "$live_log" | grep -v "^live $navigator: " | sort | uniq -c | sed 's/^/also read out: /'
# Under Wine a window mapped later covers even top-most ones: Notepad, which
# the last step started, and the main window, which came back, go before the
# answer.
close_notepads
helper command "$title" 2 >/dev/null || fail "could not send a command to $title"
sleep 0.5
shoot feedback.png
click_on "$feedback" 1046
lotse_wait_visible "Feedback erhalten" 100 || fail "the feedback was not acknowledged"
xdotool key Return
[ "$(ticket_field "$ticket" id_state)" = "3" ] || fail "the answer did not confirm the ticket"
echo "feedback YES stored: ticket $ticket confirmed"

lotse_quit
