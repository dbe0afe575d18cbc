#!/usr/bin/env bash
# Puts the program and its help page into dist/, plus a zip of both and the installer
# package Tarnwick.msi (at the version the build gave the exe).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/windows}
exe="$build/src/app/Tarnwick.exe"
version_file="$build/src/app/version.txt"
[ -f "$exe" ] || { echo "no $exe (run the windows build first)"; exit 1; }
[ -f "$version_file" ] || { echo "no $version_file (configure the windows build again)"; exit 1; }
rm -rf dist && mkdir -p dist
cp "$exe" dist/Tarnwick.exe
cp help/main.html dist/main.html
(cd dist && zip -q -9 Tarnwick.zip Tarnwick.exe main.html)
bash packaging/build_msi.sh "$(tr -d '\r\n' <"$version_file")" dist/Tarnwick.exe dist/main.html dist/Tarnwick.msi
echo "dist/: $(cd dist && ls | tr '\n' ' ')"
