#!/usr/bin/env bash
# Load figures of lotse-service on loopback at the size of a real community,
# each beside its ceiling measured right before it on the same machine:
#   hello    a trivial handler on the same cpp-httplib SSLServer with the same
#            settings (bench/ServiceLoadHelper.cpp): the most any endpoint can
#            answer; "hello big" sends a fixed body as long as gettickets.php's
#   fsync    one SQLite transaction per row, one after the other (write-ahead
#            log, synchronous=FULL, the same disk): what durable writes cost
#            without grouping
# The service's databases are seeded with the demo data and then filled to
# LOTSE_BENCH_TICKETS tickets (100 000) before measuring, and to
# LOTSE_BENCH_COUNT_TICKETS (1 000 000) for a second count. wrk runs
# getticketcnt.php, gettickets.php (plain, and as "zipped" gzip-compressed as
# Lotse asks for it) and createticket.php (durable: answered after the commit
# is on disk) on
#   sqlite        one process on a SQLite file
#   postgres      one process on a PostgreSQL database
#   postgres x2   two processes on one PostgreSQL database, each loaded by its
#                 own wrk with half the connections at the same time (what a
#                 load balancer in front of them would spread); figures summed
# Each line gives requests per second, the share of its ceiling, p50 and p99
# latency, and how busy the service, PostgreSQL and wrk kept the cores (what
# saturated); at the end the services' resident memory. Creates are also put
# beside the fsync ceiling, with the requests that shared a commit (from the
# services' metrics) and, for SQLite as "sqlite lone", with one connection: the
# latency of a write nobody shares a commit with. The PostgreSQL server
# is a private one in the build tree (scripts/postgres-cluster.sh), durable as
# configured by default, with the settings of LOTSE_BENCH_POSTGRES_SETTINGS.
#   bench/service-load.sh [NATIVE_BUILD]
# Creates run once more with LOTSE_BENCH_WRITE_CONNECTIONS (64) connections,
# beside the hello ceiling at as many: many clients writing at once, as a
# community sends them, which a commit group needs to fill.
# Settings: LOTSE_BENCH_DURATION (default 10s), LOTSE_BENCH_CONNECTIONS (8),
# LOTSE_BENCH_TICKETS, LOTSE_BENCH_COUNT_TICKETS, LOTSE_BENCH_POSTGRES_SETTINGS
# (server settings, default "commit_delay=100 commit_siblings=2": PostgreSQL's
# own grouping of commits, server/README.md), LOTSE_TLS_DIR (the development
# certificate).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
native=$(realpath "${1:-${LOTSE_NATIVE_BUILD:-$top/build/native}}")
exe=$native/server/lotse-service
tls=${LOTSE_TLS_DIR:-/usr/local/share/lotse-dev-ca}
duration=${LOTSE_BENCH_DURATION:-10s}
connections=${LOTSE_BENCH_CONNECTIONS:-8}
write_connections=${LOTSE_BENCH_WRITE_CONNECTIONS:-64}
tickets=${LOTSE_BENCH_TICKETS:-100000}
count_tickets=${LOTSE_BENCH_COUNT_TICKETS:-1000000}
read -r -a pgsettings <<<"${LOTSE_BENCH_POSTGRES_SETTINGS-commit_delay=100 commit_siblings=2}"
helper=$native/bench/lotse-service-load-helper

command -v wrk >/dev/null || { echo "service-load: wrk is not installed" >&2; exit 1; }
[ -x "$exe" ] || { echo "service-load: $exe not built" >&2; exit 1; }
[ -x "$helper" ] || { echo "service-load: $helper not built" >&2; exit 1; }
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
hello_pid=
cleanup() {
    stop_services
    [ -z "$hello_pid" ] || { kill "$hello_pid" 2>/dev/null; wait "$hello_pid" 2>/dev/null; } || true
    "$top/scripts/postgres-cluster.sh" stop "$pgstate" || true
    rm -rf "$state"
}
trap cleanup EXIT

# Starts a service on database $1; its port goes to $port, the port of its
# metrics to $health.
start_service() {
    local out=$state/out.${#pids[@]}
    # wrk sends from one address: the abuse limit on createticket.php is lifted.
    "$exe" --db "$1" --port 0 --cert "$tls/localhost.crt" --key "$tls/localhost.key" \
        --createticket-burst 0 --health-port 0 >"$out" 2>>"$state/err" &
    pids+=($!)
    port=
    for _ in $(seq 1 100); do
        port=$(sed -n 's/^listening on \([0-9]*\)$/\1/p' "$out")
        health=$(sed -n 's/^health on \([0-9]*\)$/\1/p' "$out")
        [ -n "$port" ] && [ -n "$health" ] && return 0
        sleep 0.1
    done
    echo "service-load: $1 did not start" >&2
    cat "$state/err" >&2
    exit 1
}

# Resident memory of the given processes in MB.
rss() {
    local pid out=""
    for pid in "$@"; do
        out+=" $(awk '/^VmRSS/ { printf "%.0f MB", $2 / 1024 }' "/proc/$pid/status")"
    done
    echo "${out# }"
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

# Write requests and commits so far of the services whose metrics ports are
# given: "REQUESTS COMMITS".
commits() {
    local p
    for p in "$@"; do curl -s "http://127.0.0.1:$p/metrics"; done |
        awk '/^lotse_group_commit_requests_sum / { r += $2 }
             /^lotse_group_commit_requests_count / { c += $2 }
             END { print r + 0, c + 0 }'
}
# The write requests per commit since BEFORE ("REQUESTS COMMITS") beside the
# connections that could send them.
#   per_commit BEFORE HEALTH_PORT...
per_commit() {
    local before=$1
    shift
    commits "$@" | awk -v before="$before" -v connections="$connections" '{
        split(before, b, " ")
        printf "              create  = %.1f requests per commit (of %d connections)\n",
            ($1 - b[1]) / ($2 - b[2] > 0 ? $2 - b[2] : 1), connections }'
}

postmaster=()
# Loads the ports given for the duration, each with its share of the
# connections, and prints the summed figures, their share of CEILING (requests
# per second; none: "-"), and how many cores the service, PostgreSQL and wrk
# kept busy. The summed rate goes to $rate.
#   load MODE LABEL CEILING PORT...
load() {
    local mode=$1 label=$2 ceiling=$3
    shift 3
    local share=$((${lone:-$connections} / $#)) threads=$((3 - $#)) i=0 runs=()
    [ "$threads" -le "$share" ] || threads=$share
    {
        cpu_seconds "${pids[@]}" $hello_pid
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
        cpu_seconds "${pids[@]}" $hello_pid
        cpu_seconds "${postmaster[@]}"
        child_seconds
        date +%s.%N
    } >"$state/after"
    cat "$state"/wrk.* | awk -v label="$label" -v mode="$mode" -v ceiling="$ceiling" \
        -v before="$(paste -sd' ' "$state/before")" -v after="$(paste -sd' ' "$state/after")" \
        -v ratefile="$state/rate" '
        # "MODE: N requests, R requests/s, U unexpected replies, latency p50 A ms, p99 B ms, M MB/s"
        /requests\/s/ {
            requests += $2; rate += $4; bad += $6; mb += $16
            if ($11 + 0 > p50) p50 = $11 + 0
            if ($14 + 0 > p99) p99 = $14 + 0
        }
        END {
            split(before, b, " "); split(after, a, " ")
            seconds = a[4] - b[4]
            share = ceiling == "-" ? "" : sprintf(" = %.2f of %s", rate / ceiling, ceiling)
            volume = mb >= 10 ? sprintf(", %.0f MB/s", mb) : ""
            printf "%-13s %-7s %6.0f/s%s%s (%d requests, %d unexpected, p50 %.2f ms, " \
                "p99 %.2f ms); cores busy: service %.2f, postgres %.2f, wrk %.2f\n",
                label, mode, rate, share, volume, requests, bad, p50, p99,
                (a[1] - b[1]) / seconds, (a[2] - b[2]) / seconds, (a[3] - b[3]) / seconds
            printf "%.0f\n", rate > ratefile
        }'
    rate=$(cat "$state/rate")
    rm -f "$state"/wrk.*
}

echo "lotse-service load on 127.0.0.1, $connections connections, $duration each, $(nproc) cores"

fsync=$("$helper" fsync "$state/fsync.db" "${duration%s}" | sed -n 's/.*: \([0-9]*\)\/s$/\1/p')
echo "fsync ceiling: $fsync durable SQLite transactions/s, one after the other"

db=$state/service.db
"$exe" --db "$db" --seed-demo >/dev/null
"$helper" seed "$db" "$tickets"
start_service "$db"
service=$port
service_health=$health
bytes=$(curl -s --data "code=$code" "https://localhost:$service/gettickets.php" | wc -c)
zipped=$(curl -s --compressed -o /dev/null -w '%{size_download}' --data "code=$code" \
    "https://localhost:$service/gettickets.php")
echo "gettickets.php at $tickets tickets: $bytes bytes, $zipped gzip-compressed"
"$helper" hello "$tls/localhost.crt" "$tls/localhost.key" "$bytes" >"$state/hello.out" \
    2>>"$state/err" &
hello_pid=$!
for _ in $(seq 1 100); do
    hello_port=$(sed -n 's/^listening on \([0-9]*\)$/\1/p' "$state/hello.out")
    [ -n "$hello_port" ] && break
    sleep 0.1
done
# LOTSE_BENCH_KEPT_CLIENTS (40) clients that each send one request at the same
# moment on a connection of their own and keep it open, as Lotse's WinINet
# does: when the last and the middle one were answered, beside the hello
# server's figures for the same clients.
kept() {
    local label=$1 port=$2 path=$3 clients=${LOTSE_BENCH_KEPT_CLIENTS:-40} urls=() i
    for i in $(seq 1 "$clients"); do urls+=(-o /dev/null "https://localhost:$port/$path"); done
    curl -s --no-progress-meter --parallel --parallel-immediate --parallel-max "$clients" \
        -w '%{time_total}\n' --data "code=$code" "${urls[@]}" | sort -n |
        awk -v label="$label" -v n="$clients" '{ t[NR] = $1 } END {
            printf "%-13s kept    %d clients at once: median %.0f ms, last %.0f ms\n",
                label, n, t[int((NR + 1) / 2)] * 1000, t[NR] * 1000 }'
}
# Creates and their ceiling with $write_connections connections, and the
# requests per commit of the services whose metrics ports are given (one
# argument, the ports separated by blanks).
#   many_writers LABEL "HEALTH_PORT..." PORT...
many_writers() {
    local label=$1 health=$2 usual=$connections before
    shift 2
    connections=$write_connections
    load hello "hello ${connections}c" - "$hello_port"
    before=$(commits $health)
    load create "$label ${connections}c" "$rate" "$@"
    per_commit "$before" $health
    connections=$usual
}
# A figure beside its ceiling measured right before it: the machine's speed
# drifts within a store's runs too (the hello ceiling has fallen by a third
# between the first and the last of them). The hello ceiling stays in $hello.
#   beside hello|big MODE LABEL PORT...
beside() {
    local ceiling=$1
    shift
    if [ "$ceiling" = big ]; then
        load big "hello big" - "$hello_port"
    else
        load hello hello - "$hello_port"
        hello=$rate
    fi
    load "$1" "$2" "$rate" "${@:3}"
}
kept hello "$hello_port" hello
kept sqlite "$service" getticketcnt.php
beside hello count sqlite "$service"
beside big tickets sqlite "$service"
load zipped sqlite - "$service"
grouped=$(commits "$service_health")
beside hello create sqlite "$service"
echo "              create  = $(awk -v r="$rate" -v f="$fsync" 'BEGIN { printf "%.2f", r / f }') of the fsync ceiling $fsync"
per_commit "$grouped" "$service_health"
lone=1 load create "sqlite lone" "$hello" "$service"
many_writers sqlite "$service_health" "$service"
"$helper" seed "$db" "$count_tickets"
beside hello count "sqlite $((count_tickets / 1000))k" "$service"
echo "sqlite service resident memory after the runs: $(rss "${pids[@]}")"
stop_services

"$top/scripts/postgres-cluster.sh" start "$pgstate" "${pgsettings[@]}"
echo "PostgreSQL settings: ${pgsettings[*]:-defaults}"
pgdb="postgresql:///postgres?host=$(cat "$pgstate/host")&user=lotse"
postmaster=("$("$top/scripts/postgres-cluster.sh" pid "$pgstate")")
"$exe" --db "$pgdb" --seed-demo >/dev/null
"$helper" seed "$pgdb" "$tickets"
start_service "$pgdb"
first=$port
first_health=$health
start_service "$pgdb"
beside hello count postgres "$first"
beside hello count "postgres x2" "$first" "$port"
beside big tickets postgres "$first"
load zipped postgres - "$first"
grouped=$(commits "$first_health")
beside hello create postgres "$first"
echo "              create  = $(awk -v r="$rate" -v f="$fsync" 'BEGIN { printf "%.2f", r / f }') of the fsync ceiling $fsync"
per_commit "$grouped" "$first_health"
grouped=$(commits "$first_health" "$health")
beside hello create "postgres x2" "$first" "$port"
echo "              create  = $(awk -v r="$rate" -v f="$fsync" 'BEGIN { printf "%.2f", r / f }') of the fsync ceiling $fsync"
per_commit "$grouped" "$first_health" "$health"
many_writers "pg x2" "$first_health $health" "$first" "$port"
"$helper" seed "$pgdb" "$count_tickets"
beside hello count "postgres $((count_tickets / 1000))k" "$first"
beside hello count "pg x2 $((count_tickets / 1000))k" "$first" "$port"
echo "postgres services resident memory after the runs: $(rss "${pids[@]}")"
counted=$(curl -s --data "code=$code" "https://localhost:$port/getticketcnt.php")
echo "PostgreSQL ticket count afterwards: $counted"
