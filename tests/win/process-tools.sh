# Sourced by the script tests after scripts/wine-env.sh: finding this build's
# lotse.exe processes (only those of our Wine prefix, never another worktree's)
# and the test helper program.

lotse_exe="$LOTSE_WIN_BUILD/lotse.exe"
title="Lotse - 1.0.2" # the main window's

# Prints the pids of running lotse.exe processes of this build and prefix.
# Reads /proc with builtins: the waits below ask many times a second.
lotse_pids() {
    local dir exe
    for dir in /proc/[0-9]*; do
        exe=
        { IFS= read -r -d '' exe <"$dir/cmdline"; } 2>/dev/null
        [ "$exe" = "$lotse_exe" ] || continue
        grep -qzx "WINEPREFIX=$WINEPREFIX" "$dir/environ" 2>/dev/null || continue
        echo "${dir#/proc/}"
    done
}

# PID NAME: what each thread of the process is doing (state and kernel wait),
# for a failure message.
wine_threads() {
    local task
    for task in /proc/"$1"/task/*; do
        echo "$2 $1 thread ${task##*/}: $(awk '{print $3}' "$task/stat" 2>/dev/null)" \
            "$(cat "$task/wchan" 2>/dev/null)"
    done
}
lotse_threads() {
    local pid
    for pid in $(lotse_pids); do wine_threads "$pid" lotse.exe; done
}

lotse_count() { lotse_pids | wc -l; }

# TRIES COMMAND...: waits up to TRIES tenths of a second until the command succeeds.
lotse_wait_until() {
    local tries=$1
    shift
    for _ in $(seq 1 "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

lotse_count_is() { [ "$(lotse_count)" -eq "$1" ]; }
# Waits until exactly N lotse.exe processes run (default 20 s).
lotse_wait_count() { lotse_wait_until "${2:-200}" lotse_count_is "$1"; }

# Waits until the window with this exact title is mapped (visible).
lotse_wait_visible() { lotse_wait_until "${2:-100}" lotse_is_visible "$1"; }

lotse_is_visible() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
lotse_is_gone() { ! lotse_is_visible "$1"; }
# Waits until no window with this exact title is mapped (default 5 s).
lotse_wait_gone() { lotse_wait_until "${2:-50}" lotse_is_gone "$1"; }

lotse_helper() { wine "$LOTSE_WIN_BUILD/lotse_testhelper.exe" "$@"; }

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts lotse.exe in the background (its pid in lotse_job) and waits until its
# main window exists and it is the only lotse.exe.
lotse_start() {
    wine "$lotse_exe" >/dev/null 2>&1 &
    lotse_job=$!
    lotse_wait_window "$title" 300 >/dev/null || fail "the main window was not created"
    lotse_wait_count 1 || fail "expected one lotse.exe, found $(lotse_count)"
}

# Starts lotse.exe alone, lets its start-up pass and prints the CPU it used over
# the next SECONDS as "TICKS TICKS_AVAILABLE PERCENT_OF_ONE_CORE".
lotse_idle_cpu() {
    local seconds=$1 pid before after hz
    lotse_start
    pid=$(lotse_pids)
    sleep 2
    hz=$(getconf CLK_TCK)
    before=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$seconds"
    after=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    awk -v t="$((after - before))" -v all="$((seconds * hz))" \
        'BEGIN { printf "%d %d %.1f\n", t, all, t * 100 / all }'
}
