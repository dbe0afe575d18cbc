#!/usr/bin/env bash
# Dependents-walk benchmarks, each the walk side by side with a baseline in one run:
# - simulated registry of 200 / 1,000 / 5,000 services (Google Benchmark): the one-pass walk
#   against the per-name reference walk;
# - the real registry of a Wine prefix with 1,000 extra service keys: the walk against one bare
#   scan of every service key (and the reference walk).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"

cmake --preset host >/dev/null
cmake --build --preset host -j2 --target bench_collect_dependents >/dev/null
json=$(mktemp)
build/host/bench/bench_collect_dependents --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$json" --benchmark_out_format=json
python3 - "$json" <<'PY'
import json, sys
rows = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    name, size = b["run_name"].split("/")
    rows.setdefault(int(size), {})[name] = b
print("\nsimulated registry, medians of 3 repetitions")
print("| services | walk | reference walk | reference / walk | dependents found |")
print("|---|---|---|---|---|")
for size in sorted(rows):
    walk, ref = rows[size]["BM_Walk"], rows[size]["BM_ReferenceWalk"]
    print(f"| {size:,} | {walk['real_time']:.2f} ms | {ref['real_time']:.1f} ms | "
          f"{ref['real_time'] / walk['real_time']:.0f} x | {int(walk['collected'])} |")
PY
rm -f "$json"

# The switch in the simulation's virtual time, against the sequential baselines and the
# critical path; one iteration each (virtual time does not vary).
cmake --build --preset host -j2 --target bench_switch >/dev/null
json=$(mktemp)
build/host/bench/bench_switch --benchmark_out="$json" --benchmark_out_format=json >/dev/null
python3 - "$json" <<'PY'
import json, sys
shapes = ["flat", "chain of 5", "diamond"]
print("\nswitch off / on, virtual seconds (every service 0.2 s to stop and to start)")
print("| shape | dependents | switch off | on | sequential 1 s polls off | on | sequential 250 ms polls off | on | critical path | goal 1.2 x path + 0.1 | 1 s polls / switch |")
print("|---|---|---|---|---|---|---|---|---|---|---|")
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    parts = dict(p.split(":") for p in b["run_name"].split("/")[1:] if ":" in p)
    goal = 1.2 * b["path_s"] + 0.1
    ok = "met" if max(b["off_s"], b["on_s"]) <= goal + 1e-9 else "MISSED"
    print(f"| {shapes[int(parts['shape'])]} | {parts['dependents']} | {b['off_s']:.2f} | {b['on_s']:.2f} | "
          f"{b['seq1s_off_s']:.2f} | {b['seq1s_on_s']:.2f} | {b['seq250_off_s']:.2f} | {b['seq250_on_s']:.2f} | "
          f"{b['path_s']:.2f} | {goal:.2f} ({ok}) | {b['seq1s_off_s'] / b['off_s']:.1f} x |")
PY
rm -f "$json"

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
wine "$bench" walk 9 | tr -d '\r'
