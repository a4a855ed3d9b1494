#!/usr/bin/env bash
# The Debian package lotse-service as an operator receives it, looked at from
# the .deb alone: its files and their owners, the conffile, the maintainer
# scripts, the systemd unit checked by systemd-analyze, and the packaged
# binary serving with the packaged configuration (only paths and ports
# changed) on a fresh database. Nothing is installed: the machine stays as it is.
#   package-test.sh NATIVE_BUILD
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
native=$(cd "$1" && pwd)
tls=${LOTSE_TLS_DIR:-/usr/local/share/lotse-dev-ca}
work=$(mktemp -d /tmp/lotse-package-test-XXXXXX)
pid=
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package-test: $*" >&2; exit 1; }

deb=$("$top/scripts/package-service.sh" "$native" "$work/dist")
[ -f "$deb" ] || fail "no package made"

# Contents: type, mode, owner and path of every file that matters.
listing=$(dpkg-deb -c "$deb" | awk '{print $1, $2, $6}')
for entry in "-rwxr-xr-x root/root ./usr/bin/lotse-service" \
    "-rw-r--r-- root/root ./lib/systemd/system/lotse-service.service" \
    "-rw-r--r-- root/root ./etc/lotse-service/lotse-service.conf" \
    "-rw-r--r-- root/root ./usr/share/man/man8/lotse-service.8.gz"; do
    grep -qxF -- "$entry" <<<"$listing" || fail "not in the package: $entry"
done
root="$work/root" control="$work/control"
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$control"

[ "$(cat "$control/conffiles")" = /etc/lotse-service/lotse-service.conf ] ||
    fail "the configuration is not the conffile"
for dependency in adduser libpq5 libsqlite3-0 libcpp-httplib; do
    grep -q "^Depends:.*$dependency" "$control/control" || fail "no dependency on $dependency"
done

# Maintainer scripts: valid shell; the user and state folder are made, nothing
# is enabled or started; a purge removes data, configuration and user.
for script in postinst prerm postrm; do
    [ -x "$control/$script" ] || fail "$script is missing or not executable"
    sh -n "$control/$script" || fail "$script is not valid shell"
done
grep -q 'adduser --system' "$control/postinst" || fail "postinst makes no system user"
grep -q 'install -d -o lotse-service -g lotse-service' "$control/postinst" ||
    fail "postinst makes no state folder"
! grep -Eq 'systemctl (enable|start|restart)|deb-systemd-(helper enable|invoke start)' \
    "$control/postinst" || fail "postinst enables or starts the service"
grep -q 'try-restart' "$control/postinst" || fail "an upgrade does not restart a running service"
grep -q 'purge)' "$control/postrm" && grep -q 'rm -rf /var/lib/lotse-service' "$control/postrm" &&
    grep -q 'deluser --system' "$control/postrm" || fail "postrm does not handle a purge"

# The unit: what it promises, and systemd's own check of it (with ExecStart
# pointed at the extracted binary, which is not installed here).
unit="$root/lib/systemd/system/lotse-service.service"
for line in User=lotse-service Restart=on-failure NoNewPrivileges=yes ProtectSystem=strict \
    PrivateTmp=yes StateDirectory=lotse-service \
    "ExecStart=/usr/bin/lotse-service --config /etc/lotse-service/lotse-service.conf"; do
    grep -qxF "$line" "$unit" || fail "the unit lacks $line"
done
mkdir "$work/verify"
sed "s|/usr/bin/lotse-service|$root/usr/bin/lotse-service|g" "$unit" \
    >"$work/verify/lotse-service.service"
verified=$(systemd-analyze verify --man=no "$work/verify/lotse-service.service" 2>&1) ||
    fail "systemd-analyze verify failed: $verified"
[ -z "$verified" ] || fail "systemd-analyze verify: $verified"

# The manual page names every setting of the packaged configuration.
page=$(zcat "$root/usr/share/man/man8/lotse-service.8.gz")
grep -q '^\.TH LOTSE' <<<"$page" || fail "the manual page is not roff"
for name in $(sed -n 's/^#\{0,1\}\([a-z_]*\) =.*/\1/p' "$root/etc/lotse-service/lotse-service.conf"); do
    grep -q "fB${name//_/_}\\\\fR" <<<"$page" || fail "the manual page lacks $name"
done

# The packaged configuration with paths and ports of this test only.
mkdir "$work/state"
conf="$work/lotse-service.conf"
sed -e "s|^database = .*|database = $work/state/lotse.db|" \
    -e "s|^listen_address = .*|listen_address = 127.0.0.1|" \
    -e "s|^port = .*|port = 0|" \
    -e "s|^certificate = .*|certificate = $tls/localhost.crt|" \
    -e "s|^certificate_key = .*|certificate_key = $tls/localhost.key|" \
    -e "s|^health_port = .*|health_port = 0|" \
    "$root/etc/lotse-service/lotse-service.conf" >"$conf"
changed=$(diff "$root/etc/lotse-service/lotse-service.conf" "$conf" | grep -c '^>' || true)
[ "$changed" = 6 ] || fail "expected 6 changed lines in the configuration, got $changed"
binary="$root/usr/bin/lotse-service"
checked=$("$binary" --config "$conf" --check-config 2>&1) || fail "--check-config: $checked"
[ "$checked" = "configuration OK" ] || fail "--check-config said: $checked"

"$binary" --config "$conf" >"$work/out" 2>"$work/err" &
pid=$!
for _ in $(seq 100); do
    grep -q '^health on' "$work/out" 2>/dev/null && break
    sleep 0.1
done
port=$(sed -n 's/^listening on //p' "$work/out")
health=$(sed -n 's/^health on //p' "$work/out")
[ -n "$port" ] && [ -n "$health" ] || fail "the service did not start: $(cat "$work/err")"
code=$(sed -n 's/^LOTSE_ACCESS_CODE:[A-Z]*=//p' "$native/CMakeCache.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$native/CMakeCache.txt")
[ "$(curl -sS --cacert "$tls/ca.crt" "https://localhost:$port/curversion.php")" = "$version" ] ||
    fail "curversion.php did not answer $version"
[ "$(curl -sS --cacert "$tls/ca.crt" --data "code=$code" \
    "https://localhost:$port/getticketcnt.php")" = '{"total":"0","unsolved":"0"}' ] ||
    fail "getticketcnt.php did not answer an empty count"
[ "$(curl -sS "http://127.0.0.1:$health/health")" = OK ] || fail "/health did not answer OK"
grep -q " POST /getticketcnt.php 200 " "$work/err" || fail "the request is not in the log"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" = 0 ] || fail "the service ended with $status after SIGTERM"
echo "package-test: $(basename "$deb") checked"
