#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine in a throwaway prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"
source scripts/wine_env.sh
trap 'wine_prefix_end' EXIT
wine_prefix_new run
demo=build/windows/tools/demo/tarnwick-demo.exe
if [ -f "$demo" ]; then
  echo "sharing state:"; wine "$demo" query || true
  echo "switching:";     wine "$demo" switch || true
  echo "sharing state:"; wine "$demo" query || true
else
  echo "nothing to run yet: build produced no demo"
fi
