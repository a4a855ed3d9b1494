#!/usr/bin/env bash
# CPU of a running, idle lotse.exe over 10 s; the goal is under 5 % of one core
# (the main loop sleeps until input arrives, waking at least every 50 ms for the
# Pause and Escape keys). Needs LOTSE_TOP and LOTSE_WIN_BUILD; scripts/bench.sh
# sets them.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/win/process-tools.sh"
# Lotse starts only past its version check: a service with demo data.
native=$(dirname "$LOTSE_WIN_BUILD")/native
port=$(sed -n 's/^LOTSE_SERVICE_PORT:STRING=//p' "$native/CMakeCache.txt")
state=$(mktemp -d)
trap '"$LOTSE_TOP/scripts/service-ctl.sh" stop "$state"; rm -rf "$state"; lotse_wine_cleanup' EXIT
"$LOTSE_TOP/scripts/service-ctl.sh" start "$native" "$port" "$state" || fail "the service did not start"

read -r used all percent < <(lotse_idle_cpu 10)
echo "idle lotse.exe: $used ticks of $all in 10 s = $percent % of one core"
if awk -v p="$percent" 'BEGIN { exit !(p < 5) }'; then
    echo "idle lotse.exe: goal (under 5 % of one core) met"
else
    echo "idle lotse.exe: goal (under 5 % of one core) missed"
fi
