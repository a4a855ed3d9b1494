# Sourced by the end-to-end scripts after scripts/wine-env.sh: the main
# window's title, the screenshot folder, and lotse.exe started in a Wine
# virtual desktop (with a taskbar and a notification area) as a user has it.
source "$LOTSE_TOP/tests/win/process-tools.sh"
title="Lotse - 1.0.2"
shots=${LOTSE_SCREENSHOTS:-$(dirname "$LOTSE_WIN_BUILD")/screenshots}
mkdir -p "$shots"

# Runs a Windows program inside the same desktop (made at 1280x1024 when it
# does not exist yet).
lotse_in_desktop() { wine explorer /desktop=lotse,1280x1024 "$@"; }

# Starts lotse.exe in the desktop and waits until its (hidden) main window exists.
lotse_start_in_desktop() {
    wine explorer /desktop=lotse,1280x1024 "$lotse_exe" >/dev/null 2>&1 &
    lotse_wait_count 1 300 || fail "lotse.exe did not start"
    lotse_wait_window "$title" 300 >/dev/null || fail "the main window was not created (version gate?)"
}
