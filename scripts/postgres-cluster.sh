#!/usr/bin/env bash
# A private PostgreSQL server for the service tests and the load figures, kept in
# a folder of the build tree and reached only through a socket (no TCP port)
# that only the server's owner and root may use. Connect as "lotse" without
# password:
#   postgresql:///DBNAME?host=$(cat STATE/host)&user=lotse
#
#   postgres-cluster.sh start STATE [NAME=VALUE ...]
#       a new cluster, started with the given server settings; whatever an
#       earlier run left in STATE is stopped and removed first
#   postgres-cluster.sh halt STATE     stops the server and keeps its data
#   postgres-cluster.sh resume STATE   starts the halted server again
#   postgres-cluster.sh stop STATE     stops the servers of STATE and of every
#       folder below it, and removes their data and sockets
#   postgres-cluster.sh pid STATE      prints the server's process id
#
# A Unix socket's path may hold at most 107 bytes, so the socket does not live
# in the build tree, whose path is the checkout's: it gets a private folder
# (mode 0700) of its own in the system's temporary folder, named in STATE/host.
# A stop removes it; one whose cluster crashed and whose build tree went too is
# removed by a later stop once nothing has used it for an hour.
#
# PostgreSQL does not run as root: run by root, the server belongs to the
# "postgres" user that Debian's package makes. When that user cannot reach the
# build tree (a home folder closed to others), the cluster lives in a temporary
# folder instead and STATE/location points there.
set -euo pipefail

pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$pgbin" ] || { echo "postgres-cluster: PostgreSQL is not installed (scripts/setup.sh)" >&2; exit 1; }
owner=()
if [ "$(id -u)" = 0 ]; then
    id postgres >/dev/null 2>&1 || { echo "postgres-cluster: no 'postgres' user" >&2; exit 1; }
    owner=(runuser -u postgres --)
fi
as_owner() { "${owner[@]}" "$@"; }

# The folder that holds data/ and the log of the cluster of STATE.
root_of() { if [ -f "$1/location" ]; then cat "$1/location"; else echo "$1/cluster"; fi; }

stop_one() {
    local root
    root=$(root_of "$1")
    if [ -f "$root/data/postmaster.pid" ]; then
        as_owner "$pgbin/pg_ctl" -D "$root/data" -m fast -w -t 30 stop >/dev/null 2>&1 ||
            as_owner "$pgbin/pg_ctl" -D "$root/data" -m immediate -w -t 30 stop >/dev/null 2>&1 || true
    fi
}

socket_prefix=lotse-pgsocket.
# A temporary folder short enough for the socket's path, wherever TMPDIR points.
socket_parent() {
    local dir=${TMPDIR:-/tmp}
    [ ${#dir} -le 60 ] && [ -d "$dir" ] && [ -w "$dir" ] || dir=/tmp
    echo "$dir"
}

# Socket folders of ours that no server uses and nobody touched for an hour:
# left by a cluster that crashed after its build tree was removed.
sweep_sockets() {
    local dir lock pid
    for dir in "$(socket_parent)/$socket_prefix"*; do
        [ -d "$dir" ] || continue
        [ -n "$(find "$dir" -maxdepth 0 -mmin +60)" ] || continue
        lock=$dir/.s.PGSQL.5432.lock
        if [ -f "$lock" ]; then
            pid=$(head -n 1 "$lock" 2>/dev/null)
            [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && continue
        fi
        rm -rf "$dir"
    done
}

usage() {
    echo "usage: postgres-cluster.sh start STATE [NAME=VALUE ...] | halt STATE | resume STATE | stop STATE | pid STATE" >&2
    exit 2
}
[ $# -ge 2 ] || usage
# Absolute, as the server is told where its socket goes.
state=$(realpath -m "$2")
case "$1" in
start)
    shift 2
    "$0" stop "$state"
    mkdir -p "$state/cluster"
    root=$state/cluster
    [ ${#owner[@]} -eq 0 ] || chown postgres "$root"
    if ! as_owner test -w "$root"; then
        root=$(mktemp -d "${TMPDIR:-/tmp}/lotse-postgres.XXXXXX")
        [ ${#owner[@]} -eq 0 ] || chown postgres "$root"
        echo "$root" >"$state/location"
    fi
    # Named first, so that a stop finds even a cluster whose start broke off.
    socket=$(mktemp -d "$(socket_parent)/${socket_prefix}XXXXXX")
    echo "$socket" >"$state/host"
    [ ${#owner[@]} -eq 0 ] || chown postgres "$socket"
    as_owner mkdir -m 700 -p "$root/data"
    as_owner "$pgbin/initdb" -D "$root/data" -U lotse --auth=trust -E UTF8 --locale=C.UTF-8 \
        --no-sync >"$root/initdb.log" 2>&1 || { cat "$root/initdb.log" >&2; exit 1; }
    # Anybody who reaches the socket is let in, so only its owner (and root) may.
    {
        echo "listen_addresses = ''"
        echo "unix_socket_directories = '$socket'"
        echo "unix_socket_permissions = 0700"
        echo "max_connections = 200"
        for setting in "$@"; do echo "${setting%%=*} = '${setting#*=}'"; done
    } >>"$root/data/postgresql.conf"
    "$0" resume "$state"
    ;;
halt)
    stop_one "$state"
    ;;
pid)
    head -n 1 "$(root_of "$state")/data/postmaster.pid"
    ;;
resume)
    root=$(root_of "$state")
    as_owner "$pgbin/pg_ctl" -D "$root/data" -l "$root/server.log" -w -t 60 start >/dev/null ||
        { cat "$root/server.log" >&2; exit 1; }
    ;;
stop)
    [ -d "$state" ] || { sweep_sockets; exit 0; }
    while IFS= read -r -d '' marker; do
        folder=$(dirname "$marker")
        stop_one "$folder"
        [ -f "$folder/location" ] && rm -rf "$(cat "$folder/location")"
        socket=$(cat "$marker")
        case "${socket##*/}" in "$socket_prefix"*) rm -rf "$socket" ;; esac
        rm -rf "$folder/cluster" "$folder/location" "$folder/host"
        rmdir --ignore-fail-on-non-empty "$folder"
    done < <(find "$state" -depth -name host -print0)
    sweep_sockets
    ;;
*)
    usage
    ;;
esac
