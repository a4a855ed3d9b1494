# Sourced by the scripts that play a recorded solution on changed versions of a
# program (after scripts/wine-env.sh and tests/e2e/desktop.sh): the recorder
# records a click on "Zwei" in lotse_clicktarget.exe's "baseline" window, and
# each variant of that window (tests/win/target/ClickTarget.cpp) is then played
# in the solution navigator, which reports what its frame shows.
changed_work=$(mktemp -d)

# The control that is right for the recorded click in each variant: "Zwei"'s
# control id there, "-" where it is gone.
changed_right_id() {
    case $1 in
    removed) echo - ;;
    text-and-id | similar) echo 120 ;;
    other-id) echo 150 ;;
    *) echo 102 ;;
    esac
}

# The title of the variant's window.
changed_title() {
    case $1 in
    language) echo "Click target" ;;
    title) echo "Klickziel - Dokument 2" ;;
    *) echo "Klickziel" ;;
    esac
}

# VARIANT LOG: starts the target in that variant and waits until it is ready.
changed_start_target() {
    : >"$2"
    start_in_desktop "target-$1" "$LOTSE_WIN_BUILD/lotse_clicktarget.exe" "Z:${2//\//\\}" "$1"
    for _ in $(seq 1 300); do
        grep -q '^ready' "$2" && return 0
        sleep 0.1
    done
    fail "the target did not start in variant $1"
}

# VARIANT: closes the target's window and waits until it is gone.
changed_stop_target() {
    local title
    title=$(changed_title "$1")
    helper post "$title" 16 0 0 >/dev/null
    lotse_wait_gone "$title" 100 || fail "the target of variant $1 did not close"
}

# TICKET: records the click on "Zwei" in the baseline with the recorder and saves it.
changed_record() {
    local log="$changed_work/record.log" x y w h
    changed_start_target baseline "$log"
    start_in_desktop recorder "$driver" record "$1"
    lotse_wait_visible "$recorder" 300 || fail "the recorder did not open"
    helper move "$recorder" 20 560 >/dev/null || fail "could not move the recorder"
    start_recording
    read -r x y w h < <(awk '$1 == "button" && $2 == 102 { print $3, $4, $5, $6 }' "$log")
    [ -n "${h:-}" ] || fail "the baseline logged no place for Zwei"
    xdotool mousemove $((x + w / 2)) $((y + h / 2))
    sleep 0.8
    xdotool click 1
    sleep 0.5
    grep -q '^up 102 ' "$log" || fail "the click on Zwei did not reach the target while recording"
    point_to "$recorder" 1023
    save_recording
    xdotool key Return
    lotse_wait_gone "$recorder" 100
    changed_stop_target baseline
}

# TICKET VARIANT: plays the ticket on the variant and prints one line:
# VARIANT RESULT RULE, RESULT one of FOUND (the right control framed), WRONG
# (another control), PARENT (the window framed), LOST (no frame).
changed_play() {
    local log="$changed_work/$2.log" out framed result right
    changed_start_target "$2" "$log"
    out=$(lotse_in_desktop "$driver" play "$1" 2>/dev/null | tr -d '\r')
    changed_stop_target "$2"
    framed=$(sed -n 's/^framed //p' <<<"$out")
    right=$(changed_right_id "$2")
    case $framed in
    "control $right "*) result=FOUND ;;
    control*) result=WRONG ;;
    window*) result=PARENT ;;
    nothing) result=LOST ;;
    *) fail "variant $2: the navigator did not get to the step: $out" ;;
    esac
    if [ "$result" = PARENT ] && ! grep -q '^note Das Element wurde nicht sicher gefunden' <<<"$out"; then
        fail "variant $2: the window is framed without the note saying so: $out"
    fi
    printf '%s %s %s\n' "$2" "$result" "$(sed -n 's/^rule //p' <<<"$out")"
}
