#!/usr/bin/env bash
# Benchmarks: the core's Google Benchmark program (JSON parsing of a large
# ticket list, ticket search per keystroke, element search and trace building,
# the recorder's hover step and the navigator's guiding tick), the service's
# load figures with wrk on loopback, and under Wine the CPU of an idle Lotse and
# of a navigator waiting for a program, and how late the user's clicks reach a
# program and the next frame follows while Lotse guides, records and picks,
# how long Lotse takes to start with 100 000 tickets, and where the navigator's
# frame lands on changed versions of a recorded program. LOTSE_FUZZ_SECONDS=N
# also runs the JSON fuzzer for N s.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTSE_BUILD:-$top/build}

"$top/scripts/build.sh"
"$build/native/bench/lotse_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
"$top/bench/service-load.sh" "$build/native"
LOTSE_TOP="$top" LOTSE_WIN_BUILD="$build/win" "$top/bench/idle-cpu.sh"
LOTSE_TOP="$top" LOTSE_WIN_BUILD="$build/win" "$top/bench/navigator-wait-cpu.sh"
LOTSE_TOP="$top" LOTSE_WIN_BUILD="$build/win" "$top/bench/click-latency.sh"
# The start at 100 000 tickets, as the user waits for it.
LOTSE_TOP="$top" LOTSE_WIN_BUILD="$build/win" "$top/bench/start-up.sh"
LOTSE_TOP="$top" LOTSE_WIN_BUILD="$build/win" "$top/bench/search-variants.sh"
# The data grid: sorting 32 000 rows is in lotse_bench, painting them here.
LOTSE_TOP="$top" LOTSE_WIN_BUILD="$build/win" "$top/bench/grid-paint.sh"
if [ -n "${LOTSE_FUZZ_SECONDS:-}" ]; then
    mkdir -p "$build/native/tests/fuzz/json_parse_corpus"
    "$build/native/tests/fuzz/json_parse_fuzzer" -max_total_time="$LOTSE_FUZZ_SECONDS" -jobs=2 -workers=2 \
        -max_len=8192 -dict="$top/tests/fuzz/json.dict" \
        "$build/native/tests/fuzz/json_parse_corpus" "$top/tests/fuzz/corpus/json_parse"
fi
