# Sourced by script tests after scripts/wine-env.sh: a second lotse-service that
# names another program version in "curversion.php", on a free port of its own,
# beside the build's test service, and a server that answers like a proxy whose
# service is down. Both are stopped when the script exits.
#   newer_service_start VERSION   starts it; sets newer_service_port
#   error_page_start              starts the proxy; sets error_page_port

newer_service_dir=
newer_service_pid=
newer_service_port=

error_page_pid=
error_page_port=

newer_service_stop() {
    local pid
    for pid in $error_page_pid $newer_service_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    error_page_pid= newer_service_pid=
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

# HTTP 502 with an HTML page for every request, on a free port; needs
# newer_service_start first (its folder).
error_page_start() {
    local tls=${LOTSE_TLS_DIR:-/usr/local/share/lotse-dev-ca}
    local page='<html><body><h1>502 Bad Gateway</h1></body></html>'
    mkdir -p "$newer_service_dir/proxy"
    printf 'HTTP/1.1 502 Bad Gateway\r\nContent-Type: text/html\r\nContent-Length: %d\r\nConnection: close\r\n\r\n%s' \
        ${#page} "$page" >"$newer_service_dir/proxy/curversion.php"
    # -HTTP answers a request for a file with the file's bytes as they are.
    (cd "$newer_service_dir/proxy" && exec openssl s_server -HTTP -accept 127.0.0.1:0 \
        -cert "$tls/localhost.crt" -key "$tls/localhost.key" >out 2>&1 </dev/null) &
    error_page_pid=$!
    for _ in $(seq 1 100); do
        error_page_port=$(sed -n 's/^ACCEPT .*:\([0-9]*\)$/\1/p' "$newer_service_dir/proxy/out")
        if [ -n "$error_page_port" ] &&
            curl -s --max-time 2 "https://localhost:$error_page_port/curversion.php" | grep -q 'Bad Gateway'; then
            return 0
        fi
        sleep 0.1
    done
    cat "$newer_service_dir/proxy/out" >&2
    return 1
}
