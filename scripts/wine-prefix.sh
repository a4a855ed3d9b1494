# Sourced: lotse_make_prefix makes the Wine prefix in $WINEPREFIX once. Wine 8's
# default prefix reports Windows 7 (6.1.7601), which names itself without the
# product-type lookup that Wine does not answer for later versions.
lotse_make_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w || true
    fi
    lotse_pause_task_manager
}

# Wine 8's server crashes (a read past the end of a handle table in
# enum_handles) when a program asks for the system's handles while a program
# started from the shell, which begins with an empty handle table, has not
# opened its first one yet. Wine's Task Manager asks at every refresh, every
# two seconds, and Task Manager runs beside Lotse in `make run` and in the
# journeys, which start short-lived programs all the time: about one journey
# in three lost its Wine server that way. So the prefix's Task Manager starts
# with its updates paused (View, Update Speed, Paused): it lists twice when it
# starts and never again. Its settings record is 94 ints: Wine's defaults, with
# the update speed (the 11th) at 0. The marker file says the prefix has it.
# Those two listings still crashed the server when a program started beside
# them: see lotse_wait_task_manager.
lotse_pause_task_manager() {
    local marker="$WINEPREFIX/lotse-task-manager-paused" settings= value
    [ -f "$marker" ] && return 0
    for value in 0 0 0 0 0 0 0 1 1 1 0 0 0 1 0 1 1 1 1 1 $(printf '0 %.0s' {1..20}) $(seq 0 24) \
        105 50 107 70 35 70 70 100 70 70 70 70 70 70 60 60 60 60 60 70 70 70 70 70 70 1 1 1 0; do
        settings+=$(printf '%02x%02x0000' $((value & 255)) $((value >> 8)))
    done
    wine reg add 'HKCU\Software\Wine\TaskManager' /v Preferences /t REG_BINARY /d "$settings" /f \
        >/dev/null 2>&1 && wineserver -w && touch "$marker"
}

# [TRIES]: waits until Task Manager shows its window (by default 30 s). Its
# window exists before it makes its two listings, and shows only after them;
# whoever starts it starts nothing else in the prefix (no test helper, no
# launcher) until this returns. Needs tests/win/process-tools.sh.
lotse_wait_task_manager() { lotse_wait_visible "Task Manager" "${1:-300}"; }

# Ends the Wine server of $WINEPREFIX and every Wine process still running in
# it. A program that hangs outside the server survives `wineserver -k`, and a
# script that stopped half way leaves its programs behind; the next script
# must find an empty prefix. Names on stderr what it had to kill.
lotse_end_prefix() {
    wineserver -k >/dev/null 2>&1 || true
    local dir pid exe left poll
    for poll in $(seq 1 15); do
        left=
        for dir in /proc/[0-9]*; do
            grep -qzx "WINEPREFIX=$WINEPREFIX" "$dir/environ" 2>/dev/null || continue
            exe=$(readlink "$dir/exe" 2>/dev/null) || continue
            case "${exe##*/}" in *wine*) ;; *) continue ;; esac
            pid=${dir#/proc/}
            left="$left $pid"
            # A second for the programs to notice their server has gone.
            [ "$poll" -gt 5 ] || continue
            echo "wine: killing $(tr '\0' ' ' <"$dir/cmdline" 2>/dev/null)(pid $pid," \
                "state $(awk '{print $3}' "$dir/stat" 2>/dev/null))" >&2
            kill -9 "$pid" 2>/dev/null
        done
        [ -n "$left" ] || return 0
        sleep 0.2
    done
    echo "wine: still running after kill -9:$left" >&2
}
