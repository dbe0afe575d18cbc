#!/usr/bin/env bash
# What the languages cost at run time, side by side in one run under Wine: resident memory and
# start-up time of
#   bare tray      tools/bare_tray.cpp: a hidden window, one notification icon, a message loop
#   English only   Tarnwick built with TARNWICK_ENGLISH_ONLY=ON
#   all languages  Tarnwick as the windows preset builds it
# each stripped as it ships.
# usage: scripts/footprint.sh [BUILD_DIR_ALL] [BUILD_DIR_EN]
#   (defaults build/windows and build/windows-en; the English-only folder is configured and
#   its targets built here when needed, the other folder only read)
# FOOTPRINT_ROUNDS (default 7) measured rounds, interleaved bare, English, all, bare, ... so
# that drift of the machine hits the three alike, after one start of each that is not counted
# (it warms the page cache and does the program's first-start work).
# FOOTPRINT_MAPS=DIR keeps /proc/PID/smaps of every start there, to see where the memory goes.
#
# Every start gets a session of its own: a fresh wineserver, the virtual desktop
# (explorer /desktop=footprint,800x600, the prefix's default desktop, so the program joins it),
# LanmanServer (re-pointed at the test service) running. Start-up time is from the launch to
# the first screen image in which the notification area differs from the empty one (polled
# about every 10 ms). Then, once VmRSS has not changed for 2 s, VmRSS and VmHWM are read from
# /proc of the program's own process: the PID of the wine launcher, which becomes the program.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root=$PWD
all_dir=$(cd "${1:-build/windows}" 2>/dev/null && pwd) || { echo "no build folder ${1:-build/windows}"; exit 1; }
en_dir=${2:-build/windows-en}
rounds=${FOOTPRINT_ROUNDS:-7}
desktop=footprint

bash scripts/deps.sh
if [ ! -f "$en_dir/CMakeCache.txt" ]; then
  cmake --preset windows -B "$en_dir" -DTARNWICK_ENGLISH_ONLY=ON >/dev/null || exit 1
fi
grep -q '^TARNWICK_ENGLISH_ONLY:BOOL=ON$' "$en_dir/CMakeCache.txt" ||
  { echo "$en_dir is not configured with TARNWICK_ENGLISH_ONLY=ON"; exit 1; }
cmake --build "$en_dir" -j2 --target Tarnwick bare_tray tarnwick-testservice >/dev/null || exit 1
en_dir=$(cd "$en_dir" && pwd)
exe_all=$all_dir/src/app/Tarnwick.exe
exe_en=$en_dir/src/app/Tarnwick.exe
exe_bare=$en_dir/tools/bare_tray.exe
service=$en_dir/tools/testservice/tarnwick-testservice.exe
for f in "$exe_all" "$exe_en" "$exe_bare" "$service"; do
  [ -f "$f" ] || { echo "missing $f"; exit 1; }
done

source scripts/wine_env.sh
source scripts/wine_services.sh
# Wine shows English to both builds; the other tables stay where the exe maps them.
export LANG=C.UTF-8
unset LC_ALL

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-footprint-XXXXXX")
program_pid=""
desktop_pid=""
end_session() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$desktop_pid" ] && kill "$desktop_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "$program_pid" ] && wait "$program_pid" 2>/dev/null
  [ -n "$desktop_pid" ] && wait "$desktop_pid" 2>/dev/null
  program_pid="" desktop_pid=""
}
cleanup() {
  end_session
  wine_prefix_end
  xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT

# Waits until a part of the screen differs from what it showed when this started; writes
# "ready" to READY once it has its first look, then the wall-clock nanoseconds of the first
# look that differs (or "none" after SECONDS) to OUT.
cat >"$work/watch.py" <<'EOF'
import ctypes, sys, time
x, y, w, h = map(int, sys.argv[1:5])
ready, out, seconds = sys.argv[5], sys.argv[6], float(sys.argv[7])
X = ctypes.CDLL("libX11.so.6")
X.XOpenDisplay.restype = ctypes.c_void_p
X.XOpenDisplay.argtypes = [ctypes.c_char_p]
X.XDefaultRootWindow.restype = ctypes.c_ulong
X.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
X.XGetImage.restype = ctypes.c_void_p
X.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                        ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
X.XDestroyImage.argtypes = [ctypes.c_void_p]
display = X.XOpenDisplay(None)
root = X.XDefaultRootWindow(display)

def look():
    image = X.XGetImage(display, root, x, y, w, h, 0xFFFFFFFF, 2)  # AllPlanes, ZPixmap
    # XImage: width, height, xoffset, format (ints), data (pointer), ..., bytes_per_line at 44
    data = ctypes.cast(image + 16, ctypes.POINTER(ctypes.c_void_p))[0]
    stride = ctypes.cast(image + 44, ctypes.POINTER(ctypes.c_int))[0]
    pixels = ctypes.string_at(data, stride * h)
    X.XDestroyImage(image)
    return pixels

empty = look()
open(ready, "w").write("ready\n")
deadline = time.monotonic() + seconds
seen = "none"
while time.monotonic() < deadline:
    if look() != empty:
        seen = str(time.time_ns())
        break
    time.sleep(0.01)
open(out, "w").write(seen + "\n")
EOF

# Resident KiB of the exe's own image (headers and sections, wherever Wine put it): the part
# of VmRSS that the exe's contents decide, without the heap's noise.
cat >"$work/image.py" <<'EOF'
import re, sys
smaps, path, size = sys.argv[1], sys.argv[2], int(sys.argv[3], 16)
start = None
rss = 0
inside = False
for line in open(smaps):
    m = re.match(r"^([0-9a-f]+)-([0-9a-f]+) \S+ \S+ \S+ \S+ *(.*)$", line)
    if m:
        lo, name = int(m.group(1), 16), m.group(3).strip()
        if start is None and name == path:
            start = lo
        inside = start is not None and start <= lo < start + size
    elif inside and line.startswith("Rss:"):
        rss += int(line.split()[1])
print(rss if start is not None else "")
EOF

wait_for() { # SECONDS COMMAND
  local deadline=$(($(date +%s%N) + $1 * 1000000000))
  until eval "$2"; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}
desktop_window() { xdotool search --name "^$desktop - Wine desktop\$" 2>/dev/null | head -n 1; }
kib() { sed -nE "s/^$2:[[:space:]]+([0-9]+) kB$/\1/p" "/proc/$1/status" 2>/dev/null; }

# The process that runs the program: the launcher itself, which the wine loader turns into
# it, or else a child of the launcher.
program_process() { # LAUNCHER-PID EXE-NAME
  local pid
  for pid in "$1" $(cat /proc/"$1"/task/*/children 2>/dev/null); do
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qiF "$2" && { echo "$pid"; return 0; }
  done
  return 1
}

# One start in a session of its own: RESULT becomes "STARTUP-MS VMRSS VMHWM IMAGE-RSS SETTLE-S"
# (memory in KiB), or "fail REASON". Run in this shell, not a subshell, so that end_session knows its PIDs.
measure() { # NAME (bare, en, all)
  local name=$1 exe pid watcher t0 seen rss last stable start dx dy dw dh settled image
  case $name in bare) exe=bare_tray.exe ;; *) exe=Tarnwick.exe ;; esac
  (exec wine explorer "/desktop=$desktop,800x600" >/dev/null 2>&1) &
  desktop_pid=$!
  wait_for 60 '[ -n "$(desktop_window)" ]' || { RESULT="fail the desktop did not appear"; return; }
  wine_service_start LanmanServer || { RESULT="fail cannot start LanmanServer"; return; }
  eval "$(xdotool getwindowgeometry --shell "$(desktop_window)")"
  dx=$X dy=$Y dw=$WIDTH dh=$HEIGHT
  sleep 1 # the taskbar's first paint
  rm -f "$work/ready" "$work/seen"
  # The right end of the taskbar, where the notification area grows from.
  python3 "$work/watch.py" $((dx + dw - 160)) $((dy + dh - 24)) 160 24 "$work/ready" "$work/seen" 60 &
  watcher=$!
  wait_for 10 '[ -f "$work/ready" ]' || { kill "$watcher" 2>/dev/null; RESULT="fail the screen watcher did not start"; return; }
  cd "$WINEPREFIX/drive_c/footprint/$name" || return
  t0=$(date +%s%N)
  wine "C:\\footprint\\$name\\$exe" >/dev/null 2>&1 &
  program_pid=$!
  cd "$root" || return
  wait "$watcher"
  seen=$(cat "$work/seen" 2>/dev/null)
  pid=$(program_process "$program_pid" "$exe") || { RESULT="fail $exe is not running"; return; }
  if [ -z "$seen" ] || [ "$seen" = none ]; then RESULT="fail no notification icon within 60 s"; return; fi
  # Settled: VmRSS unchanged over 2 s (at most 30 s).
  start=$(date +%s%N)
  last="" stable=0
  while :; do
    rss=$(kib "$pid" VmRSS)
    [ -n "$rss" ] || { RESULT="fail $exe ended"; return; }
    if [ "$rss" = "$last" ]; then stable=$((stable + 1)); else stable=0; fi
    last=$rss
    [ "$stable" -ge 8 ] && break
    [ $(($(date +%s%N) - start)) -lt 30000000000 ] || break
    sleep 0.25
  done
  settled=$(awk -v n=$(($(date +%s%N) - start)) 'BEGIN { printf "%.1f", n / 1e9 }')
  cp "/proc/$pid/smaps" "$work/smaps" 2>/dev/null
  [ -n "${FOOTPRINT_MAPS:-}" ] && cp "$work/smaps" "$FOOTPRINT_MAPS/$name-$(date +%s%N).smaps"
  image=$(python3 "$work/image.py" "$work/smaps" "$WINEPREFIX/drive_c/footprint/$name/$exe" "${image_size[$name]}")
  RESULT="$(((seen - t0) / 1000000)) $rss $(kib "$pid" VmHWM) ${image:-?} $settled"
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(. /etc/os-release && echo "$PRETTY_NAME"), $(wine --version 2>/dev/null)"
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC'); source $(git describe --always --dirty 2>/dev/null || echo unknown)"
echo "build sizes: bare $(stat -c %s "$exe_bare"), English only $(stat -c %s "$exe_en"), all languages $(stat -c %s "$exe_all") bytes"

xvfb_start 73
wine_prefix_new footprint || exit 1
for name in bare en all; do mkdir -p "$WINEPREFIX/drive_c/footprint/$name"; done
# Stripped, as scripts/build_dist.sh ships the program. With its debug sections the exe is
# 16 MB, and Wine reads every section whose place in the file is not page-aligned into memory:
# which of them land on a page boundary is chance, and would swing VmRSS by megabytes.
objcopy=x86_64-w64-mingw32-objcopy
"$objcopy" --strip-all "$exe_bare" "$WINEPREFIX/drive_c/footprint/bare/bare_tray.exe" &&
  "$objcopy" --strip-all "$exe_en" "$WINEPREFIX/drive_c/footprint/en/Tarnwick.exe" &&
  "$objcopy" --strip-all "$exe_all" "$WINEPREFIX/drive_c/footprint/all/Tarnwick.exe" || { echo "cannot strip the programs"; exit 1; }
declare -A image_size
for name in bare en all; do
  image_size[$name]=$(x86_64-w64-mingw32-objdump -p "$WINEPREFIX/drive_c/footprint/$name/"*.exe |
    sed -nE 's/^SizeOfImage[[:space:]]+([0-9a-fA-F]+)$/\1/p')
done
echo "stripped sizes: bare $(stat -c %s "$WINEPREFIX/drive_c/footprint/bare/bare_tray.exe"), English only" \
  "$(stat -c %s "$WINEPREFIX/drive_c/footprint/en/Tarnwick.exe"), all languages" \
  "$(stat -c %s "$WINEPREFIX/drive_c/footprint/all/Tarnwick.exe") bytes"
{
  # Every wine process joins the virtual desktop, so the program started below shows its icon
  # there, with its launcher's PID.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$desktop" /f &&
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop" /d 800x600 /f &&
    # The marker of a first start that has been: no Run value, so no session starts Tarnwick.
    wine reg add 'HKCU\Software\Tarnwick' /v Run /d Yes /f &&
    wine_service_repoint "$service" LanmanServer "$WINEPREFIX/drive_c/services.log"
} >/dev/null 2>&1 || { echo "cannot set up the prefix"; exit 1; }
end_session

results=$work/results
: >"$results"
order=()
for name in bare en all; do order+=("warm:$name"); done
for round in $(seq "$rounds"); do
  for name in bare en all; do order+=("$round:$name"); done
done
echo
echo "round program startup_ms VmRSS_KiB VmHWM_KiB image_KiB settle_s"
for item in "${order[@]}"; do
  round=${item%%:*} name=${item#*:}
  RESULT=""
  measure "$name"
  end_session
  echo "$round $name $RESULT"
  [ "$round" = warm ] || echo "$name $RESULT" >>"$results"
done

python3 - "$results" <<'EOF'
import statistics, sys
rows = {"bare": [], "en": [], "all": []}
failed = 0
for line in open(sys.argv[1]):
    name, *fields = line.split()
    if not fields or fields[0] == "fail" or "?" in fields:
        failed += 1
        continue
    rows[name].append([float(f) for f in fields])
if any(not r for r in rows.values()):
    print("\nnot every program was measured; no table")
    sys.exit(1)
STARTUP, RSS, HWM, IMAGE = 0, 1, 2, 3
def med(name, i): return statistics.median(r[i] for r in rows[name])
def span(name, i): return f"{min(r[i] for r in rows[name]):,.0f}-{max(r[i] for r in rows[name]):,.0f}"
labels = {"bare": "bare tray", "en": "Tarnwick, English only", "all": "Tarnwick, all languages"}
print("\nmedians of %s starts (%d failed starts left out)" % ("/".join(str(len(rows[n])) for n in rows), failed))
print("| program | VmRSS (KiB) | VmRSS min-max | VmHWM (KiB) | exe image resident (KiB) | start-up to icon (ms) | start-up min-max |")
print("|---|---|---|---|---|---|---|")
for name in ("bare", "en", "all"):
    print(f"| {labels[name]} | {med(name, RSS):,.0f} | {span(name, RSS)} | {med(name, HWM):,.0f} | "
          f"{med(name, IMAGE):,.0f} | {med(name, STARTUP):,.0f} | {span(name, STARTUP)} |")
bare, en, all_ = med("bare", RSS), med("en", RSS), med("all", RSS)
diff = all_ - en
print()
print("| comparison | measured | goal |")
print("|---|---|---|")
print(f"| all languages / bare tray, VmRSS | {all_ / bare:.2f} x | at most 1.2 x: {'met' if all_ / bare <= 1.2 else 'MISSED'} |")
print(f"| English only / bare tray, VmRSS | {en / bare:.2f} x | |")
print(f"| all languages - English only, VmRSS | {diff:+,.0f} KiB | at most 100 KB (97.7 KiB): {'met' if diff * 1024 <= 100000 else 'MISSED'} |")
print(f"| all languages - English only, exe image resident | {med('all', IMAGE) - med('en', IMAGE):+,.0f} KiB | |")
print(f"| all languages - English only, start-up | {med('all', STARTUP) - med('en', STARTUP):+,.0f} ms | none measurable |")
EOF
