#!/usr/bin/env bash
# Where the navigator's frame lands when the recorded program changed, measured
# under Wine: the recorder records a click on "Zwei" in lotse_clicktarget.exe's
# baseline window, and the solution navigator plays it on each variant of that
# window (tests/win/target/ClickTarget.cpp). For every variant one line: FOUND
# (the right control framed), WRONG (another control), PARENT (the window
# framed, with the note that the control was not surely found), LOST (no
# frame), and the rule of the search that decided. The goal beside it: no WRONG
# anywhere, FOUND wherever one control is plainly the recorded one. Needs
# LOTSE_TOP and LOTSE_WIN_BUILD; scripts/bench.sh sets them.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
source "$LOTSE_TOP/tests/e2e/changed-target.sh"
native=$(dirname "$LOTSE_WIN_BUILD")/native
export LOTSE_SERVICE_PORT=$(sed -n 's/^LOTSE_SERVICE_PORT:STRING=//p' "$native/CMakeCache.txt")
anySoftware=14
state="$changed_work/service"
trap '"$LOTSE_TOP/scripts/service-ctl.sh" stop "$state" >/dev/null 2>&1; lotse_wine_cleanup; rm -rf "$changed_work"' EXIT
"$LOTSE_TOP/scripts/service-ctl.sh" start "$native" "$LOTSE_SERVICE_PORT" "$state" ||
    fail "the service did not start"

# The goal per variant: FOUND, or PARENT where no single control is plainly the
# recorded one (gone, or its text and id both changed).
goal() {
    case $1 in
    removed | text-and-id) echo PARENT ;;
    *) echo FOUND ;;
    esac
}

ask_ticket $anySoftware "Klickziel Varianten ($$)"
changed_record "$ticket"
wrong=0
printf '%-14s %-7s %-7s %s\n' variant result goal rule
for variant in baseline container text-and-id removed language window-class moved title \
    reordered inserted relabelled other-id look-alike similar; do
    read -r name result rule < <(changed_play "$ticket" $variant) || exit 1
    printf '%-14s %-7s %-7s %s\n' "$name" "$result" "$(goal "$name")" "$rule"
    [ "$result" != WRONG ] || wrong=$((wrong + 1))
done
echo "WRONG: $wrong (goal 0)"
