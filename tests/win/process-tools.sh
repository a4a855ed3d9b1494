# Sourced by the script tests after scripts/wine-env.sh: finding this build's
# lotse.exe processes (only those of our Wine prefix, never another worktree's)
# and the test helper program.

lotse_exe="$LOTSE_WIN_BUILD/lotse.exe"
title="Lotse - 1.0.2" # the main window's

# Prints the pids of running lotse.exe processes of this build and prefix.
lotse_pids() {
    local dir pid exe
    for dir in /proc/[0-9]*; do
        pid=${dir#/proc/}
        exe=$(tr '\0' '\n' 2>/dev/null <"$dir/cmdline" | head -n1) || continue
        [ "$exe" = "$lotse_exe" ] || continue
        tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        echo "$pid"
    done
}

lotse_count() { lotse_pids | wc -l; }

# Waits until exactly N lotse.exe processes run (default 20 s).
lotse_wait_count() {
    local want=$1 tries=${2:-200}
    for _ in $(seq 1 "$tries"); do
        [ "$(lotse_count)" -eq "$want" ] && return 0
        sleep 0.1
    done
    return 1
}

# Waits until the window with this exact title is mapped (visible).
lotse_wait_visible() {
    local title=$1 tries=${2:-100}
    for _ in $(seq 1 "$tries"); do
        xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

lotse_is_visible() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

lotse_helper() { wine "$LOTSE_WIN_BUILD/lotse_testhelper.exe" "$@"; }

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
