# Sourced by the end-to-end scripts after scripts/wine-env.sh: the screenshot
# folder, lotse.exe started in a Wine virtual desktop (with a taskbar and a
# notification area) as a user has it, and the mouse, screen and helper steps
# the scripts share. The desktop fills the screen from its top-left corner, so
# desktop coordinates are screen coordinates.
source "$LOTSE_TOP/tests/win/process-tools.sh"
shots=${LOTSE_SCREENSHOTS:-$(dirname "$LOTSE_WIN_BUILD")/screenshots}
mkdir -p "$shots"
journey=$(basename "$0" .test.sh)
helper_log="$shots/$journey.helper.log" # what the test helper said on stderr
: >"$helper_log"
code=$(sed -n 's/^#define LOTSE_ACCESS_CODE u"\(.*\)"$/\1/p' "$LOTSE_WIN_BUILD/generated/LotseConfig.h")
[ -n "$code" ] || fail "no access code in the build settings"

# The programs running in this journey's Wine prefix (its Wine servers too),
# one a line: its name and, after a slash, how many threads it runs (Wine
# closes a desktop when its users match its explorer's threads).
prefix_programs() {
    local dir exe threads
    for dir in /proc/[0-9]*; do
        grep -qzx "WINEPREFIX=$WINEPREFIX" "$dir/environ" 2>/dev/null || continue
        exe=
        { IFS= read -r -d '' exe <"$dir/cmdline"; } 2>/dev/null
        threads=("$dir"/task/*)
        [ -n "$exe" ] && echo "${exe##*[\\/]}/${#threads[@]}"
    done
}

# The Wine server of this journey's prefix.
prefix_server() {
    local server
    for server in $(pgrep -x 'wineserver(64)?'); do
        grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$server/environ" 2>/dev/null && echo "$server"
    done
}

# For a failure message: the prefix's programs, every Wine server with the
# folder of its socket and its prefix (two sets of Wine's own programs mean
# that a new server replaced one that ended), and what lotse.exe's threads
# wait in.
wine_state() {
    local server
    echo "processes:" $(prefix_programs | sort | uniq -c | tr '\n' ' ')
    for server in $(pgrep -x 'wineserver(64)?'); do
        echo "Wine server $server in $(readlink "/proc/$server/cwd" 2>/dev/null) for" \
            "$(tr '\0' '\n' <"/proc/$server/environ" 2>/dev/null | sed -n 's/^WINEPREFIX=//p')"
    done
    [ -z "${journey_server:-}" ] || kill -0 "$journey_server" 2>/dev/null ||
        echo "the journey's Wine server $journey_server has ended:" $(tail -n 3 "$server_log") \
            "$(ls "$server_dir"/core* 2>/dev/null)"
    # Once the server ended with 0 (as on `wineserver -k`) and the prefix
    # was gone, so that the next program made a new one: said, with the time.
    [ "$(stat -c %i "$WINEPREFIX" 2>/dev/null)" = "$prefix_inode" ] ||
        echo "the prefix $WINEPREFIX is no longer the journey's:" \
            "$([ -d "$WINEPREFIX" ] && echo "made anew" || echo "removed"), seen at $(date +%T.%N)"
    lotse_threads
}

# A journey that hangs would be ended by the test runner's time limit (600 s)
# without a word. The watchdog ends it 60 s before and says first where it
# stood: the commands it was waiting for, the desktop and the programs.
journey_pid=$$
journey_limit=${LOTSE_JOURNEY_LIMIT:-540}
(
    while [ "$SECONDS" -lt "$journey_limit" ]; do
        sleep 1
        kill -0 "$journey_pid" 2>/dev/null || exit 0
    done
    echo "FAIL: $journey still runs after $journey_limit s; it waits for (pid, parent, seconds):" >&2
    watchdog=$BASHPID
    ps -eo pid=,ppid=,etimes=,args= | awk -v top="$journey_pid" -v me="$watchdog" '
        { parent[$1] = $2; line[$1] = $0 }
        END {
            for (pid in line) {
                for (p = pid; p in parent && p != top && p != me; p = parent[p]) {}
                if (p == top && pid != top) print "  " line[pid]
            }
        }' | sort -n >&2
    import -window root "$shots/failed-$journey.png" 2>/dev/null
    echo "windows:" $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|') >&2
    wine_state >&2
    kill -TERM "$journey_pid"
) &

# A failing journey leaves a picture of the desktop as it was.
fail() {
    import -window root "$shots/failed-$journey.png" 2>/dev/null
    echo "FAIL: $*" >&2
    echo "windows:" $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|') >&2
    wine_state >&2
    tail -n 5 "$helper_log" | sed 's/^/helper: /' >&2
    if [ -d "${keeper_out:-}" ] && ! keeper_running; then
        echo "the desktop keeper is not running; Wine said:" $(keeper_said) >&2
    fi
    for out in "$shots/$journey".*.out; do
        [ -s "$out" ] && echo "${out##*/$journey.}:" $(tail -n 4 "$out") >&2
    done
    exit 1
}

# One Wine server for the whole journey, started before its first program and
# ended by the cleanup's `wineserver -k`. Left to Wine, a program that finds
# no server starts one, which ends with the last program, and whatever it says
# and the way it ends go nowhere. Its output and exit status are kept in
# $journey.server.log, and a failure says when it ended under the journey (a
# crash leaves a core in the server's socket folder). LOTSE_SERVER_TRACE=N
# keeps the last N lines of the server's request trace there instead.
server_log="$shots/$journey.server.log"
prefix_inode=$(stat -c %i "$WINEPREFIX" 2>/dev/null)
(
    ulimit -c unlimited
    if [ -n "${LOTSE_SERVER_TRACE:-}" ]; then
        wineserver -f -p -d1 2>&1 </dev/null | tail -n "$LOTSE_SERVER_TRACE" >"$server_log"
        status=${PIPESTATUS[0]}
    else
        wineserver -f -p >"$server_log" 2>&1 </dev/null
        status=$?
    fi
    echo "exit status $status at $(date +%T.%N)" >>"$server_log"
) &
for _ in $(seq 1 200); do
    journey_server=$(prefix_server | head -n1)
    [ -n "$journey_server" ] && [ -S "/proc/$journey_server/cwd/socket" ] && break
    sleep 0.1
done
[ -S "/proc/${journey_server:-0}/cwd/socket" ] || fail "the Wine server did not start"
server_dir=$(readlink "/proc/$journey_server/cwd")

# PROGRAM [ARG...]: runs a Windows program inside the same desktop (made at the
# screen's size, 1280x1024 unless LOTSE_SCREEN says otherwise, when it does not
# exist yet) and returns when it ends; its stdout is the program's, and on
# stderr the test helper that starts it says when it started and how it ended,
# or why it could not start. (Started through the desktop's explorer, whose
# chain start.exe, explorer.exe, program says nothing of a failed start, a
# program once never ran in CI: the journey saw only that a window never came.)
desktop=lotse
keeper_out="$shots/$journey.keeper"
rm -rf "$keeper_out"
lotse_in_desktop() {
    keep_desktop
    wine "$LOTSE_WIN_BUILD/lotse_testhelper.exe" ${desktop:+--desktop "$desktop"} start "$@"
}

# The driver of the program's own parts (tests/win/driver).
driver="$LOTSE_WIN_BUILD/lotse_e2e_driver.exe"

# TICKET STEP...: stores a solution for the ticket with the driver's solve
# and returns once it is stored, which the driver's "stored" line says (the
# helper that starts it passes on no exit status). What the driver says on
# failure goes to $journey.solve.out, which fail shows.
store_solution() {
    local said
    said=$(lotse_in_desktop "$driver" solve "$@" \
        2>"$shots/$journey.solve.out" </dev/null | tr -d '\r')
    [ "$said" = stored ] || fail "the solution for ticket $1 was not stored"
}

# NAME PROGRAM [ARG...]: starts a program in the desktop in the background.
# What it, Wine and the helper print (its process id and exit code, or why it
# could not be started) is kept in $journey.NAME.out, which a failure shows.
# Once in a busy run, wine ended at once with status 1 and without a word,
# before the helper had run at all: then nothing was started, and it is
# started once more, and said so.
start_in_desktop() {
    local name=$1 out="$shots/$journey.$1.out"
    shift
    # Here too, so that a keeper that never comes fails the journey itself.
    keep_desktop
    : >"$out"
    (
        for try in 1 2; do
            lotse_in_desktop "$@" >>"$out" 2>&1 </dev/null
            status=$?
            [ "$try" -eq 1 ] && ! grep -q "^started process\|^could not start" "$out" || break
            echo "repeating: starting $name again, wine ended with status $status before the" \
                "helper started it" | tee -a "$out" >&2
        done
        echo "launcher ended, exit status $status" >>"$out"
    ) &
}
rm -f "$shots/$journey".*.out

# Wine closes a virtual desktop (drops its name at once, then tells its
# explorer to quit) a second after a thread leaves it while the desktop counts
# as many users as the explorer has threads, which it takes for "only the
# explorer is left". The explorer's later threads run on the default desktop,
# so the count also matches now and then while a few programs still use it:
# the desktop then lives on without a name, and every program started for it
# afterwards lands on a new, empty one. The helper's keeper holds 16 threads
# on the desktop for the whole journey, far more than the explorer runs. The
# first program started in the desktop starts it (once per journey; the
# journey's end takes it down with the Wine server).
# The explorer that makes the desktop starts the keeper and says nothing when
# it does not come: once in CI the keeper never ran, the desktop stood empty
# and the journey's first program waited for it in vain. So the caller that
# started it starts it once more after 20 s without it, and says so with the
# prefix's programs and what Wine printed (kept in $journey.keeper/err). A
# journey whose first program's output goes elsewhere calls keep_desktop
# itself before, so that such a repeat is said in the journey's output.
keeper_running() { grep -qs keeping "$keeper_out"/out*; }
# The last lines Wine printed for the keeper, without the Debian wrapper's
# advice on a missing wine32.
keeper_said() {
    grep -sv 'wine32\|multiarch\|dpkg --add-architecture\|apt-get install' "$keeper_out/err" | tail -n 3
}
start_keeper() {
    wine explorer /desktop=$desktop,"${LOTSE_SCREEN:-1280x1024}" \
        "$LOTSE_WIN_BUILD/lotse_testhelper.exe" keep-desktop 16 \
        >"$keeper_out/out$1" 2>>"$keeper_out/err" </dev/null &
}
keep_desktop() {
    [ -n "$desktop" ] || return 0
    local starter= wait
    # Started once; every caller (also one in the background) waits for it.
    if mkdir "$keeper_out" 2>/dev/null; then
        starter=1
        start_keeper 1
    fi
    for wait in $(seq 1 500); do
        keeper_running && return 0
        if [ -n "$starter" ] && [ "$wait" -eq 200 ]; then
            echo "repeating: starting the desktop keeper again, it did not start in 20 s;" \
                "processes:" $(prefix_programs | sort | uniq -c | tr '\n' ' ') \
                "Wine said:" $(keeper_said) >&2
            start_keeper 2
        fi
        sleep 0.1
    done
    fail "the desktop keeper did not start"
}

# Starts lotse.exe in the desktop and waits until its (hidden) main window
# exists. When Wine could not start the process at all it is started once more,
# and said so; a lotse.exe that started and ended is a failure.
lotse_start_in_desktop() {
    local out="$shots/$journey.lotse.out" try refused
    for try in 1 2; do
        start_in_desktop lotse "$lotse_exe"
        for _ in $(seq 1 300); do
            [ "$(lotse_count)" -eq 1 ] && break 2
            grep -q "^could not start\|ended, exit code" "$out" 2>/dev/null && break
            sleep 0.1
        done
        refused=$(grep "^could not start" "$out" 2>/dev/null)
        [ "$try" -eq 1 ] && [ -n "$refused" ] || fail "lotse.exe did not start"
        echo "repeating: starting lotse.exe again, Wine said: $refused" >&2
    done
    lotse_wait_window "$title" 300 >/dev/null || fail "the main window was not created (version gate?)"
}

# "Beenden" from the tray menu; waits until lotse.exe has ended.
lotse_quit() {
    helper command "$title" 40003 >/dev/null || fail "could not send Beenden"
    lotse_wait_count 0 300 || fail "lotse.exe did not end"
}

# Pause with the pointer at X Y (keys reach the window under it) shows the main window.
press_pause() {
    xdotool mousemove "$1" "$2"
    sleep 0.3
    xdotool keydown Pause
    sleep 0.3
    xdotool keyup Pause
    lotse_wait_visible "$title" || fail "Pause did not show the main window"
}

# The test helper (tests/win/helper), working on the desktop's windows, with
# its exit code. It is started directly and opens the desktop by its name.
# Started through `wine explorer /desktop=lotse` (start.exe, explorer.exe,
# then the helper) it ran on whatever desktop that explorer got for the name:
# when Wine had dropped the name of the running desktop (its close timer had
# fired while programs still ran on it), a new, empty "lotse" desktop, where
# every window looked missing and only the explorer's "Default IME" showed. Now
# that case fails with exit code 4 and "no desktop lotse" in the helper log.
# A journey without a virtual desktop (desktop empty) asks on the helper's own.
# A call ends after a minute (LOTSE_HELPER_LIMIT seconds; exit code 124) with
# lines saying where it and the Wine servers stood: Wine twice left a call in
# the scaling journeys waiting for minutes, one that sends no message at all.
# One that only asks is asked once more, and said so; one that acts is not
# repeated.
helper() {
    local status
    helper_call "$@"
    status=$?
    [ "$status" -eq 124 ] || return "$status"
    case $1 in
    rect | item-rect | item-text | visible | class-window | class-count | focus | monitors)
        echo "repeating: asking \"$*\" again" >&2
        helper_call "$@"
        ;;
    *) return "$status" ;;
    esac
}
helper_call() {
    local out pid watcher status
    out=$(mktemp)
    wine "$LOTSE_WIN_BUILD/lotse_testhelper.exe" ${desktop:+--desktop "$desktop"} "$@" \
        >"$out" 2>>"$helper_log" &
    pid=$!
    (
        trap 'kill "$nap" 2>/dev/null; exit 0' TERM
        sleep "${LOTSE_HELPER_LIMIT:-60}" &
        nap=$!
        wait "$nap"
        echo "the helper's \"$*\" did not return within ${LOTSE_HELPER_LIMIT:-60} s"
        wine_threads "$pid" helper
        wine_state
        kill -KILL "$pid"
    ) >&2 2>/dev/null &
    watcher=$!
    wait "$pid"
    status=$?
    kill "$watcher" 2>/dev/null
    wait "$watcher" 2>/dev/null
    tr -d '\r' <"$out"
    rm -f "$out"
    [ "$status" -ne 137 ] || status=124
    return "$status"
}

# TITLE [CLASS]: waits until the keys go to the window titled TITLE (to a
# control of that class in it when CLASS is given): the foreground window and
# its focus, as the test helper reads them, and the X input focus, through
# which the X server hands the keys to Wine. Xvfb runs without a window
# manager, so only Wine moves the X focus, and now and then (after a click
# into Notepad while the recorder runs, nearly always) it leaves it on the
# window before although the program has activated TITLE and focused its
# control (what Windows hands the keys by); the keys typed then go nowhere.
# After 3 s of that the journey gives TITLE the X focus, as a window manager
# would, and says so; the program's own part, the foreground window and its
# focus, is never helped.
keys_reach() {
    local focus xfocus start=$SECONDS wrong_since= given=
    for _ in $(seq 1 30); do
        focus=$(helper focus)
        xfocus=$(xdotool getwindowfocus getwindowname 2>/dev/null)
        if grep -qx "foreground [^:]*:-\?[0-9]*:$1" <<<"$focus" &&
            grep -q "^focus ${2:-[^-]}" <<<"$focus"; then
            if [ "$xfocus" = "$1" ]; then
                [ $((SECONDS - start)) -lt 2 ] || echo "the keys reach $1 after $((SECONDS - start)) s"
                return 0
            fi
            : "${wrong_since:=$SECONDS}"
            if [ $((SECONDS - wrong_since)) -ge 3 ] && [ -z "$given" ]; then
                echo "giving the X focus to $1: Wine left it on \"$xfocus\" although $1 is active" >&2
                timeout 10 xdotool search --name "^$1\$" windowfocus --sync %1 2>/dev/null
                given=1
            fi
        else
            wrong_since=
        fi
        sleep 0.3
    done
    fail "the keys do not reach $1${2:+ ($2)}: $(tr '\n' ' ' <<<"$focus")X focus \"$xfocus\""
}

# TITLE [ID]: "x y width height" of the window or of its control ID; asked
# again (and said so) when a window that just came to the front does not
# answer at once.
rect_of() {
    local rect try
    for try in 1 2 3; do
        if [ $# -eq 2 ]; then rect=$(helper item-rect "$1" "$2"); else rect=$(helper rect "$1"); fi
        [ -n "$rect" ] && break
        [ "$try" -lt 3 ] &&
            echo "repeating: asking for the rectangle of $* because the helper gave none ($(tail -n 1 "$helper_log"))" >&2
        sleep 0.5
    done
    echo "$rect"
}

# TITLE [ID]: moves the mouse to the middle of it.
point_to() {
    local x y w h
    read -r x y w h < <(rect_of "$@")
    [ -n "${h:-}" ] || fail "no window or control: $*"
    xdotool mousemove $((x + w / 2)) $((y + h / 2))
}

# TITLE [ID]: points at it, lets a hover or a frame find it, clicks.
click_on() {
    point_to "$@"
    sleep 0.8
    xdotool click 1
    sleep 0.5
}

# TITLE NAME [EXTRA]: saves the desktop cut to the window, grown by EXTRA
# pixels downwards, as NAME.
shoot_window() {
    local x y w h
    read -r x y w h < <(rect_of "$1")
    [ -n "${h:-}" ] || fail "could not read the position of \"$1\""
    import -window root "$shots/desktop.png" || fail "no screenshot"
    convert "$shots/desktop.png" -crop "${w}x$((h + ${3:-0}))+${x}+${y}" +repage "$shots/$2" ||
        fail "could not crop $2"
    echo "screenshot: $shots/$2"
}

# The screen colour at X Y as "r g b" (the screen is kept in screen.png).
colour_at() {
    import -window root "$shots/screen.png" || fail "no screenshot"
    convert "$shots/screen.png" -format "%[fx:int(255*p{$1,$2}.r)] %[fx:int(255*p{$1,$2}.g)] %[fx:int(255*p{$1,$2}.b)]" info:
}

# r g b: the overlay's box, blended or not.
green() { [ "$2" -ge 150 ] && [ "$2" -ge $(($1 + 60)) ] && [ "$2" -ge $(($3 + 60)) ]; }

# TITLE [ID]: the frame lies over the window or control and not left of it.
expect_frame() {
    local x y w h r g b
    read -r x y w h < <(rect_of "$@")
    [ -n "${h:-}" ] || fail "no window or control: $*"
    read -r r g b < <(colour_at $((x + w / 2)) $((y + h / 2)))
    green "$r" "$g" "$b" || fail "no frame over $* at $x $y ${w}x$h (colour $r $g $b)"
    read -r r g b < <(colour_at $((x - 12)) $((y + h / 2)))
    green "$r" "$g" "$b" && fail "the frame reaches beyond the left edge of $*"
    echo "frame over $* at $x $y ${w}x$h"
}

# KEY NAME: the data of a registry value (nothing when it is missing).
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^    $2    REG_[A-Z_]*    //p"
}
# The autostart value that Lotse's settings write.
autostart_value() { reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' Lotse; }

# Waits until control ID of window TITLE says TEXT.
wait_text() {
    local text
    for _ in $(seq 1 50); do
        text=$(helper item-text "$1" "$2")
        [ "$text" = "$3" ] && return 0
        sleep 0.2
    done
    fail "$1 ($2) says \"$text\", not \"$3\""
}

# SOFTWARE QUESTION: asks the question in German about that software with the
# driver's ask; sets ticket to the new ticket's id.
ask_ticket() {
    ticket=$(lotse_in_desktop "$driver" ask "$1" 1 "$2" 2>/dev/null | tr -d '\r')
    [ -n "$ticket" ] || fail "the ticket could not be created"
}

# The recorder's button 1009 starts and stops a recording, saying what it does
# next; 1022 saves the recording.
recorder="Lösung aufnehmen"
start_recording() {
    click_on "$recorder" 1009
    wait_text "$recorder" 1009 "Aufnahme stoppen"
}
save_recording() {
    click_on "$recorder" 1009
    wait_text "$recorder" 1009 "Aufnahme starten"
    click_on "$recorder" 1022
    lotse_wait_visible "Aufnahme gespeichert" 100 || fail "the recording was not saved"
}

# The service's ticket list.
stored_tickets() {
    curl -s --max-time 10 -X POST "https://localhost:$LOTSE_SERVICE_PORT/gettickets.php" \
        --data-urlencode "code=$code"
}

# TICKET FIELD: a field of one of the service's tickets.
ticket_field() {
    stored_tickets | grep -o "\"$1\":{[^{}]*}" | grep -o "\"$2\":\"[^\"]*\"" | cut -d'"' -f4
}

# SOFTWARE LOCALE: how many tickets the question list offers for the software
# in that language (solved or confirmed); other journeys may have added some.
offered_tickets() {
    stored_tickets | grep -o '"[0-9]*":{[^{}]*}' | awk -v sw="$1" -v loc="$2" '
        function field(name) {
            if (!match($0, "\"" name "\":\"[^\"]*\""))
                return ""
            return substr($0, RSTART + length(name) + 4, RLENGTH - length(name) - 5)
        }
        {
            state = field("id_state")
            if ((state == "2" || state == "3") && field("id_locale") == loc &&
                index(";" field("software_list") ";", ";" sw ";"))
                n++
        }
        END { print n + 0 }'
}
