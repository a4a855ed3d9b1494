#!/usr/bin/env bash
# CPU of a navigator waiting 10 s for a program that is not running, the Wine
# server's share included; the goal is under 5 % of one core (the application
# check, a walk over every process, runs at most every 250 ms). Needs
# LOTSE_TOP and LOTSE_WIN_BUILD; scripts/bench.sh sets them.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/win/process-tools.sh"
bench_exe="$LOTSE_WIN_BUILD/lotse_winbench.exe"
out=$(mktemp)
trap 'rm -f "$out"; lotse_wine_cleanup' EXIT

wine "$bench_exe" navigator-wait >"$out" 2>&1 &
runner=$!
for _ in $(seq 1 300); do
    grep -q "navigator waiting" "$out" && break
    sleep 0.1
done
grep -q "navigator waiting" "$out" || fail "the navigator did not start waiting: $(cat "$out")"

# CPU ticks (user + system) of this prefix's bench program and its Wine server.
cpu_ticks() {
    local dir pid first program=0 server=0 t
    for dir in /proc/[0-9]*; do
        pid=${dir#/proc/}
        tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        first=$(tr '\0' '\n' 2>/dev/null <"$dir/cmdline" | head -n1)
        t=$(awk '{print $14 + $15}' "$dir/stat" 2>/dev/null) || continue
        case "$first" in
        "$bench_exe") program=$((program + t)) ;;
        *wineserver*) server=$((server + t)) ;;
        esac
    done
    echo "$program $server"
}
hz=$(getconf CLK_TCK)
sleep 1
read -r program_before server_before < <(cpu_ticks)
sleep 10
read -r program_after server_after < <(cpu_ticks)
wait "$runner"
rc=$?
program=$((program_after - program_before))
server=$((server_after - server_before))
used=$((program + server))
percent=$(awk -v t="$used" -v hz="$hz" 'BEGIN { printf "%.1f", t * 100 / (10 * hz) }')
echo "waiting navigator: $used ticks ($program program, $server Wine server) of $((10 * hz))" \
    "in 10 s = $percent % of one core"
[ "$rc" -eq 0 ] || fail "the waiting navigator failed: $(cat "$out")"
[ "$program_before" -gt 0 ] || fail "the bench program was not found"
if awk -v p="$percent" 'BEGIN { exit !(p < 5) }'; then
    echo "waiting navigator: goal (under 5 % of one core) met"
else
    echo "waiting navigator: goal (under 5 % of one core) missed"
fi
