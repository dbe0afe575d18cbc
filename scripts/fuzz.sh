#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (preset "fuzz") and runs each for a bounded time.
# FUZZ_SECONDS per target (default 30). Ends with "N passed, M failed", one count per target.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
mkdir -p build
targets=(srvstat_reader comma_text switch_command dependents_walk)
if ! { cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j2 $(printf -- '--target fuzz_%s ' "${targets[@]}") >build/fuzz-build.log 2>&1; }; then
  tail -n 30 build/fuzz-build.log
  echo "fuzz: 0 passed, ${#targets[@]} failed"
  exit 1
fi
passed=0
failed=0
for t in "${targets[@]}"; do
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$t/." "$work/"
  if build/fuzz/fuzz/fuzz_$t -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$work/" "$work" >"$work/log" 2>&1; then
    echo "fuzz_$t: clean for ${seconds} s ($(grep -Eo '#[0-9]+' "$work/log" | tail -n 1 | tr -d '#') runs)"
    passed=$((passed + 1))
  else
    echo "fuzz_$t: FAILED"; tail -n 30 "$work/log"
    mkdir -p build/fuzz/artifacts && cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* build/fuzz/artifacts/ 2>/dev/null
    failed=$((failed + 1))
  fi
  rm -rf "$work"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
