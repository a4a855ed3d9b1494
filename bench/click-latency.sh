#!/usr/bin/env bash
# How late the user's clicks reach a program while Lotse's input hooks are
# installed, and how soon the next frame follows, measured under Wine from
# outside Lotse: a target program (lotse_clicktarget.exe) logs when its buttons
# receive each mouse and Return message, a watcher (lotse_framewatcher.exe)
# logs when the overlay window appears, and xdotool presses and releases like a
# hand (80 ms down). Every figure counts from the moment xdotool was called to
# release. Each run, in one Wine desktop against a demo service:
#   alone       the target without Lotse running: the ceiling of every release
#   recording   the recorder records clicks on the target
#   playback    lotse.exe plays a ticket's solution on the target (click Eins,
#               Neu..., OK in the window that opens, Zwei, Drei, Return, Eins):
#               "Lösung zeigen" -> first frame, click step -> next frame (the
#               next element there already, or in the window the click opens),
#               Return step -> next frame (below 0 when the frame came while
#               the key was still down: the step is done at the press), and
#               each click's and Return's release
#   pick        "Software wählen", a click on a framed button of the target
# Prints min / median / max per figure over all runs, the ratio of the median
# to the ceiling in the same run for releases, and the goals (release within
# 50 ms, next frame within 100 ms). LOTSE_CLICK_RUNS sets the number of runs
# (default 5), LOTSE_CLICK_LOTSE another lotse.exe to measure (an older build,
# for a comparison), LOTSE_CLICK_SAMPLES a file that keeps every sample. Needs
# LOTSE_TOP and LOTSE_WIN_BUILD; scripts/bench.sh sets them.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
lotse_exe=${LOTSE_CLICK_LOTSE:-$lotse_exe}
runs=${LOTSE_CLICK_RUNS:-5}
hold=0.08 # seconds a hand holds the button
native=$(dirname "$LOTSE_WIN_BUILD")/native
export LOTSE_SERVICE_PORT=$(sed -n 's/^LOTSE_SERVICE_PORT:STRING=//p' "$native/CMakeCache.txt")
target="Klickziel"
notification="Deine Suche wurde gelöst!"
feedback="War die Lösung hilfreich?"
feedbackPattern='War die Lösung hilfreich\?' # xdotool takes window titles as patterns
anySoftware=14 # a demo catalogue entry; the capture itself names the target

work=$(mktemp -d)
state="$work/service"
trap '[ -z "${LOTSE_CLICK_SAMPLES:-}" ] || cp "$samples" "$LOTSE_CLICK_SAMPLES"; "$LOTSE_TOP/scripts/service-ctl.sh" stop "$state" >/dev/null 2>&1; lotse_wine_cleanup; rm -rf "$work"' EXIT
"$LOTSE_TOP/scripts/service-ctl.sh" start "$native" "$LOTSE_SERVICE_PORT" "$state" ||
    fail "the service did not start"
target_log="$work/target.log"
frame_log="$work/frames.log"
samples="$work/samples" # lines: FIGURE RUN MILLISECONDS
: >"$target_log"
: >"$frame_log"
: >"$samples"

# Windows path of a file in $work (drive Z: is the root).
windows_path() { echo "Z:${1//\//\\}"; }

lines() { wc -l <"$1"; }
now_us() { echo "${EPOCHREALTIME/./}"; }

# FILE FROM PATTERN TRIES: the time (last field) of the first line after line
# FROM that matches the awk pattern; waits up to TRIES tenths of a second.
logged_after() {
    local file=$1 from=$2 pattern=$3 tries=${4:-60} t
    for _ in $(seq 1 "$tries"); do
        t=$(tail -n +"$((from + 1))" "$file" | awk "$pattern { print \$NF; exit }")
        [ -n "$t" ] && { echo "$t"; return 0; }
        sleep 0.1
    done
    return 1
}

# FIGURE FROM_US TO_US: notes one sample in milliseconds.
note() { awk -v f="$1" -v r="$run" -v a="$2" -v b="$3" 'BEGIN { printf "%s %d %.1f\n", f, r, (b - a) / 1000 }' >>"$samples"; }

# The middle of the target's button ID on the screen.
button_x() { awk -v id="$1" '$1 == "button" && $2 == id { x = $3 + int($5 / 2) } END { print x }' "$target_log"; }
button_y() { awk -v id="$1" '$1 == "button" && $2 == id { y = $4 + int($6 / 2) } END { print y }' "$target_log"; }

# X Y [WAIT]: points there, waits as a hand would, presses for 80 ms and
# releases; `released` is the time at which xdotool was called to release.
press_at() {
    xdotool mousemove "$1" "$2"
    sleep "${3:-0.8}"
    xdotool mousedown 1
    sleep "$hold"
    released=$(now_us)
    xdotool mouseup 1
}

# FIGURE ID [WAIT]: clicks the target's button ID and notes how late its
# release came.
click_button() {
    local from up
    from=$(lines "$target_log")
    press_at "$(button_x "$2")" "$(button_y "$2")" "${3:-0.8}"
    up=$(logged_after "$target_log" "$from" "\$1 == \"up\" && \$2 == $2") ||
        fail "$1: the target received no release of button $2"
    note "$1" "$released" "$up"
}

# FILE: waits until the program writing it says it is ready.
wait_ready() {
    for _ in $(seq 1 300); do
        grep -q '^ready' "$1" && return 0
        sleep 0.1
    done
    return 1
}

# FIGURE FROM_LINE SINCE_US: notes when the next frame appeared.
next_frame() {
    local shown
    shown=$(logged_after "$frame_log" "$2" '$1 == "frame"' 100) || fail "$1: no frame appeared"
    note "$1" "$3" "$shown"
}

lotse_in_desktop "$LOTSE_WIN_BUILD/lotse_clicktarget.exe" "$(windows_path "$target_log")" >/dev/null 2>&1 &
wait_ready "$target_log" || fail "the target did not start"
lotse_in_desktop "$LOTSE_WIN_BUILD/lotse_framewatcher.exe" "$(windows_path "$frame_log")" >/dev/null 2>&1 &
wait_ready "$frame_log" || fail "the watcher did not start"

for run in $(seq 1 "$runs"); do
    echo "run $run of $runs"
    ask_ticket $anySoftware "Klickziel $run ($$)"

    # The ceiling: nobody hooks the input. "Neu..." opens the window whose OK
    # the solution clicks; it is traced before OK closes it again.
    for id in 101 102 103 104; do click_button alone $id; done
    lotse_wait_visible "$target Neu" 100 || fail "Neu... opened no window"
    store_solution "$ticket" "window=$target" 101 104 "window=$target Neu" 1 \
        "window=$target" 102 103 return 101
    click_button alone 1

    # The recorder records three clicks, then closes unsaved.
    lotse_in_desktop "$driver" record "$ticket" >/dev/null 2>&1 &
    lotse_wait_visible "$recorder" 300 || fail "the recorder did not open"
    helper move "$recorder" 20 560 >/dev/null || fail "could not move the recorder"
    start_recording
    for id in 101 102 103; do click_button recording $id; done
    helper command "$recorder" 2 >/dev/null
    lotse_wait_gone "$recorder" 100 || fail "the recorder did not close"

    # The solution, announced by lotse.exe at its first check.
    lotse_start_in_desktop
    lotse_wait_visible "$notification" 300 || fail "no notification"
    read -r x y w h < <(rect_of "$notification" 1010)
    from=$(lines "$frame_log")
    press_at $((x + w / 2)) $((y + h / 2)) 0.5
    next_frame first-frame "$from" "$released"
    for id in 101 104 1 102; do
        from=$(lines "$frame_log")
        click_button playback-release $id 0.3
        # The click on Neu... opens the window that holds the next element.
        if [ $id = 104 ]; then
            next_frame opened-next-frame "$from" "$released"
        else
            next_frame click-next-frame "$from" "$released"
        fi
    done
    click_button playback-release 103 0.3
    sleep 0.3
    from=$(lines "$frame_log")
    keys_from=$(lines "$target_log")
    xdotool keydown Return
    sleep "$hold"
    released=$(now_us)
    xdotool keyup Return
    up=$(logged_after "$target_log" "$keys_from" '$1 == "keyup"') || fail "the target received no Return"
    note return-release "$released" "$up"
    next_frame return-next-frame "$from" "$released"
    click_button playback-release 101 0.3
    lotse_wait_visible "$feedbackPattern" 100 || fail "no feedback question after the last step"
    helper command "$feedback" 2 >/dev/null

    # Two picks, each ended by a click on the framed button.
    for id in 102 103; do
        lotse_wait_visible "$title" 100 || fail "the main window did not come back"
        click_on "$title" 1034
        [ "$(helper item-text "$title" 1034)" = "Abbrechen" ] || fail "the pick did not start"
        click_button pick $id 1.5
    done
    lotse_quit
done

# min / median / max per figure; releases beside the ceiling of the same runs.
report() {
    awk -v figure="$1" '$1 == figure { print $3 }' "$samples" | sort -g |
        awk '{ v[NR] = $1 } END {
            if (NR == 0) { print "- - - 0"; exit }
            m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%.1f %.1f %.1f %d\n", v[1], m, v[NR], NR }'
}
read -r cmin cmed cmax cn < <(report alone)
[ "$cn" -gt 0 ] || fail "no samples"
printf 'click latency over %d runs (ms: min / median / max, samples)\n' "$runs"
printf '  %-38s %7s %7s %7s %4s\n' "" min median max n
printf '  %-38s %7.1f %7.1f %7.1f %4d   (ceiling)\n' "release, no Lotse running" "$cmin" "$cmed" "$cmax" "$cn"
for figure in recording:"release while recording" playback-release:"release while guiding" \
    return-release:"Return released while guiding" pick:"release while picking"; do
    read -r min med max n < <(report "${figure%%:*}")
    printf '  %-38s %7s %7s %7s %4s   %s x ceiling; goal 50 ms\n' "${figure#*:}" "$min" "$med" "$max" "$n" \
        "$(awk -v a="$med" -v b="$cmed" 'BEGIN { printf "%.1f", (b > 0 ? a / b : 0) }')"
done
for figure in first-frame:'"Lösung zeigen" -> first frame' click-next-frame:"click step -> next frame" \
    opened-next-frame:"click step -> frame in window it opens" return-next-frame:"Return step -> next frame"; do
    read -r min med max n < <(report "${figure%%:*}")
    printf '  %-38s %7s %7s %7s %4s   %s x goal of 100 ms\n' "${figure#*:}" "$min" "$med" "$max" "$n" \
        "$(awk -v a="$med" 'BEGIN { printf "%.2f", a / 100 }')"
done
