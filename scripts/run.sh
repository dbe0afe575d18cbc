#!/usr/bin/env bash
# Builds dist/ and runs Tarnwick under Wine in a throwaway prefix in which LanmanServer is a
# demo service with two demo dependents, so the lamp can be switched for real.
#   With a display ($DISPLAY set): opens the Wine desktop window; double-click the lamp at
#   its bottom right, right-click it for the menu. Close the window (or Quit) to end.
#   Without one: runs under Xvfb, switches sharing off and on by itself and saves a
#   screenshot of each state.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"
bash scripts/build_dist.sh build/windows

source scripts/wine_env.sh
source scripts/wine_services.sh
headless=0
[ -n "${DISPLAY:-}" ] || headless=1
cleanup() { wine_prefix_end; xvfb_stop; }
trap cleanup EXIT
[ "$headless" = 1 ] && xvfb_start 140
echo "making a Wine prefix (about 15 s)..."
wine_prefix_new run
service=$(ls "$root"/build/windows/tools/testservice/*.exe | head -n 1)
log="$WINEPREFIX/drive_c/services.log"
wine_services_demo "$service" "$log"
install="$WINEPREFIX/drive_c/Program Files/Tarnwick"
mkdir -p "$install"
cp dist/Tarnwick.exe dist/main.html "$install/"
echo "LanmanServer is a demo service here; its dependents are TwBrowser and TwPrinting."

if [ "$headless" = 0 ]; then
  echo "starting Tarnwick in a Wine desktop window; close the window to end."
  (cd "$WINEPREFIX/drive_c" && wine explorer /desktop=Tarnwick,800x600 'C:\Program Files\Tarnwick\Tarnwick.exe') || true
  exit 0
fi

shots="$root/build/run"
mkdir -p "$shots"
(cd "$WINEPREFIX/drive_c" && wine explorer /desktop=Tarnwick,800x600 'C:\Program Files\Tarnwick\Tarnwick.exe' \
  >/dev/null 2>&1 &)
wait_for() { # colour timeout -> "x y" of the lamp, once it has rested on that colour for 2 s
  local want=$1 t=$2 out seen=0
  for _ in $(seq $((t * 2))); do
    import -window root "$shots/now.png" 2>/dev/null || true
    out=$(python3 tests/e2e/lamp.py "$shots/now.png" 0 0 800 600 || true)
    if [ "${out%% *}" = "$want" ]; then seen=$((seen + 1)); else seen=0; fi
    [ -n "${RUN_DEBUG:-}" ] && echo "  seen: $out" >&2
    if [ "$seen" -ge 4 ]; then echo "${out#* }"; return 0; fi
    sleep 0.5
  done
  return 1
}
shot() { convert "$shots/now.png" -crop 800x600+0+0 +repage "$shots/$1.png"; echo "  saved $shots/$1.png"; }
pos=$(wait_for green 60) || { echo "the lamp did not turn green"; exit 1; }
echo "sharing is on (green lamp)"; shot 1-sharing-on
set -- $pos
xdotool mousemove "$1" "$2" click --repeat 2 --delay 80 1
pos=$(wait_for red 120) || { echo "the lamp did not turn red"; exit 1; }
echo "double-clicked: sharing is off (red lamp); srvStat.txt holds:"
sed 's/\r$//; s/^/    /' "$install/srvStat.txt"
shot 2-sharing-off
set -- $pos
xdotool mousemove "$1" "$2" click --repeat 2 --delay 80 1
wait_for green 120 >/dev/null || { echo "the lamp did not turn green again"; exit 1; }
echo "double-clicked again: sharing is back on (green lamp)"; shot 3-sharing-on-again
echo "service log:"; sed 's/\r$//; s/^/    /' "$log"
rm -f "$shots/now.png"
echo "screenshots are in $shots"
