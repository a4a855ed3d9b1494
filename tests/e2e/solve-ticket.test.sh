#!/usr/bin/env bash
# Helping another user in a Wine desktop against the service. A question about
# Wine's Notepad waits for help; "Tickets lösen" in the main window lists the
# open tickets, more than fit (solve-list.png), in a grid that follows the
# dialog's size; a click on the question title
# sorts them (solve-list-sorted.png), a second click reverses the order; a
# double click on the question's row opens its overview with this computer's
# system (ticket-overview.png); "Ticket lösen" closes both and opens the
# recorder for that ticket. A click into Notepad, typed text and Return are
# recorded (solve-recorder.png) and saved; the service then holds the capture
# of the three actions for that ticket, and the main window comes back.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
list="Tickets lösen"
overview="Ticket Übersicht"
notepad="Untitled - Notepad"
wineNotepad=4 # the demo catalogue's Wine Notepad

# "x y width height style" of the list's grid window.
grid_window() { helper class-window "$list" DATAGRID; }

# The screen y of the middle of every row the grid shows, top to bottom: the
# runs of cell fill (protected grey, or the selection's blue) in a pixel column
# just inside the first column, between the grid lines the rows share.
row_middles() {
    local x y w h style
    read -r x y w h style < <(grid_window)
    [ -n "${h:-}" ] || fail "no grid in the list"
    import -window root "$shots/screen.png" || fail "no screenshot"
    convert "$shots/screen.png" -crop "1x${h}+$((x + 4))+${y}" +repage -depth 8 txt:- |
        awk -F'[,:]' -v top="$y" '
            /^[0-9]/ {
                fill = ($0 ~ /#DCDCDC|#0A0AC8/)
                if (fill && start < 0) start = $2
                if (!fill && start >= 0) { print top + int((start + $2 - 1) / 2); start = -1 }
            }
            BEGIN { start = -1 }'
}

# Double-clicks the Nth row shown (0 = the top one).
double_click_row() {
    local x y w h style row
    read -r x y w h style < <(grid_window)
    row=$(row_middles | sed -n "$(($1 + 1))p")
    [ -n "$row" ] || fail "the list shows no row $1"
    xdotool mousemove $((x + 120)) "$row"
    sleep 0.3
    xdotool click --repeat 2 --delay 80 1
}

# Clicks the title of column 0 (the question).
click_question_title() {
    local x y w h style
    read -r x y w h style < <(grid_window)
    xdotool mousemove $((x + 60)) $((y + 10))
    sleep 0.3
    xdotool click 1
    sleep 0.8
}

# The question of the helped user, typed in small letters as users do: a
# reversed sort of the questions puts it near the top.
question="wie schreibe ich etwas in den Editor? ($$)"
keep_desktop
ask_ticket $wineNotepad "$question"
echo "ticket $ticket: $question"

start_in_desktop notepad notepad
lotse_wait_window "$notepad" 300 >/dev/null || fail "Notepad did not start"
helper move "$notepad" 640 40 >/dev/null || fail "could not move $notepad"

lotse_start_in_desktop
helper command "$title" 40007 >/dev/null || fail "could not send a command to $title" # "Öffnen"
lotse_wait_visible "$title" || fail "the main window did not open"
sleep 1
waiting=$(helper item-text "$title" 1038)

click_on "$title" 1019
lotse_wait_visible "$list" 150 || fail "\"Tickets lösen\" did not open the list"
lotse_is_visible "$title" && fail "the main window stayed visible over the list"
sleep 1
# Narrower than the screen, the list shows all of itself; the grid follows.
read -r _ _ before _ _ < <(grid_window)
helper move "$list" 40 60 1180 440 >/dev/null || fail "could not move $list"
sleep 0.5
read -r _ _ after _ style < <(grid_window)
[ "${after:-0}" -lt "${before:-0}" ] && [ "${after:-0}" -gt 1100 ] ||
    fail "the grid did not follow the list's size (${before:-?} -> ${after:-?} pixels wide)"
[ $((0x${style:-0} & 0x00200000)) -ne 0 ] || fail "the list shows every row: no vertical scroll bar"
shoot_window "$list" solve-list.png

click_question_title
shoot_window "$list" solve-list-sorted.png
click_question_title

# The reversed list shows the question among its first rows.
found=
for row in 0 1 2 3 4; do
    double_click_row $row
    lotse_wait_visible "$overview" 100 || fail "a double click on row $row opened no overview"
    sleep 0.5
    if [ "$(helper item-text "$overview" 1030)" = "$question" ]; then
        found=$row
        break
    fi
    helper command "$overview" 2 >/dev/null || fail "could not send a command to $overview"
    lotse_wait_gone "$overview"
    lotse_is_visible "$list" || fail "closing the overview closed the list"
done
[ -n "$found" ] || fail "the question is not among the first rows of the reversed list"
echo "overview of row $found"
# Wine reports Windows 7: the service knows the asking computer's system by it.
[ "$(helper item-text "$overview" 1034)" = "Windows 7" ] || fail "the overview shows another ticket system"
shoot_window "$overview" ticket-overview.png

click_on "$overview" 1019
lotse_wait_visible "$recorder" 150 || fail "\"Ticket lösen\" did not open the recorder"
lotse_is_visible "$overview" && fail "the overview stayed open"
lotse_is_visible "$list" && fail "the list stayed open"
lotse_is_visible "$title" && fail "the main window shows while recording"
helper move "$recorder" 20 560 >/dev/null || fail "could not move $recorder"
sleep 0.5
[ "$(helper item-text "$recorder" 1030)" = "$question" ] || fail "the recorder shows another question"

# The solution: a click into Notepad's text, "hallo" and Return.
start_recording
read -r x y w h _ < <(helper class-window "$notepad" Edit)
[ -n "${h:-}" ] || fail "Notepad has no edit control"
xdotool mousemove $((x + w / 2)) $((y + h / 2))
sleep 0.8
xdotool click 1
keys_reach "$notepad" Edit
xdotool type --delay 120 hallo
sleep 0.3
xdotool key Return
sleep 0.8
shoot_window "$recorder" solve-recorder.png
save_recording
saved=$(helper item-text "Aufnahme gespeichert" 0xFFFF)
[ "$saved" = "Die Aufnahme von 3 Aktionen wurde erfolgreich gespeichert." ] ||
    fail "the recorder announced \"$saved\""
xdotool key Return
lotse_wait_visible "$title" 100 || fail "the main window did not come back after saving"
lotse_is_visible "$recorder" && fail "the recorder stayed open after saving"

[ "$(ticket_field "$ticket" id_state)" = "2" ] || fail "the service does not hold the ticket as solved"
capture=$(ticket_field "$ticket" id_capture)
stored=$(curl -s --max-time 10 -X POST "https://localhost:$LOTSE_SERVICE_PORT/getcapture.php" \
    --data-urlencode "code=$code" --data-urlencode "cid=$capture")
echo "$stored" | grep -q '"trace_cnt":"3"' || fail "the capture holds other actions: $stored"
echo "$stored" | grep -q '"class_name":"Edit"' || fail "the click is not on Notepad's edit: $stored"
echo "$stored" | grep -q '"entered_text":"HALLO"' || fail "the typed text is missing: $stored"
echo "capture $capture stored for ticket $ticket"
sleep 0.5
[ "$(helper item-text "$title" 1038)" = "$((waiting - 1))" ] ||
    fail "the main window counts $(helper item-text "$title" 1038) waiting tickets, not $((waiting - 1))"

lotse_quit
