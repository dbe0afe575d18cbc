#!/usr/bin/env bash
# Puts the program and its help page into dist/, plus a zip of both.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/windows}
exe="$build/src/app/Tarnwick.exe"
[ -f "$exe" ] || { echo "no $exe (run the windows build first)"; exit 1; }
rm -rf dist && mkdir -p dist
cp "$exe" dist/Tarnwick.exe
cp help/main.html dist/main.html
(cd dist && zip -q -9 Tarnwick.zip Tarnwick.exe main.html)
echo "dist/: $(cd dist && ls | tr '\n' ' ')"
