#!/usr/bin/env bash
# Runs one Windows program of the Windows build tree under Wine and Xvfb and
# returns its exit code: wine-run.sh PROGRAM.exe [ARGS...]
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
wine "$@"
rc=$?
exit $rc
