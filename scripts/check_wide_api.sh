#!/usr/bin/env bash
# Checks that the Win32 backend (and WinMain) call no ANSI ("A") Windows function: every path,
# name and text crosses to Windows as UTF-16. Reads the imports of the built libraries and the
# names the backend looks up at run time. Usage: check_wide_api.sh BUILD_DIR
# Prints "wideapi: N passed, M failed"; exits non-zero when an A function is called.
set -uo pipefail
build=${1:?usage: check_wide_api.sh BUILD_DIR}
cd "$(dirname "$0")/.."
nm=$(command -v x86_64-w64-mingw32-nm || echo nm)

# Justified exceptions, one "Name reason" a line. None so far: GetProcAddress takes the
# export's name, which Windows only has in ASCII, and has no A/W pair.
exceptions=""

passed=0
failed=0
check() { # NAME OK-FLAG DETAIL
  if [ "$2" = 1 ]; then passed=$((passed + 1)); echo "ok   $1"; else failed=$((failed + 1)); echo "FAIL $1: $3"; fi
}
allowed() { grep -qx "$1 .*" <<<"$exceptions"; }

for lib in "$build/libplatform_win32.a" "$build/src/app/libapp.a"; do
  if [ ! -f "$lib" ]; then check "$(basename "$lib") imports" 0 "not built"; continue; fi
  # An import of an A function: a Windows name whose last letter A follows a lower-case letter
  # or a digit (GetModuleFileNameA, RegOpenKeyExA, Shell_NotifyIconA, CreateWindowExA).
  bad=$("$nm" -u "$lib" | sed -nE 's/.* U __imp_(.*[a-z0-9]A)$/\1/p' | sort -u | while read -r name; do
    allowed "$name" || echo "$name"
  done)
  check "$(basename "$lib") imports no A function" "$([ -z "$bad" ] && echo 1 || echo 0)" "$(echo $bad)"
done

# Functions found by name at run time do not show as imports.
bad=$(grep -ho 'GetProcAddress([^,]*, *"[A-Za-z_0-9]*"' src/platform/win32/*.cpp src/app/winmain.cpp |
  sed -nE 's/.*"(.*[a-z0-9]A)"$/\1/p' | sort -u)
check "no A function looked up at run time" "$([ -z "$bad" ] && echo 1 || echo 0)" "$(echo $bad)"

echo "wideapi: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
