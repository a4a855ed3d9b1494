# Sourced by scripts that run Windows programs: sets up the Wine prefix of the
# build folder and a private X server, and tears both down on exit.
#   LOTSE_WIN_BUILD  Windows build tree (required)
#   LOTSE_DISPLAY    use this display instead of starting Xvfb
lotse_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${LOTSE_WIN_BUILD:?LOTSE_WIN_BUILD must name the Windows build tree}"
export WINEPREFIX=${LOTSE_WINEPREFIX:-$(dirname "$LOTSE_WIN_BUILD")/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
source "$lotse_top/scripts/wine-prefix.sh"
# The previous script's Wine server may still be going down (a program started
# now would find it refusing connections), or a program it started may hang.
lotse_end_prefix
lotse_make_prefix

lotse_xvfb_pid=
if [ -n "${LOTSE_DISPLAY:-}" ]; then
    export DISPLAY=$LOTSE_DISPLAY
else
    lotse_fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$lotse_fd_file" >/dev/null 2>&1 &
    lotse_xvfb_pid=$!
    for _ in $(seq 1 100); do
        [ -s "$lotse_fd_file" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$lotse_fd_file")"
    rm -f "$lotse_fd_file"
fi

lotse_wine_cleanup() {
    lotse_end_prefix
    if [ -n "$lotse_xvfb_pid" ]; then
        kill "$lotse_xvfb_pid" >/dev/null 2>&1 || true
        wait "$lotse_xvfb_pid" 2>/dev/null || true
    fi
}
trap lotse_wine_cleanup EXIT

# Waits until a top-level window with the given title exists; prints its id.
lotse_wait_window() {
    local title=$1 tries=${2:-200} id
    for _ in $(seq 1 "$tries"); do
        id=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}
