# Sourced by script tests after scripts/wine-env.sh: a second lotse-service that
# names another program version in "curversion.php", on a free port of its own,
# beside the build's test service. Stopped when the script exits.
#   newer_service_start VERSION   starts it; sets newer_service_port

newer_service_dir=
newer_service_pid=
newer_service_port=

newer_service_stop() {
    if [ -n "$newer_service_pid" ]; then
        kill "$newer_service_pid" 2>/dev/null || true
        wait "$newer_service_pid" 2>/dev/null || true
        newer_service_pid=
    fi
    [ -n "$newer_service_dir" ] && rm -rf "$newer_service_dir"
    newer_service_dir=
}
trap 'newer_service_stop; lotse_wine_cleanup' EXIT

newer_service_start() {
    local version=$1 tls=${LOTSE_TLS_DIR:-/usr/local/share/lotse-dev-ca}
    local service="$LOTSE_NATIVE_BUILD/server/lotse-service"
    newer_service_dir=$(mktemp -d)
    "$service" --db "$newer_service_dir/service.db" --seed-demo >/dev/null || return 1
    # Port 0: the service takes a free port and names it on its first line.
    "$service" --db "$newer_service_dir/service.db" --port 0 --current-version "$version" \
        --cert "$tls/localhost.crt" --key "$tls/localhost.key" >"$newer_service_dir/out" 2>&1 &
    newer_service_pid=$!
    for _ in $(seq 1 100); do
        newer_service_port=$(sed -n 's/^listening on \([0-9]*\)$/\1/p' "$newer_service_dir/out")
        if [ -n "$newer_service_port" ] &&
            [ "$(curl -s --max-time 2 "https://localhost:$newer_service_port/curversion.php")" = "$version" ]; then
            return 0
        fi
        sleep 0.1
    done
    cat "$newer_service_dir/out" >&2
    return 1
}
