#!/usr/bin/env bash
# Dependents-walk benchmarks: the simulated registry (Google Benchmark, 200 / 1,000 / 5,000
# services) and the real registry of a Wine prefix with 1,000 extra service keys.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"

cmake --preset host >/dev/null
cmake --build --preset host -j2 --target bench_collect_dependents >/dev/null
build/host/bench/bench_collect_dependents --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target tarnwick-win32-walk-bench >/dev/null
source scripts/wine_env.sh
trap 'wine_prefix_end' EXIT
bench=build/windows/tests/win32/sharing/tarnwick-win32-walk-bench.exe
started=$(date +%s.%N)
wine_prefix_new bench
booted=$(date +%s.%N)
wineserver -p
wine "$bench" populate 1000 | tr -d '\r'
populated=$(date +%s.%N)
printf 'Wine prefix: wineboot %.1f s, 1,000 extra service keys %.1f s (wine start-up included)\n' \
  "$(echo "$booted - $started" | bc)" "$(echo "$populated - $booted" | bc)"
wine "$bench" walk 5 | tr -d '\r'
