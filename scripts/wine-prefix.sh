# Sourced: lotse_make_prefix makes the Wine prefix in $WINEPREFIX once. Wine 8's
# default prefix reports Windows 7 (6.1.7601), which names itself without the
# product-type lookup that Wine does not answer for later versions.
lotse_make_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w || true
    fi
}

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
