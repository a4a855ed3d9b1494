#!/usr/bin/env bash
# Lotse at 150 % scaling: see dpi-scaling.sh.
set -uo pipefail
export LOTSE_DPI=144 LOTSE_SCREEN=1920x1536
source "$LOTSE_TOP/tests/e2e/dpi-scaling.sh"
