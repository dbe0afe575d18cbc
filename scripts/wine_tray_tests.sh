#!/usr/bin/env bash
# The tray icon component on real Windows code under Wine: traydemo.exe in a virtual desktop
# under a private Xvfb, driven with xdotool, checked through its event log and screenshots;
# then the Win32 layer tests of the window, timer, icon and shell calls.
#   scripts/wine_tray_tests.sh BUILD_DIR      (the windows preset's build folder)
# Screenshots go to $ARTIFACTS (default build/artifacts). Prints "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-$root/build/windows}
artifacts=${ARTIFACTS:-$root/build/artifacts}/tray
mkdir -p "$artifacts"
demo="$build/tools/traydemo/traydemo.exe"
unit="$build/tests/win32/trayicon/tarnwick-win32-tray-tests.exe"
source scripts/wine_env.sh

passed=0
failed=0
check() { # check NAME CONDITION-COMMAND...
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok   $name"
    else
        failed=$((failed + 1))
        echo "FAIL $name"
    fi
}

for f in "$demo" "$unit"; do
    [ -f "$f" ] || { echo "missing $f (run the windows build first)"; echo "0 passed, 1 failed"; exit 1; }
done

demo_pid=""
cleanup() {
    [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null
    wine_prefix_end
    xvfb_stop
}
trap cleanup EXIT

xvfb_start 93
wine_prefix_new tray || { echo "0 passed, 1 failed"; exit 1; }
log="$WINEPREFIX/drive_c/traydemo.log"

# Finds the pixels of the demo's colours in a screenshot: prints "COUNT X Y" (their centre)
# for the colours given as hex RGB, looking only below row MINY.
finder=$(mktemp)
cat >"$finder" <<'EOF'
import subprocess, sys
path, miny, colours = sys.argv[1], int(sys.argv[2]), [bytes.fromhex(c) for c in sys.argv[3:]]
w, h = map(int, subprocess.check_output(["identify", "-format", "%w %h", path]).split())
raw = subprocess.check_output(["convert", path, "-depth", "8", "rgb:-"])
xs, ys = [], []
for y in range(max(miny, 0), h):
    row = raw[y * w * 3:(y + 1) * w * 3]
    for x in range(w):
        if row[x * 3:x * 3 + 3] in colours:
            xs.append(x); ys.append(y)
print(len(xs), (sum(xs) // len(xs)) if xs else -1, (sum(ys) // len(ys)) if ys else -1)
EOF
magenta=FF00FF
all_colours="FF00FF 00FFFF FFFF00 FF8000"
shot() { import -window root "$artifacts/$1.png" 2>/dev/null; }
find_in() { python3 "$finder" "$artifacts/$1.png" "$2" $3; }
wait_log() { # wait_log PATTERN SECONDS
    local i
    for i in $(seq $((${2} * 10))); do
        grep -q -- "$1" "$log" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}
has() { grep -q -- "$1" "$log" 2>/dev/null; }
lacks() { ! grep -q -- "$1" "$log" 2>/dev/null; }

start=$(date +%s)
wine explorer /desktop=tray,800x600 "$demo" 'C:\traydemo.log' >/dev/null 2>&1 &
demo_pid=$!
check "demo starts and adds its icon" wait_log "^ready showmainform=0" 30
sleep 1.5
shot 1-icon
read -r count x y < <(find_in 1-icon 0 "$magenta")
echo "     icon: $count magenta pixels around $x,$y"
check "icon is visible in the notification area (bottom right)" test "$count" -ge 16 -a "$y" -ge 450 -a "$x" -ge 400

if [ "$count" -ge 16 ]; then
    xdotool mousemove "$x" "$y"
    sleep 0.5
    xdotool click --repeat 2 --delay 80 1
    sleep 1.5
    check "real double click arrives as OnDblClick" has "^dblclick"
    check "double click gives no OnClick" lacks "^click"

    xdotool click 3
    check "right click opens the popup menu" wait_log "^popup" 5
    sleep 0.7
    shot 2-menu
    diff=$(compare -metric AE "$artifacts/1-icon.png" "$artifacts/2-menu.png" null: 2>&1 | cut -d' ' -f1)
    check "menu is drawn on screen ($diff pixels changed)" test "${diff%.*}" -ge 300
    xdotool key c
    check "menu item chosen by keyboard runs its click" wait_log "^cycling" 5
    check "cycling advances through the list" wait_log "^cycle next=3" 5
    colours_seen=""
    distinct=0
    # Off the icon, so no tool tip hides it; on a loaded machine the shots come slowly, so
    # keep shooting until two pictures have been seen or the time is up.
    xdotool mousemove $((x - 200)) $((y - 200))
    for i in $(seq 1 12); do
        shot "3-cycle-$i"
        for c in $all_colours; do
            read -r n _ _ < <(find_in "3-cycle-$i" $((y - 12)) "$c")
            [ "$n" -ge 16 ] && colours_seen="$colours_seen $c"
        done
        distinct=$(tr ' ' '\n' <<<"$colours_seen" | sort -u | grep -c .)
        [ "$distinct" -ge 2 ] && break
        sleep 0.35
    done
    check "screenshots show the icon changing colour ($distinct colours)" test "$distinct" -ge 2

    xdotool mousemove "$x" "$y" click 3
    wait_log "popup" 5
    sleep 0.5
    xdotool key q
    check "Quit destroys the component" wait_log "^destroyed" 5
    sleep 0.7
    shot 4-gone
    read -r left _ _ < <(find_in 4-gone $((y - 12)) "$all_colours")
    check "icon is gone from the notification area" test "$left" -eq 0
    check "program ends cleanly" wait_log "^exit" 10
fi
echo "     demo log:"; sed 's/^/       /' "$log" 2>/dev/null | head -40
kill "$demo_pid" 2>/dev/null
wait "$demo_pid" 2>/dev/null
demo_pid=""

# The Win32 layer tests run inside the same desktop, so the shell's notification area exists.
unit_log="$artifacts/win32-tray-tests.log"
timeout 60 wine explorer /desktop=tray,800x600 "$unit" 'C:\win32tests.log' >/dev/null 2>&1
cp "$WINEPREFIX/drive_c/win32tests.log" "$unit_log" 2>/dev/null
line=$(grep -E '^[0-9]+ passed, [0-9]+ failed' "$unit_log" 2>/dev/null | tail -n 1)
if [ -n "$line" ]; then
    grep -E '^(ok|FAIL|note)' "$unit_log" | sed 's/^/     /'
    passed=$((passed + $(cut -d' ' -f1 <<<"$line")))
    failed=$((failed + $(cut -d' ' -f3 <<<"$line")))
else
    echo "FAIL Win32 tray layer tests printed no result"
    failed=$((failed + 1))
fi
rm -f "$finder"
echo "     ($(($(date +%s) - start)) s, screenshots in $artifacts)"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
