#!/usr/bin/env bash
# Installs from Debian's packages whatever the build and the tests need and is missing.
set -euo pipefail
need=()
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
want=(cmake g++ make ninja-build googletest libgtest-dev libgmock-dev libbenchmark-dev g++-mingw-w64-x86-64
      wine wine64 xvfb xdotool imagemagick clang libclang-rt-14-dev zip xauth x11-utils python3 bc wixl msitools
      osslsigncode openssl python3-yaml python3-jsonschema faketime locales)
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi
# The end-to-end suite starts Wine in German, which Wine takes from a glibc locale that exists.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "generating the locale de_DE.UTF-8"
  $SUDO sed -i -E 's/^# *(de_DE\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen --keep-existing >/dev/null
fi
