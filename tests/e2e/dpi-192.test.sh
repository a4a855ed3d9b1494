#!/usr/bin/env bash
# Lotse at 200 % scaling: see dpi-scaling.sh.
set -uo pipefail
export LOTSE_DPI=192 LOTSE_SCREEN=2560x2048
source "$LOTSE_TOP/tests/e2e/dpi-scaling.sh"
