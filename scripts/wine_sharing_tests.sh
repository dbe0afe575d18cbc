#!/usr/bin/env bash
# Runs the Win32 sharing tests under Wine against real services in a throwaway prefix.
# Usage: wine_sharing_tests.sh BUILD_DIR   (the windows preset's build folder; builds nothing)
# Ends with one line "N passed, M failed"; exits non-zero on any failure.
set -uo pipefail
build=${1:?usage: wine_sharing_tests.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_env.sh"
source "$here/wine_services.sh"

service=$build/tools/testservice/tarnwick-testservice.exe
tests=$build/tests/win32/sharing/tarnwick-win32-sharing-tests.exe
for f in "$service" "$tests"; do
  [ -f "$f" ] || { echo "missing $f"; echo "0 passed, 1 failed"; exit 1; }
done

trap 'wine_prefix_end' EXIT
started=$(date +%s)
wine_prefix_new sharing || { echo "0 passed, 1 failed"; exit 1; }
wineserver -p # one server for every wine call below
log=$WINEPREFIX/drive_c/services.log
work=$WINEPREFIX/drive_c/work
mkdir -p "$work"

setup_ok=1
wine_service_repoint "$service" LanmanServer "$log" || setup_ok=0
for name in TwSecond TwDepSecond TwDepMulti TwDepSz TwDepExpand; do
  wine_service_install "$service" "$name" "$log" || setup_ok=0
done
wine_service_depends TwDepSecond REG_MULTI_SZ 'TwSecond' || setup_ok=0
wine_service_depends TwDepMulti REG_MULTI_SZ 'Tcpip\0LanmanServer' || setup_ok=0
wine_service_depends TwDepSz REG_SZ 'Tcpip,LanmanServer' || setup_ok=0
wine_service_depends TwDepExpand REG_EXPAND_SZ 'LanmanServer' || setup_ok=0
echo "prefix and services ready in $(($(date +%s) - started)) s"

out=$(mktemp)
timeout 240 wine "$tests" "$(wine_winpath "$log")" "$(wine_winpath "$work")" 2>&1 | tr -d '\r' | tee "$out"
summary=$(grep -E '^win32: [0-9]+ passed, [0-9]+ failed' "$out" | tail -n 1)
rm -f "$out"
passed=0
failed=0
if [ -n "$summary" ]; then
  passed=$(sed -E 's/^win32: ([0-9]+) passed.*/\1/' <<<"$summary")
  failed=$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$summary")
else
  echo "the test program ended without its summary"
  failed=$((failed + 1))
fi
[ "$setup_ok" -eq 1 ] || { echo "service set-up failed"; failed=$((failed + 1)); }
echo "Wine sharing tests took $(($(date +%s) - started)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
