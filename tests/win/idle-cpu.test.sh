#!/usr/bin/env bash
# An idle lotse.exe sleeps in its main loop instead of spinning: a loop that
# polls without pause takes a whole core, the sleeping one a few per cent
# (bench/idle-cpu.sh has the figure and its goal). The bound is far from both,
# so a slow or busy machine does not change the verdict.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/win/process-tools.sh"

read -r used all percent < <(lotse_idle_cpu 5)
[ -n "${percent:-}" ] || exit 1
echo "idle cpu: $used ticks of $all in 5 s = $percent % of one core"
awk -v p="$percent" 'BEGIN { exit !(p < 40) }' || fail "idle lotse.exe spins: $percent % of a core"
