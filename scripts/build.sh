#!/usr/bin/env bash
# Configures and builds the Windows tree (MinGW-w64) and the native tree.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTSE_BUILD:-$top/build}
port=${LOTSE_SERVICE_PORT:-443}
build_number=${LOTSE_BUILD_NUMBER:-0}
jobs=$(nproc)

"$top/scripts/setup.sh"

cmake -S "$top" -B "$build/win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
    -DLOTSE_SERVICE_PORT="$port" -DLOTSE_BUILD_NUMBER="$build_number" >/dev/null
ninja -C "$build/win" -j "$jobs"

cmake -S "$top" -B "$build/native" -G Ninja -DLOTSE_WIN_BUILD_DIR="$build/win" \
    -DLOTSE_SERVICE_PORT="$port" >/dev/null
ninja -C "$build/native" -j "$jobs"
