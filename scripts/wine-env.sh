# Sourced by scripts that run Windows programs: sets up the Wine prefix of the
# build folder and a private X server, and tears both down on exit.
#   LOTSE_WIN_BUILD  Windows build tree (required)
#   LOTSE_DISPLAY    use this display instead of starting Xvfb
#   LOTSE_SCREEN     size of the private X server's screen (1280x1024)
#   LOTSE_XVFB_ARGS  its screens and extensions instead (two monitors, say)
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

# The display (":N") that an X server started with -displayfd wrote into the
# file; nothing when it has not written one within 5 s.
lotse_display_of() {
    for _ in $(seq 1 100); do
        [ -s "$1" ] && break
        sleep 0.05
    done
    [ -s "$1" ] && echo ":$(head -n1 "$1")"
}

lotse_xvfb_pid=
if [ -n "${LOTSE_DISPLAY:-}" ]; then
    export DISPLAY=$LOTSE_DISPLAY
else
    lotse_fd_file=$(mktemp)
    export LOTSE_SCREEN=${LOTSE_SCREEN:-1280x1024}
    # shellcheck disable=SC2086 # the arguments are words
    Xvfb -displayfd 3 ${LOTSE_XVFB_ARGS:--screen 0 ${LOTSE_SCREEN}x24} -nolisten tcp \
        3>"$lotse_fd_file" >/dev/null 2>&1 &
    lotse_xvfb_pid=$!
    DISPLAY=$(lotse_display_of "$lotse_fd_file")
    export DISPLAY
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
