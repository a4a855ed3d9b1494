#!/usr/bin/env bash
# Installs what building, running and testing Lotse needs on Debian 12, once:
# packages, the local development CA with a localhost certificate (trusted by
# the system store, which libcurl and Wine's WinINet use), and the Wine prefix
# under the build folder. Running it again is fast and changes nothing.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTSE_BUILD:-$top/build}

packages=(cmake ninja-build g++ pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
    libcurl4-openssl-dev libsqlite3-dev libssl-dev zlib1g-dev libcpp-httplib-dev openssl ca-certificates
    g++-mingw-w64-x86-64-posix wine wine64 libwine-dev xvfb xserver-xephyr xdotool imagemagick
    x11-utils clang libclang-rt-14-dev wrk procps psmisc clang-format curl iproute2 postgresql libpq-dev nsis
    systemd dpkg-dev rapidjson-dev libsimdjson-dev nlohmann-json3-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    # The tests and benchmarks run PostgreSQL servers of their own in the build
    # folder (scripts/postgres-cluster.sh); the package's system-wide cluster
    # would be made and started at install and keep running, so it is not made.
    if [[ " ${missing[*]} " == *" postgresql "* ]] && [ ! -d /etc/postgresql ]; then
        mkdir -p /etc/postgresql-common/createcluster.d
        echo "create_main_cluster = false" >/etc/postgresql-common/createcluster.d/lotse.conf
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

"$top/scripts/make-dev-ca.sh"

# Wine prefix, made once per build folder.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
source "$top/scripts/wine-prefix.sh"
[ -f "$WINEPREFIX/system.reg" ] || echo "setup: creating the Wine prefix in $WINEPREFIX"
lotse_make_prefix
