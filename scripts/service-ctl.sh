#!/usr/bin/env bash
# Starts or stops a lotse-service instance with fresh demo data for tests:
#   service-ctl.sh start NATIVE_BUILD PORT STATE_DIR
#   service-ctl.sh stop STATE_DIR
set -euo pipefail
tls=${LOTSE_TLS_DIR:-/usr/local/share/lotse-dev-ca}
case "$1" in
start)
    native=$2 port=$3 state=$4
    mkdir -p "$state"
    "$0" stop "$state" || true
    if ss -ltnH "sport = :$port" 2>/dev/null | grep -q .; then
        echo "service-ctl: port $port is in use; stop whatever listens there (a running 'make run'?)" >&2
        exit 1
    fi
    rm -f "$state"/service.db*
    "$native/server/lotse-service" --db "$state/service.db" --seed-demo
    # Every test and every Wine user here sends from 127.0.0.1: the abuse limits
    # per address are lifted.
    "$native/server/lotse-service" --db "$state/service.db" --port "$port" \
        --cert "$tls/localhost.crt" --key "$tls/localhost.key" --createticket-burst 0 \
        --createcapture-burst 0 --feedback-burst 0 >"$state/service.log" 2>&1 &
    echo $! >"$state/service.pid"
    for _ in $(seq 1 100); do
        if curl -s --max-time 2 "https://localhost:$port/curversion.php" >/dev/null; then
            exit 0
        fi
        sleep 0.1
    done
    echo "service-ctl: the service did not answer on port $port" >&2
    cat "$state/service.log" >&2
    exit 1
    ;;
stop)
    state=$2
    if [ -f "$state/service.pid" ]; then
        pid=$(cat "$state/service.pid")
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        rm -f "$state/service.pid"
    fi
    ;;
*)
    echo "usage: service-ctl.sh start NATIVE_BUILD PORT STATE_DIR | stop STATE_DIR" >&2
    exit 2
    ;;
esac
