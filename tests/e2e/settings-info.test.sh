#!/usr/bin/env bash
# "Einstellungen" and "Info" from the tray menu of a running Lotse in a Wine
# desktop, used as a user would: ticking "Automatisch mit Windows starten" with
# the mouse writes the autostart value and shortcut at once, unticking removes
# them, "OK" closes. Saves settings.png and info.png, and new-version.png: the
# "Neue Version verfügbar" dialog that a service naming version 1.0.3 brings up
# (new-version-offline.png: the same without an answer, with the retry button).
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
source "$LOTSE_TOP/tests/win/newer-service.sh"

# Clicks the middle of the check box's square (its left end).
click_box() {
    local x y w h
    read -r x y w h < <(rect_of "$1" "$2")
    [ -n "${h:-}" ] || fail "could not read the position of control $2 of \"$1\""
    xdotool mousemove $((x + 6)) $((y + h / 2))
    sleep 0.2
    xdotool click 1
    sleep 0.5
}

startup_link() { find "$WINEPREFIX/drive_c/users" -ipath '*/Startup/Lotse.lnk' 2>/dev/null | head -n1; }

lotse_start_in_desktop
sleep 1

# The very first start in this prefix registered autostart; the user may have
# changed it since. Whatever it is, the test leaves it so.
initial_value=$(autostart_value)

helper command "$title" 40005 >/dev/null || fail "could not send a command to $title" # tray menu "Einstellungen"
lotse_wait_visible "Einstellungen" || fail "Einstellungen did not open"
sleep 0.5
# Two clicks: one ticks, the other unticks (the picture shows the ticked box).
for _ in 1 2; do
    before=$(autostart_value)
    click_box "Einstellungen" 1047
    # The value comes first, the shortcut after it through COM: under load
    # Wine takes more than a second for both. The box is clicked once.
    for _ in $(seq 1 10); do
        after=$(autostart_value)
        if [ -z "$before" ]; then
            [ -n "$after" ] && [ -n "$(startup_link)" ] && break
        else
            [ -z "$after" ] && [ -z "$(startup_link)" ] && break
        fi
        sleep 0.5
    done
    if [ -z "$before" ]; then
        [[ "$after" == '"'*'\lotse.exe"' ]] ||
            fail "ticking did not write the quoted program path (got '$after')"
        [ -n "$(startup_link)" ] || fail "ticking did not make Lotse.lnk in the Startup folder"
        echo "ticked: Run value $after, shortcut $(startup_link)"
        shoot_window "Einstellungen" settings.png
    else
        [ -z "$after" ] || fail "unticking left the autostart value"
        [ -z "$(startup_link)" ] || fail "unticking left Lotse.lnk in the Startup folder"
        echo "unticked: Run value and shortcut removed"
    fi
done
[ "$(autostart_value)" = "$initial_value" ] || fail "two clicks did not restore the autostart state"
click_on "Einstellungen" 1 # "OK"
sleep 0.5
lotse_is_visible "Einstellungen" && fail "OK did not close Einstellungen"

helper command "$title" 40012 >/dev/null || fail "could not send a command to $title" # tray menu "Info"
lotse_wait_visible "Info" || fail "Info did not open"
sleep 0.5
shoot_window "Info" info.png
helper command "Info" 2 >/dev/null || fail "could not send a command to Info"
sleep 0.5
lotse_is_visible "Info" && fail "Info did not close"

lotse_quit

# The new-version dialog of the version gate test, held open long enough for
# a picture: $1 the test, $2 the picture, further arguments for the test.
gate_dialog_picture() {
    local test=$1 picture=$2 report
    shift 2
    report="$newer_service_dir/$test.xml"
    start_in_desktop "$test" "$LOTSE_WIN_BUILD/lotse_wintests.exe" --gtest_filter="VersionGateTest.$test" \
        --hold-dialog-ms=4000 --gtest_output="xml:$(winepath -w "$report")" "$@"
    lotse_wait_visible "$dialog" 200 || fail "the new-version dialog did not appear ($test)"
    sleep 1
    shoot_window "$dialog" "$picture"
    for _ in $(seq 1 300); do
        grep -q '^launcher ended' "$shots/$journey.$test.out" && break
        sleep 0.1
    done
    grep -q 'tests="1" failures="0"' "$report" || fail "$test failed: $(cat "$report")"
    grep -q 'skipped="0"' "$report" || fail "$test was skipped"
}
dialog=$(printf 'Neue Version verf\xc3\xbcgbar')
newer_service_start 1.0.3 || fail "the second service did not start"
gate_dialog_picture NewerVersionShowsBothVersionsAndEndsStartUp new-version.png \
    --newer-service-port="$newer_service_port"
gate_dialog_picture UnreachableServiceWaitsFiveTimesThenOffersRetryUntilClosed new-version-offline.png
echo "settings, info and new version: done"
