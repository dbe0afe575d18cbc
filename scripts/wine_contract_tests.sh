#!/usr/bin/env bash
# The platform contract (tests/contract) under Wine: the same cases the host tests run on the
# simulated machine, here against real services in a throwaway prefix, inside a Wine desktop
# under a private Xvfb (the shell's cases need a notification area).
# Usage: wine_contract_tests.sh BUILD_DIR   (the windows preset's build folder; builds nothing)
# Ends with one line "N passed, M failed"; exits non-zero on any failure.
set -uo pipefail
build=${1:?usage: wine_contract_tests.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_env.sh"
source "$here/wine_services.sh"
service=$build/tools/testservice/tarnwick-testservice.exe
tests=$build/tests/win32/contract/tarnwick-win32-contract-tests.exe
for f in "$service" "$tests"; do
  [ -f "$f" ] || { echo "missing $f"; echo "0 passed, 1 failed"; exit 1; }
done
cleanup() { wine_prefix_end; xvfb_stop; }
trap cleanup EXIT
started=$(date +%s)
xvfb_start 95
wine_prefix_new contract || { echo "0 passed, 1 failed"; exit 1; }
wineserver -p
out=$WINEPREFIX/drive_c/contract.txt
cp "$service" "$WINEPREFIX/drive_c/testservice.exe"
timeout 300 wine explorer /desktop=contract,800x600 "$tests" 'C:\testservice.exe' 'C:\services.log' 'C:\contract.txt' \
  >/dev/null 2>&1
tr -d '\r' <"$out" 2>/dev/null
line=$(tr -d '\r' <"$out" 2>/dev/null | grep -E '^contract: [0-9]+ passed, [0-9]+ failed' | tail -n 1)
echo "Wine contract tests took $(($(date +%s) - started)) s"
if [ -z "$line" ]; then
  echo "the contract program ended without its summary"
  echo "0 passed, 1 failed"
  exit 1
fi
echo "${line#contract: }"
[[ "$line" == *" 0 failed" ]]
