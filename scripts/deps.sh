#!/usr/bin/env bash
# Installs from Debian's packages whatever the build and the tests need and is missing.
set -euo pipefail
need=()
want=(cmake g++ make ninja-build googletest libgtest-dev libgmock-dev libbenchmark-dev g++-mingw-w64-x86-64
      wine wine64 xvfb xdotool imagemagick clang libclang-rt-14-dev zip xauth x11-utils python3 bc wixl msitools
      osslsigncode openssl python3-yaml python3-jsonschema faketime)
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi
