#!/usr/bin/env bash
# A running, idle lotse.exe uses less than 5 % of one core over 5 s: the main
# loop sleeps until input arrives instead of polling without pause.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/win/process-tools.sh"

wine "$lotse_exe" >/dev/null 2>&1 &
lotse_wait_window "$title" 300 >/dev/null || fail "the main window was not created"
lotse_wait_count 1 || fail "expected one lotse.exe"
pid=$(lotse_pids)
sleep 2 # past the start-up work

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
before=$(cpu_ticks "$pid")
sleep 5
after=$(cpu_ticks "$pid")
used=$((after - before))
percent=$(awk -v t="$used" -v hz="$hz" 'BEGIN { printf "%.1f", t * 100 / (5 * hz) }')
echo "idle cpu: $used ticks of $((5 * hz)) in 5 s = $percent % of one core"
awk -v p="$percent" 'BEGIN { exit !(p < 5) }' || fail "idle lotse.exe used $percent % of a core"
