#!/usr/bin/env bash
# Load figures of lotse-service on loopback: wrk against getticketcnt.php (a
# read) and createticket.php (a write transaction each), for a bounded time
# each, on a private service instance with demo data on a free port.
#   bench/service-load.sh [NATIVE_BUILD]
# Settings: LOTSE_BENCH_DURATION (default 10s), LOTSE_BENCH_CONNECTIONS (8),
# LOTSE_TLS_DIR (the development certificate).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
native=${1:-${LOTSE_NATIVE_BUILD:-$top/build/native}}
exe=$native/server/lotse-service
tls=${LOTSE_TLS_DIR:-/usr/local/share/lotse-dev-ca}
duration=${LOTSE_BENCH_DURATION:-10s}
connections=${LOTSE_BENCH_CONNECTIONS:-8}

command -v wrk >/dev/null || { echo "service-load: wrk is not installed" >&2; exit 1; }
[ -x "$exe" ] || { echo "service-load: $exe not built" >&2; exit 1; }
code=$(sed -n 's/^#define LOTSE_ACCESS_CODE u"\(.*\)"$/\1/p' "$native/generated/LotseConfig.h")

state=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$state"
}
trap cleanup EXIT

"$exe" --db "$state/service.db" --seed-demo >/dev/null
"$exe" --db "$state/service.db" --port 0 --cert "$tls/localhost.crt" --key "$tls/localhost.key" \
    >"$state/out" 2>"$state/err" &
pid=$!
port=
for _ in $(seq 1 100); do
    port=$(sed -n 's/^listening on \([0-9]*\)$/\1/p' "$state/out")
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { echo "service-load: the service did not start" >&2; cat "$state/err" >&2; exit 1; }

echo "lotse-service load on 127.0.0.1:$port, $connections connections, $duration each"
for mode in count create; do
    LOTSE_LOAD_MODE=$mode LOTSE_ACCESS_CODE=$code \
        wrk -t 2 -c "$connections" -d "$duration" --timeout 10s -s "$top/bench/service-load.lua" \
        "https://localhost:$port/" | grep -E 'requests/s|Non-2xx|Socket errors' || true
done
tickets=$(curl -s --data "code=$code" "https://localhost:$port/getticketcnt.php")
echo "ticket count afterwards: $tickets"
