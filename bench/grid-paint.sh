#!/usr/bin/env bash
# The data grid under Wine with 32 000 rows: filling them through the window,
# painting one screen (at the top and scrolled far down) and a title click that
# sorts them and paints. Needs LOTSE_TOP and LOTSE_WIN_BUILD; scripts/bench.sh
# sets them.
set -uo pipefail
source "$LOTSE_TOP/scripts/wine-env.sh"
out=$(mktemp)
trap 'rm -f "$out"; lotse_wine_cleanup' EXIT

wine "$LOTSE_WIN_BUILD/lotse_winbench.exe" grid >"$out" 2>&1
rc=$?
grep '^grid ' "$out"
if [ "$rc" -ne 0 ]; then
    echo "grid figures: the benchmark failed"
    cat "$out"
    exit 1
fi
