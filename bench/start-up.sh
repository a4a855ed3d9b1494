#!/usr/bin/env bash
# Lotse's start as the user waits for it, under Wine against a local service
# holding 100 000 tickets (the demo data and made-up tickets, about 25 MB of
# gettickets.php reply): from starting lotse.exe to the main window ready to
# search (its "ready to search" debug line), split as lotse.exe reports it to
# the debugger: Wine's part (until lotse.exe's process exists), the program's
# own until its run begins (before), the version check, preparing (first-run
# registration, DPI awareness, UI Automation), the three small lists, and the
# main window (and the part of it spent waiting for the ticket list); then the
# working set (resident memory) of lotse.exe. The ticket list downloads (gzip-
# compressed, as the service sends it to Lotse) beside
# the version check and the other lists, and is read while it arrives: its
# columns are the time from its start (the program's, just after the check for
# another instance) to its last byte, and the reading left after that byte.
# Anchors in the same run, the download alone: the same gettickets.php request
# by curl on loopback, and by a Wine process that does nothing else
# (lotse_winbench.exe download, started as lotse.exe is, through the program's
# own transport), from its start to its last byte. Goal: the start within 2x
# the download; the ratio is given against both anchors.
# LOTSE_STARTUP_RUNS sets the number of starts (default 3); the first one also
# warms the Wine prefix and is shown apart. LOTSE_STARTUP_LOTSE names another
# lotse.exe to start (an earlier build, to compare). Afterwards, on the same
# reply: its reading alone, and typing into a question box over its tickets.
# LOTSE_STARTUP_LINK=RATE (say 100mbit) limits loopback to that rate for the
# starts and the anchors, as a link to a service elsewhere would (tc's token
# bucket on lo, taken off at the end; needs root).
# Needs LOTSE_TOP and LOTSE_WIN_BUILD; scripts/bench.sh sets them.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
lotse_exe=${LOTSE_STARTUP_LOTSE:-$lotse_exe}
runs=${LOTSE_STARTUP_RUNS:-3}
link=${LOTSE_STARTUP_LINK:-}
tickets=100000
tls=${LOTSE_TLS_DIR:-/usr/local/share/lotse-dev-ca}
native=$(dirname "$LOTSE_WIN_BUILD")/native
port=$(sed -n 's/^LOTSE_SERVICE_PORT:STRING=//p' "$native/CMakeCache.txt")
service="$native/server/lotse-service"
[ -x "$service" ] || fail "$service is not built"

work=$(mktemp -d)
service_pid=
cleanup() {
    if [ -n "$service_pid" ]; then
        kill "$service_pid" 2>/dev/null
        wait "$service_pid" 2>/dev/null
    fi
    [ -z "$link" ] || tc qdisc del dev lo root 2>/dev/null
    lotse_wine_cleanup
    rm -rf "$work"
}
trap cleanup EXIT

# The demo data, and tickets after its last one up to $tickets: questions of 6
# to 14 words in three languages, states 1 to 4, one or two software entries.
data="$work/data.jsonl"
cp "$LOTSE_TOP/server/demo-data.jsonl" "$data"
first=$(($(grep -c '"table":"ticket"' "$data") + 1))
awk -v first="$first" -v last="$tickets" 'BEGIN {
    n = split("Wie kann ich ein Dokument drucken speichern Tabelle Zelle Formel einfügen Seite " \
              "Rand Schrift ändern Fenster schließen Menü Datei öffnen Export PDF Bild Diagramm " \
              "Vorlage Makro Filter sortieren Spalte Zeile löschen markieren kopieren Format " \
              "Absatz Tastatur Kürzel Ansicht Zoom Drucker Netzwerk Konto Passwort Update " \
              "Fehler Meldung Option Einstellung", words, " ")
    srand(7)
    for (id = first; id <= last; ++id) {
        q = ""
        for (w = 6 + int(rand() * 9); w > 0; --w)
            q = q (q == "" ? "" : " ") words[1 + int(rand() * n)]
        printf "{\"created\":\"2025-11-%02d 10:%02d:00\",\"hw_guid\":\"{00000000-0000-0000-0000-%012d}\",\"id\":\"%d\",\"id_locale\":\"%d\",\"id_operating_system\":\"%d\",\"id_state\":\"%d\",\"question\":\"%s?\",\"table\":\"ticket\",\"username\":\"bench\"}\n",
            1 + id % 28, id % 60, id, id, 1 + int(rand() * 3), 1 + int(rand() * 5),
            1 + int(rand() * 4), q
    }
    for (id = first; id <= last; ++id) {
        s = 2 + int(rand() * 12)
        printf "{\"id_software\":\"%d\",\"id_ticket\":\"%d\",\"table\":\"ticket_software\"}\n", s, id
        if (rand() < 0.2)
            printf "{\"id_software\":\"%d\",\"id_ticket\":\"%d\",\"table\":\"ticket_software\"}\n",
                2 + (s - 1) % 12, id
    }
}' >>"$data"
"$service" --db "$work/service.db" --seed-demo --demo-data "$data" >/dev/null ||
    fail "seeding $tickets tickets failed"
if ss -ltnH "sport = :$port" 2>/dev/null | grep -q .; then
    fail "port $port is in use"
fi
"$service" --db "$work/service.db" --port "$port" --cert "$tls/localhost.crt" \
    --key "$tls/localhost.key" >"$work/service.log" 2>&1 &
service_pid=$!
for _ in $(seq 1 100); do
    curl -s --max-time 2 "https://localhost:$port/curversion.php" >/dev/null && break
    sleep 0.1
done

if [ -n "$link" ]; then
    tc qdisc add dev lo root tbf rate "$link" burst 256kb latency 100ms ||
        fail "could not limit loopback to $link"
fi

# Milliseconds in $now, read without a process of its own (bash's
# microseconds, whatever the locale's decimal sign).
clock() {
    now=${EPOCHREALTIME//[!0-9]/}
    now=$((10#$now / 1000))
}
now_ms() { clock && echo "$now"; }
# A pipe nobody writes to: reading it with a timeout is a pause that starts no
# process.
mkfifo "$work/idle"
exec {idle}<>"$work/idle"

# Wine 8 reports OutputDebugStringW on the channel seh, class warn (the A form
# on debugstr): both are asked for, and nothing else.
debugger=-all,warn+seh,warn+debugstr
# What the program's debugger lines look like in Wine's log.
said() { grep -E 'OutputDebugString[AW] ' "$1" | sed 's/^[0-9a-f]*:warn:[a-z]*:OutputDebugString[AW] //'; }

# The run did not reach "ready to search": what was seen instead, then fail.
not_ready() {
    {
        echo "lotse.exe not ready after $(($(now_ms) - started)) ms (run $run), WINEDEBUG=$debugger"
        echo "lotse.exe processes: $(lotse_count); main window: $(xdotool search --name "^$title\$" 2>/dev/null | head -n1 || true)"
        echo "its debugger lines:"
        said "$log" | tail -n 5 | sed 's/^/  /'
        echo "last lines of Wine's log ($(wc -l <"$log") lines):"
        tail -n 5 "$log" | sed 's/^/  /'
        echo "service log:"
        tail -n 3 "$work/service.log" | sed 's/^/  /'
    } >&2
    fail "lotse.exe never became ready (run $run)"
}

# The anchor: the reply alone, as curl fetches it on loopback.
download_ms() {
    curl -s -o "$work/reply" -w '%{time_total}\n' --data "code=$code" \
        "https://localhost:$port/gettickets.php" | awk '{ printf "%d", $1 * 1000 }'
}

# The other anchor: the download alone under Wine, from starting its process
# to the line it writes at the last byte.
wine_download_ms() {
    local from
    from=$(now_ms)
    lotse_in_desktop "$LOTSE_WIN_BUILD/lotse_winbench.exe" download 2>/dev/null </dev/null |
        tr -d '\r' | {
        IFS= read -r line
        case "$line" in
        "download: $bytes bytes"*) echo $(($(now_ms) - from)) ;;
        *) echo "the download alone under Wine said: ${line:-nothing}" >&2 ;;
        esac
        cat >/dev/null
    }
}

printf 'start-up of lotse.exe under Wine, %d tickets, %d runs%s\n' "$tickets" "$runs" \
    "${link:+, loopback limited to $link}"
printf '%-5s %8s %8s %7s %8s %8s %6s %7s %5s %9s %10s %7s %8s %8s %8s %8s\n' run start_ms \
    process before version prepare lists window wait download read_tail rss_MB curl_ms ceiling \
    wine_ms ceiling
results="$work/results"
: >"$results"
for run in $(seq 1 "$runs"); do
    anchor=$(download_ms)
    bytes=$(stat -c %s "$work/reply")
    wine_anchor=$(wine_download_ms)
    [ -n "$wine_anchor" ] || fail "the download alone under Wine did not finish (run $run)"
    log="$work/debug-$run.log"
    : >"$log"
    exec {logfd}<"$log"
    clock
    started=$now
    WINEDEBUG=$debugger lotse_in_desktop "$lotse_exe" 2>"$log" >/dev/null &
    # The moment a line appears is the moment of its event, to a poll's step.
    # The looks cost no process of their own: a process started 50 times a
    # second would take a share of the two cores from the start it watches.
    ready=
    process=
    partial=
    polls=0
    while clock && [ $((now - started)) -lt 300000 ]; do
        while IFS= read -r line <&"$logfd"; do
            line=$partial$line
            partial=
            case $line in
            # Wine's own part: until the helper has lotse.exe's process.
            *'started process '*) [ -n "$process" ] || { clock && process=$((now - started)); } ;;
            *'ready to search'*) clock && ready=$now && break 2 ;;
            esac
        done
        partial+=$line # a line still being written
        # A lotse.exe that ended (or never came) will not get ready: said at once.
        if [ $((++polls % 50)) -eq 0 ] && [ $((now - started)) -gt 60000 ] &&
            [ "$(lotse_count)" -eq 0 ]; then
            break
        fi
        read -r -t 0.02 -u "$idle" || true
    done
    exec {logfd}<&-
    [ -n "$ready" ] || not_ready
    steps=$(said "$log" | grep -m1 -o 'downloaded in [0-9]* ms, [0-9]* tickets read and catalogued [0-9]* ms after the last byte')
    read -r down count reading <<<"$(echo "$steps" | tr -cs '0-9' ' ')"
    [ "${count:-0}" -ge "$tickets" ] || fail "lotse.exe read ${count:-no} tickets (run $run)"
    steps=$(said "$log" | grep -m1 -o 'ready to search, [0-9]* ms after the start of run: version check [0-9]* ms, preparing [0-9]* ms, catalogues [0-9]* ms, main window [0-9]* ms, [0-9]* of them waiting for the tickets')
    read -r inrun version prepare catalogues window wait <<<"$(echo "$steps" | tr -cs '0-9' ' ')"
    [ -n "${window:-}" ] || fail "lotse.exe did not say how its start went (run $run)"
    sleep 1 # what the start left behind is freed, as a user's next look finds it
    rss=0
    for pid in $(lotse_pids); do
        rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
    done
    total=$((ready - started))
    process=${process:-0}
    before=$((total - process - inrun))
    printf '%-5s %8d %8d %7d %8d %8d %6d %7d %5d %9d %10d %7.1f %8d %8d %8d %8d\n' "$run" \
        "$total" "$process" "$before" "$version" "$prepare" "$catalogues" "$window" "$wait" \
        "$down" "$reading" "$(awk -v kb="$rss" 'BEGIN { print kb / 1024 }')" "$anchor" \
        $((2 * anchor)) "$wine_anchor" $((2 * wine_anchor))
    echo "$run $total $anchor $wine_anchor" >>"$results"
    lotse_quit
done
printf 'reply: %d bytes, %d compressed\n' "$bytes" "$(curl -s --compressed -o /dev/null \
    -w '%{size_download}' --data "code=$code" "https://localhost:$port/gettickets.php")"
# The goal over the warm starts (every start when there is only one).
awk -v runs="$runs" '$1 > 1 || runs == 1 {
        n++; curl += $2 > 2 * $3; wine += $2 > 2 * $4
        ratio = $2 / $4; least = n == 1 || ratio < least ? ratio : least
        most = n == 1 || ratio > most ? ratio : most
    }
    END {
        printf "goal (start within 2x the download alone), met in how many warm starts: "
        printf "against curl %d of %d, against the Wine process %d of %d (start %.2f-%.2fx of it)\n",
            n - curl, n, n - wine, n, least, most
    }' "$results"
# The read alone, on the same bytes in a process of its own: what is left of
# it once the start's other work is not around it.
wine "$LOTSE_WIN_BUILD/lotse_winbench.exe" ticket-list "$(winepath -w "$work/reply")" 2>/dev/null |
    sed 's/^/without the start, /'
# Typing into a question box like the main window's over the same tickets: each
# keystroke with what it leaves to paint, and the one that empties an open list.
wine "$LOTSE_WIN_BUILD/lotse_winbench.exe" typing "$(winepath -w "$work/reply")" 2>/dev/null |
    grep 'worst keystroke'

