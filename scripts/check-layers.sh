#!/usr/bin/env bash
# Fails when a folder of the program includes from a folder above it. The
# folders, lowest first (each may use those before it, and resources/):
#   base dialogs input automation service controls recording playback app
# lotse-service (server/) uses base/ alone.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
layers=(base dialogs input automation service controls recording playback app)
rank() {
    local i
    for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
    echo -1
}
bad=0
for folder in "${layers[@]}" server; do
    while IFS=: read -r file line target; do
        used=${target%%/*}
        [ "$used" = resources ] && [ "$folder" != server ] && continue
        if [ "$folder" = server ]; then
            case "$used" in base | server) continue ;; esac
        else
            used_rank=$(rank "$used")
            [ "$used_rank" -ge 0 ] && [ "$used_rank" -le "$(rank "$folder")" ] && continue
        fi
        echo "$file:$line: $folder/ includes $target" >&2
        bad=1
    done < <(grep -rnoE '^#include "[a-z]+/[^"]+"' --include='*.cpp' --include='*.h' "$folder" |
        sed -E 's/:#include "/:/; s/"$//')
done
[ "$bad" -eq 0 ] && echo "layers: no folder includes from a folder above it"
exit "$bad"
