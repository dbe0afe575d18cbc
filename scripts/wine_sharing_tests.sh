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
elevation=$build/tests/win32/sharing/tarnwick-win32-elevation-tests.exe
chain=$build/tests/win32/sharing/tarnwick-win32-chain-tests.exe
program=$build/src/app/Tarnwick.exe
for f in "$service" "$tests" "$elevation" "$chain" "$program"; do
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
passed=0
failed=0
count() { # adds a test program's "<name>: N passed, M failed" line
  local line
  line=$(grep -E "^$1: [0-9]+ passed, [0-9]+ failed" "$out" | tail -n 1)
  if [ -n "$line" ]; then
    passed=$((passed + $(sed -E 's/^[a-z0-9]+: ([0-9]+) passed.*/\1/' <<<"$line")))
    failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
  else
    echo "the $1 test program ended without its summary"
    failed=$((failed + 1))
  fi
}
count win32

# The elevated copy: launched with "runas" by a test program, which reads its exit code. It
# keeps its files beside itself.
copy_data=$WINEPREFIX/drive_c/copydata
mkdir -p "$copy_data"
cp "$program" "$copy_data/Tarnwick.exe"
timeout 240 wine "$elevation" "$(wine_winpath "$log")" "$(wine_winpath "$copy_data")" 'C:\copydata\Tarnwick.exe' 2>&1 |
  tr -d '\r' | tee "$out"
count elevation

# The elevated copy's command line run directly, as the shell runs it: one switch, its exit code.
direct=$WINEPREFIX/drive_c/direct
mkdir -p "$direct"
cp "$program" "$direct/Tarnwick.exe"
printf '[Info]\r\nSecondService=TwSecond\r\n' >"$direct/code.ini"
mark=$(wc -l <"$log")
(cd "$WINEPREFIX/drive_c" && timeout 240 wine 'C:\direct\Tarnwick.exe' --switch-sharing)
code=$?
stops=$(tail -n +"$((mark + 1))" "$log" | tr -d '\r' | grep -c ' stop$')
if [ "$code" -eq 0 ] && [ "$stops" -ge 2 ] && [ -f "$direct/srvStat.txt" ] && [ ! -e "$direct/code.ini.lock" ]; then
  echo "[  OK  ] Tarnwick.exe --switch-sharing run directly switched sharing off (exit code 0, $stops stops)"
  passed=$((passed + 1))
else
  echo "[FAILED] Tarnwick.exe --switch-sharing run directly: exit code $code, $stops stops"
  failed=$((failed + 1))
fi
timeout 240 wine 'C:\direct\Tarnwick.exe' --switch-sharing --data-folder relative
code=$?
if [ "$code" -eq 10 ]; then
  echo "[  OK  ] Tarnwick.exe with a bad command line ends with exit code 10"
  passed=$((passed + 1))
else
  echo "[FAILED] Tarnwick.exe with a bad command line ended with exit code $code"
  failed=$((failed + 1))
fi
# A chain LanmanServer <- TwChainA <- TwChainB, made only now: the cases above count every
# dependent of LanmanServer in the prefix. TwChainB is slow, so a stop of TwChainA that did
# not wait for it would be refused.
wine_service_install "$service" TwChainA "$log" &&
  wine_service_install "$service" TwChainB "$log" slow &&
  wine_service_depends TwChainA REG_MULTI_SZ 'LanmanServer' &&
  wine_service_install "$service" TwChainC "$log" refuse-stop &&
  wine_service_depends TwChainB REG_MULTI_SZ 'TwChainA' &&
  wine_service_depends TwChainC REG_MULTI_SZ 'TwChainA' &&
  wine_service_install "$service" TwCrash "$log" fail-start || setup_ok=0
chain_work=$WINEPREFIX/drive_c/chain
mkdir -p "$chain_work"
timeout 240 wine "$chain" "$(wine_winpath "$log")" "$(wine_winpath "$chain_work")" 2>&1 | tr -d '\r' | tee "$out"
count chain
rm -f "$out"
[ "$setup_ok" -eq 1 ] || { echo "service set-up failed"; failed=$((failed + 1)); }
echo "Wine sharing tests took $(($(date +%s) - started)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
