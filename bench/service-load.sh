#!/usr/bin/env bash
# Load figures of lotse-service on loopback: wrk against getticketcnt.php (a
# read) and createticket.php (a write transaction each), for a bounded time
# each, on private service instances with demo data on free ports, in three
# configurations:
#   sqlite        one process on a SQLite file
#   postgres      one process on a PostgreSQL database
#   postgres x2   two processes on one PostgreSQL database, each loaded by its
#                 own wrk with half the connections at the same time (what a
#                 load balancer in front of them would spread); figures summed
# The PostgreSQL server is a private one in the build tree
# (scripts/postgres-cluster.sh), durable as configured by default. Each run
# also shows how the CPU time was shared between the service, PostgreSQL and
# wrk, to tell what saturated.
#   bench/service-load.sh [NATIVE_BUILD]
# Settings: LOTSE_BENCH_DURATION (default 10s), LOTSE_BENCH_CONNECTIONS (8),
# LOTSE_BENCH_POSTGRES_SETTINGS (server settings, e.g. "synchronous_commit=off"),
# LOTSE_TLS_DIR (the development certificate).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
native=$(realpath "${1:-${LOTSE_NATIVE_BUILD:-$top/build/native}}")
exe=$native/server/lotse-service
tls=${LOTSE_TLS_DIR:-/usr/local/share/lotse-dev-ca}
duration=${LOTSE_BENCH_DURATION:-10s}
connections=${LOTSE_BENCH_CONNECTIONS:-8}
read -r -a pgsettings <<<"${LOTSE_BENCH_POSTGRES_SETTINGS:-}"

command -v wrk >/dev/null || { echo "service-load: wrk is not installed" >&2; exit 1; }
[ -x "$exe" ] || { echo "service-load: $exe not built" >&2; exit 1; }
code=$(sed -n 's/^#define LOTSE_ACCESS_CODE u"\(.*\)"$/\1/p' "$native/generated/LotseConfig.h")

state=$(mktemp -d)
pgstate=$native/bench/postgres
pids=()
stop_services() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    pids=()
}
cleanup() {
    stop_services
    "$top/scripts/postgres-cluster.sh" stop "$pgstate" || true
    rm -rf "$state"
}
trap cleanup EXIT

# Starts a service on database $1; its port goes to $port.
start_service() {
    local out=$state/out.${#pids[@]}
    # wrk sends from one address: the abuse limit on createticket.php is lifted.
    "$exe" --db "$1" --port 0 --cert "$tls/localhost.crt" --key "$tls/localhost.key" \
        --createticket-burst 0 >"$out" 2>>"$state/err" &
    pids+=($!)
    port=
    for _ in $(seq 1 100); do
        port=$(sed -n 's/^listening on \([0-9]*\)$/\1/p' "$out")
        [ -n "$port" ] && return 0
        sleep 0.1
    done
    echo "service-load: the service did not start" >&2
    cat "$state/err" >&2
    exit 1
}

# CPU seconds used so far by the finished children of this shell (the wrk runs).
# Not in a subshell: that would count its own children.
child_seconds() {
    times >"$state/times"
    awk 'NR == 2 { split($1, u, /[ms]/); split($2, s, /[ms]/)
                   printf "%.3f\n", u[1] * 60 + u[2] + s[1] * 60 + s[2] }' "$state/times"
}

# CPU seconds used so far by the given processes and, for a PostgreSQL server,
# its children (the backends).
cpu_seconds() {
    local pid stat ticks=0
    for pid in "$@" $(for p in "$@"; do pgrep -P "$p" -x postgres || true; done); do
        stat=$(cut -d' ' -f14,15 "/proc/$pid/stat" 2>/dev/null) || continue
        ticks=$((ticks + ${stat% *} + ${stat#* }))
    done
    awk -v ticks="$ticks" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.3f\n", ticks / hz }'
}

postmaster=()
# Loads the ports given for the duration, each with its share of the
# connections, and prints the summed figures and how many cores the service,
# PostgreSQL and wrk kept busy.
load() {
    local mode=$1 label=$2
    shift 2
    local share=$((connections / $#)) threads=$((3 - $#)) i=0 runs=()
    {
        cpu_seconds "${pids[@]}"
        cpu_seconds "${postmaster[@]}"
        child_seconds
        date +%s.%N
    } >"$state/before"
    for p in "$@"; do
        LOTSE_LOAD_MODE=$mode LOTSE_ACCESS_CODE=$code \
            wrk -t "$threads" -c "$share" -d "$duration" --timeout 10s \
            -s "$top/bench/service-load.lua" "https://localhost:$p/" >"$state/wrk.$i" &
        runs+=($!)
        i=$((i + 1))
    done
    wait "${runs[@]}"
    {
        cpu_seconds "${pids[@]}"
        cpu_seconds "${postmaster[@]}"
        child_seconds
        date +%s.%N
    } >"$state/after"
    cat "$state"/wrk.* | awk -v label="$label" -v mode="$mode" \
        -v before="$(paste -sd' ' "$state/before")" -v after="$(paste -sd' ' "$state/after")" '
        # "MODE: N requests, R requests/s, U unexpected replies, latency p50 A ms, p99 B ms"
        /requests\/s/ {
            requests += $2; rate += $4; bad += $6
            if ($11 + 0 > p50) p50 = $11 + 0
            if ($14 + 0 > p99) p99 = $14 + 0
        }
        END {
            split(before, b, " "); split(after, a, " ")
            seconds = a[4] - b[4]
            printf "%-11s %-6s %6.0f requests/s (%d requests, %d unexpected, p50 %.2f ms, " \
                "p99 %.2f ms); cores busy: service %.2f, postgres %.2f, wrk %.2f\n",
                label, mode, rate, requests, bad, p50, p99, (a[1] - b[1]) / seconds,
                (a[2] - b[2]) / seconds, (a[3] - b[3]) / seconds
        }'
    rm -f "$state"/wrk.*
}

echo "lotse-service load on 127.0.0.1, $connections connections, $duration each, $(nproc) cores"

"$exe" --db "$state/service.db" --seed-demo >/dev/null
start_service "$state/service.db"
load count sqlite "$port"
load create sqlite "$port"
stop_services

"$top/scripts/postgres-cluster.sh" start "$pgstate" "${pgsettings[@]}"
pgdb="postgresql:///postgres?host=$(cat "$pgstate/host")&user=lotse"
postmaster=("$("$top/scripts/postgres-cluster.sh" pid "$pgstate")")
"$exe" --db "$pgdb" --seed-demo >/dev/null
start_service "$pgdb"
first=$port
start_service "$pgdb"
# Reads first: the writes make the ticket table that the count goes through longer.
load count postgres "$first"
load count "postgres x2" "$first" "$port"
load create postgres "$first"
load create "postgres x2" "$first" "$port"
tickets=$(curl -s --data "code=$code" "https://localhost:$port/getticketcnt.php")
echo "PostgreSQL ticket count afterwards: $tickets"
