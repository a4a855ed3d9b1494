#!/usr/bin/env bash
# Runs Lotse: starts the local service (HTTPS on the build's port, 443 by
# default) with demo data kept in build/run/service.db, then lotse.exe in a Wine
# virtual desktop. With a display ($DISPLAY) the desktop opens there; without
# one Lotse runs under a private Xvfb and screenshots of it are saved to
# build/screenshots/. Ctrl+C (or "Beenden" in Lotse's tray menu) ends both.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTSE_BUILD:-$top/build}
tls=${LOTSE_TLS_DIR:-/usr/local/share/lotse-dev-ca}

"$top/scripts/build.sh"
port=$(sed -n 's/^LOTSE_SERVICE_PORT:STRING=//p' "$build/native/CMakeCache.txt")
state="$build/run"
mkdir -p "$state" "$build/screenshots"

if [ ! -s "$state/service.db" ]; then
    "$build/native/server/lotse-service" --db "$state/service.db" --seed-demo
fi
"$top/scripts/service-ctl.sh" stop "$state"
if ss -ltnH "sport = :$port" 2>/dev/null | grep -q .; then
    echo "run: port $port is in use; stop whatever listens there first" >&2
    exit 1
fi
"$build/native/server/lotse-service" --db "$state/service.db" --port "$port" \
    --cert "$tls/localhost.crt" --key "$tls/localhost.key" >"$state/service.log" 2>&1 &
echo $! >"$state/service.pid"
stop_service() { "$top/scripts/service-ctl.sh" stop "$state"; }
trap stop_service EXIT
for _ in $(seq 1 100); do
    curl -s --max-time 2 "https://localhost:$port/curversion.php" >/dev/null && break
    sleep 0.1
done
echo "run: service on https://localhost:$port (log: $state/service.log)"

export LOTSE_WIN_BUILD="$build/win"
[ -n "${DISPLAY:-}" ] && export LOTSE_DISPLAY=$DISPLAY
source "$top/scripts/wine-env.sh"
source "$top/tests/win/process-tools.sh"
trap 'lotse_wine_cleanup; stop_service' EXIT

wine explorer /desktop=Lotse,1280x1024 "$LOTSE_WIN_BUILD/lotse.exe" >/dev/null 2>&1 &
desktop=$!
# The demo's recorded solutions play on Wine's Notepad and Task Manager.
lotse_wait_window "$title" 300 >/dev/null 2>&1 || true
# One after the other: a program that starts while Task Manager makes its
# first listings can crash Wine's server (scripts/wine-prefix.sh).
wine explorer /desktop=Lotse,1280x1024 notepad >/dev/null 2>&1 &
lotse_wait_visible "Untitled - Notepad" 300 || echo "run: Notepad did not come up" >&2
wine explorer /desktop=Lotse,1280x1024 taskmgr >/dev/null 2>&1 &
lotse_wait_task_manager || echo "run: Task Manager did not come up" >&2
echo "run: Lotse started on display $DISPLAY; it sits in the notification area. Press Pause to open it."
if [ -z "${LOTSE_DISPLAY:-}" ]; then
    # Headless: with Notepad and Task Manager up, open the main window over
    # them as Pause does (its catalogue is loaded before the window is made) and
    # save what it looks like.
    sleep 1
    xdotool key Pause
    if lotse_wait_visible "$title" 100; then
        sleep 1
        import -window root "$build/screenshots/run-desktop.png" 2>/dev/null &&
            echo "run: screenshot of the running program: $build/screenshots/run-desktop.png"
    else
        echo "run: the main window did not open on Pause; no screenshot" >&2
    fi
fi
wait "$desktop" || true
