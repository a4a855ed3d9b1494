# Sourced by the tests of LotseSetup.exe instead of scripts/wine-env.sh. Each
# test gets a Wine prefix of its own, made now (nothing of Lotse was ever in
# it) and removed at the end, the X server and desktop helpers of
# tests/e2e/desktop.sh, and names for where the setup puts things; lotse_pids
# and the waits of tests/win/process-tools.sh watch the installed lotse.exe.
export LOTSE_WINEPREFIX="$(dirname "$LOTSE_WIN_BUILD")/wineprefix-$(basename "$0" .test.sh)"
# Wine's menu builder would copy the Start-menu shortcut into the menus of the
# Linux desktop, outside the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
(
    export WINEPREFIX=$LOTSE_WINEPREFIX
    source "$LOTSE_TOP/scripts/wine-prefix.sh"
    lotse_end_prefix
)
rm -rf "$LOTSE_WINEPREFIX"
source "$LOTSE_TOP/scripts/wine-env.sh"
source "$LOTSE_TOP/tests/e2e/desktop.sh"
trap 'lotse_wine_cleanup; rm -rf "$WINEPREFIX"' EXIT

setup="$LOTSE_WIN_BUILD/LotseSetup.exe"
next_setup="$LOTSE_WIN_BUILD/LotseSetup-nextbuild.exe" # the same program, next build number
packed="$LOTSE_WIN_BUILD/setup-files/LotseSetup/lotse.exe" # what each one installs
next_packed="$LOTSE_WIN_BUILD/setup-files/LotseSetup-nextbuild/lotse.exe"

user=$(id -un)
profile="$WINEPREFIX/drive_c/users/$user"
install_dir="$profile/AppData/Local/Programs/Lotse"
win_install_dir="C:\\users\\$user\\AppData\\Local\\Programs\\Lotse"
lotse_exe="$win_install_dir\\lotse.exe" # as the setup starts it, and the tests too
menu_link="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Lotse.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lotse'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
app_key='HKCU\Software\Lotse'
setup_title="Installation von Lotse"
uninstall_title="Deinstallation von Lotse"

# Opens the Wine desktop (with its keeper as its first program) and waits for it.
open_desktop() {
    keep_desktop
    lotse_wait_window "lotse - Wine desktop" 300 >/dev/null || fail "the Wine desktop did not open"
}

# The Startup folder's shortcut that Lotse makes on its first run.
startup_link() { find "$profile" -ipath '*/Start Menu/Programs/StartUp/Lotse.lnk' 2>/dev/null; }

reg_key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# Lotse's icons in the notification area. Without a virtual desktop Wine shows
# them in a tray window of its own, each icon a window of this class.
tray_icons() { lotse_helper class-count __winex11_tray_icon | tr -d '\r'; }

# The prefix's files and folders, to compare before and after.
prefix_files() { (cd "$WINEPREFIX" && find drive_c | sort); }

# What WinINet makes for itself on its first use: its empty stores.
wininet_stores='^drive_c/users/[^/]*/AppData/Local/Microsoft/Windows/INet(Cache|Cookies)(/Content\.IE5)?(/index\.dat)?$'

# BEFORE_FILE: after an uninstall, waits until the prefix holds exactly the files
# and folders it held before the install (the uninstaller's copy in TEMP goes
# last, after it has ended), and finds no registry key or value mentioning
# Lotse, and that none runs. Prints what it checked.
expect_nothing_left() {
    local before=$1 left
    for _ in $(seq 1 150); do
        left=$(diff "$before" <(prefix_files) | sed -n 's/^> //p' | grep -Ev "$wininet_stores")
        [ -z "$left" ] && break
        sleep 0.2
    done
    [ -z "$left" ] || fail "left behind in the prefix:"$'\n'"$left"
    diff "$before" <(prefix_files) | grep -q '^<' && fail "the uninstaller removed files it did not make:"$'\n'"$(diff "$before" <(prefix_files) | grep '^<')"
    local hive mentions
    for hive in HKCU HKLM; do
        wine reg export "$hive" "$WINEPREFIX/$hive.reg" /y >/dev/null 2>&1 || fail "could not export $hive"
        mentions=$(iconv -f UTF-16 -t UTF-8 "$WINEPREFIX/$hive.reg" | grep -i lotse)
        rm -f "$WINEPREFIX/$hive.reg"
        [ -z "$mentions" ] || fail "$hive still mentions Lotse:"$'\n'"$mentions"
    done
    [ "$(lotse_count)" -eq 0 ] || fail "lotse.exe still runs"
    echo "nothing left: the prefix holds the files and folders it held before the install" \
        "(program folder, its parent, Start-menu and Startup shortcuts, the uninstaller's copy in" \
        "TEMP, WinINet cache entries; WinINet's own empty stores aside); no key or value in" \
        "HKCU or HKLM mentions Lotse (uninstall entry, Software\\Lotse, the Run value);" \
        "no lotse.exe runs"
}
