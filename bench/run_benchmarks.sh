#!/usr/bin/env bash
# Builds the benchmark programs optimised (-O2, with symbols for perf) in build-bench/ and runs them:
# medians of 5 repetitions, JSON results in build-bench/results/, then the summary table.
#   DORIVAN_BENCH_ROWS=5000,50000   history sizes (default 5000,50000,500000)
#   extra arguments go to both programs, e.g. --benchmark_filter=Entry
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDORIVAN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target dorivan_bench dorivan_bench_window dorivan_bench_import
mkdir -p "$build/results"
# Repetitions of all benchmarks are interleaved in random order, so that a slow spell of the machine
# spreads over every benchmark and size instead of landing on one.
common=(--benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
    --benchmark_report_aggregates_only=true "$@")
export QT_QPA_PLATFORM=offscreen
echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/dorivan_bench_window" "${common[@]}" \
    --benchmark_out="$build/results/window.json" --benchmark_out_format=json
"$build/bench/dorivan_bench" "${common[@]}" \
    --benchmark_out="$build/results/engine.json" --benchmark_out_format=json
# The import reads the shared legacy folder's 50,000-row file and skips itself without it.
"$build/bench/dorivan_bench_import" "${common[@]}" \
    --benchmark_out="$build/results/import.json" --benchmark_out_format=json
echo "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 bench/summarise.py "$build/results/window.json" "$build/results/engine.json" \
    "$build/results/import.json"
