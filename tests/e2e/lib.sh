# Sourced by tests/e2e/run.sh: the test world, the program's start and the ways of looking
# at and driving the Wine desktop. Needs root, build, art, tmp, exe, help_page, msi, service, probe.

DESKTOP_NAME=e2e
NEUTRAL="300 300" # a spot on the empty desktop: hovering there shows nothing
PASSED=0
FAILED=0
REASON=""
EXPLORER_PID=""
HOLD_PID=""
DESKTOP_PID=""
LAMP_X=0
LAMP_Y=0
PROGRAM_PATH=""
declare -a ITEM_X ITEM_Y

build_probe() {
  local src=$here/probe.cpp cxx
  [ -f "$probe" ] && [ "$probe" -nt "$src" ] && return 0
  cxx=$(command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++) ||
    { echo "no MinGW-w64 compiler for the probe"; return 1; }
  mkdir -p "$(dirname "$probe")"
  # Built aside and moved in, so a run that starts meanwhile never sees half a program.
  "$cxx" -std=c++20 -O1 -Wall -Wextra -Wpedantic -static -o "$probe.$$" "$src" &&
    mv -f "$probe.$$" "$probe" || { rm -f "$probe.$$"; echo "cannot build the probe"; return 1; }
}

e2e_cleanup() {
  end_world
  xvfb_stop
  [ -n "${tmp:-}" ] && rm -rf "$tmp"
}

# Ends the desktop, the programs and the prefix, and leaves the display for another world.
end_world() {
  [ -n "${tmp:-}" ] && touch "$tmp/hold-done"
  local pid
  for pid in $EXPLORER_PID $HOLD_PID $DESKTOP_PID; do
    kill -0 "$pid" 2>/dev/null && kill "$pid" 2>/dev/null
  done
  EXPLORER_PID="" HOLD_PID="" DESKTOP_PID=""
  wine_prefix_end
  [ -n "${tmp:-}" ] && rm -f "$tmp/hold-done"
  return 0
}

# --- the world: services, the installed program --------------------------------------

setup_world() {
  services_log=$WINEPREFIX/drive_c/services.log
  install="$WINEPREFIX/drive_c/Program Files/Tarnwick"
  launch="$WINEPREFIX/drive_c/elsewhere"
  local name
  # A slow start and stop keep a switch going long enough to read its tool tip on a loaded machine.
  wine_service_repoint "$service" LanmanServer "$services_log" slow >/dev/null 2>&1 || { REASON="cannot re-point LanmanServer"; return 1; }
  for name in TwComma TwDirect TwChain TwExpand TwIdle TwPaused TwSecond TwDepSecond; do
    wine_service_install "$service" "$name" "$services_log" >/dev/null 2>&1 || { REASON="cannot install $name"; return 1; }
  done
  wine_service_depends TwDirect REG_MULTI_SZ 'Tcpip\0LanmanServer' &&
    wine_service_depends TwChain REG_MULTI_SZ 'TwDirect' &&
    wine_service_depends TwComma REG_SZ 'Tcpip,LanmanServer' &&
    wine_service_depends TwExpand REG_EXPAND_SZ 'LanmanServer' &&
    wine_service_depends TwIdle REG_MULTI_SZ 'LanmanServer' &&
    wine_service_depends TwPaused REG_MULTI_SZ 'LanmanServer' &&
    wine_service_depends TwDepSecond REG_MULTI_SZ 'TwSecond' || { REASON="cannot write DependOnService"; return 1; }
  for name in LanmanServer TwComma TwDirect TwChain TwExpand TwPaused; do
    wine_service_start "$name" || { REASON="cannot start $name"; return 1; }
  done
  wine "$service" pause TwPaused >/dev/null 2>&1 || { REASON="cannot pause TwPaused"; return 1; }
  # LanmanServer is slow to start, and Wine's net may return before it runs.
  wait_for 15 '[ "$(service_state LanmanServer)" = RUNNING ]'
  expect_states "LanmanServer=RUNNING TwComma=RUNNING TwDirect=RUNNING TwChain=RUNNING TwExpand=RUNNING TwPaused=PAUSED TwIdle=STOPPED TwSecond=STOPPED" || return 1
  mkdir -p "$launch"
  install_program
}

# Installs the program the way an administrator does, silently from the package, and takes
# the path to start it from the Start-menu shortcut. AUTOSTART empty leaves autostart to the user,
# whose "Run at startup" and first start the scenarios drive (the per-machine choices are the
# installer suite's). Wine's msiexec reads AUTOSTART="" as a backslash: the value is given bare.
install_program() {
  local package=$msi link
  if [ -n "${TARNWICK_EXE:-}" ]; then # another build of the program, packaged the same way
    package=$tmp/Tarnwick.msi
    bash "$root/packaging/build_msi.sh" "$(tr -d '\r\n' <"$build/src/app/version.txt")" "$exe" "$help_page" "$package" \
      >"$art/package.log" 2>&1 || { REASON="cannot package $exe (see package.log)"; return 1; }
  fi
  wine msiexec /i "$(winepath -w "$package")" AUTOSTART= /qn /l*v "$(winepath -w "$art/install.log")" >/dev/null 2>&1 ||
    { REASON="msiexec /i $(basename "$package") /qn exited $?"; return 1; }
  cmp -s "$install/Tarnwick.exe" "$exe" && cmp -s "$install/main.html" "$help_page" ||
    { REASON="the package did not install Tarnwick.exe and main.html into $install"; return 1; }
  link=$(start_menu_link)
  [ -n "$link" ] || { REASON="the package made no Start-menu shortcut"; return 1; }
  PROGRAM_PATH=$(python3 "$root/tests/msi/lnk.py" "$link" | sed -n 's/^target //p')
  [ "$PROGRAM_PATH" = 'C:\Program Files\Tarnwick\Tarnwick.exe' ] ||
    { REASON="the Start-menu shortcut points at '$PROGRAM_PATH'"; return 1; }
}

# A world of its own for the program in another display language: a prefix booted in the
# locale the caller has set (Wine takes its user's display language from it), LanmanServer
# running, and the program copied where the package would put it.
setup_language_world() {
  wine_prefix_new e2e-lang || { REASON="cannot make a prefix"; return 1; }
  wineserver -p
  services_log=$WINEPREFIX/drive_c/services.log
  install="$WINEPREFIX/drive_c/Program Files/Tarnwick"
  launch="$WINEPREFIX/drive_c/elsewhere"
  wine_service_repoint "$service" LanmanServer "$services_log" >/dev/null 2>&1 || { REASON="cannot re-point LanmanServer"; return 1; }
  wine_service_start LanmanServer && wait_for 15 '[ "$(service_state LanmanServer)" = RUNNING ]' ||
    { REASON="cannot start LanmanServer"; return 1; }
  mkdir -p "$install" "$launch" && cp "$exe" "$help_page" "$install/" || { REASON="cannot copy the program"; return 1; }
  PROGRAM_PATH='C:\Program Files\Tarnwick\Tarnwick.exe'
}

# The text of ID in a table of texts (src/texts/lang_*.cpp), its pieces joined and its
# escapes left as written, which is how the probe prints CR and LF. Fails when there is none.
text_of() { # FILE ID
  python3 - "$@" <<'EOF'
import re, sys
path, name = sys.argv[1:3]
piece = r'"((?:[^"\\]|\\.)*)"'
entry = re.search(r"\{\s*%s\s*,((?:\s*%s)+)\s*\}" % (re.escape(name), piece), open(path, encoding="utf-8").read())
if not entry:
    sys.exit(1)
print("".join(re.findall(piece, entry.group(1))))
EOF
}

# Windows keeps a per-machine shortcut under ProgramData, Wine in the user's profile.
start_menu_link() {
  local f
  for f in "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnwick.lnk" \
    "$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tarnwick.lnk"; do
    [ -f "$f" ] && { echo "$f"; return 0; }
  done
}

# The desktop comes first, with a hidden window of the probe that keeps it open after the
# program has ended, so that what the end leaves on the screen can be looked at.
start_program() {
  (exec wine explorer "/desktop=$DESKTOP_NAME,800x600" >"$art/explorer.log" 2>&1) &
  DESKTOP_PID=$!
  DESK="0 0 800 600"
  local window
  if wait_for 30 "xdotool search --name '^$DESKTOP_NAME - Wine desktop\$' >/dev/null"; then
    window=$(xdotool search --name "^$DESKTOP_NAME - Wine desktop\$" | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$window")"
    DESK="$X $Y $WIDTH $HEIGHT"
  else
    echo "the Wine desktop window did not appear"
  fi
  (exec wine "$probe" --desktop "$DESKTOP_NAME" hold "$(winepath -w "$tmp/hold-done" 2>/dev/null)" >/dev/null 2>&1) &
  HOLD_PID=$!
  (cd "$launch" && exec wine explorer "/desktop=$DESKTOP_NAME" "$PROGRAM_PATH" \
    >>"$art/explorer.log" 2>&1) &
  EXPLORER_PID=$!
  wait_for 60 '[ -n "$(program_pids)" ]' || echo "Tarnwick.exe did not start within 60 s"
}

# Starts the installed program once more in the desktop that runs, the way the first start did.
restart_program() {
  (cd "$launch" && exec wine explorer "/desktop=$DESKTOP_NAME" "$PROGRAM_PATH" \
    >>"$art/explorer.log" 2>&1) &
  EXPLORER_PID="$EXPLORER_PID $!"
  wait_for 60 '[ -n "$(program_pids)" ]'
}

# kill -9 of the program's process, found by its PID among this prefix's processes.
kill_program() {
  local pids
  pids=$(program_pids)
  [ -n "$pids" ] || return 1
  # shellcheck disable=SC2086
  kill -9 $pids
  wait_for 10 '[ -z "$(program_pids)" ]'
}

# Starts every named service that is not running, each after the ones it depends on (the
# order given), and waits until all run.
bring_back() { # NAME...
  local name
  for name in "$@"; do
    [ "$(service_state "$name")" = RUNNING ] || wine_service_start "$name"
  done
  for name in "$@"; do
    wait_for 15 "[ \"\$(service_state $name)\" = RUNNING ]" || return 1
  done
}

taskbar_shown() { probe windows | grep -q '^Shell_TrayWnd|'; }

# --- running scenarios -------------------------------------------------------------------

scenario() {
  local name=$1 fn=$2 rc mark
  REASON=""
  mark=$(log_mark)
  if [ -z "$(program_pids)" ]; then
    rc=1
    REASON="Tarnwick.exe is not running"
  else
    "$fn"
    rc=$?
  fi
  shot "$art/$name.png"
  if [ "$rc" -eq 0 ]; then
    PASSED=$((PASSED + 1))
    echo "PASS $name"
  else
    FAILED=$((FAILED + 1))
    # With what the machine did meanwhile, to tell a lost click from a wrong switch.
    local box=""
    probe box Error >/dev/null && box="; an \"Error\" box is open: $(probe box Error | sed -n 's/^text //p')"
    echo "FAIL $name: ${REASON:-failed} (services meanwhile: $(log_since "$mark"); tool tip now: $(read_tip)$box)"
  fi
  settle
}

# Leaves no menu or box open behind a failed scenario, so the next one starts clean.
settle() {
  local ok
  if probe menurect >/dev/null; then close_menu; fi
  if probe box Error >/dev/null; then
    ok=$(probe box Error | sed -n 's/^button OK //p')
    # shellcheck disable=SC2086
    [ -n "$ok" ] && xdotool mousemove $ok click 1
    wait_for 5 "! probe box Error >/dev/null"
  fi
}

wait_for() { # SECONDS COMMAND: true as soon as COMMAND succeeds
  local deadline=$(($(date +%s%N) + $1 * 1000000000))
  while :; do
    eval "$2" && return 0
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

expect_eq() { # WHAT GOT WANT
  [ "$2" = "$3" ] && return 0
  REASON="$1 is '$2', expected '$3'"
  return 1
}

expect_bytes() { # WHAT FILE PRINTF-FORMAT: the file holds exactly these bytes
  printf "$3" >"$tmp/want"
  [ -f "$2" ] || { REASON="$1 does not exist"; return 1; }
  cmp -s "$2" "$tmp/want" && return 0
  REASON="$1 holds '$(sed -n l "$2" | tr '\n' ' ')', expected '$3'"
  return 1
}

expect_states() { # "NAME=STATE ..." as wine sc query reports them
  local pair bad=""
  for pair in $1; do
    local got
    got=$(service_state "${pair%%=*}")
    [ "$got" = "${pair#*=}" ] || bad+=" ${pair%%=*} is ${got:-unknown} (expected ${pair#*=});"
  done
  [ -z "$bad" ] && return 0
  REASON="service states:$bad"
  return 1
}

# --- the machine: services, registry, files, processes --------------------------------------

service_state() { wine sc query "$1" 2>/dev/null | tr -d '\r' | awk '$1 == "STATE" { print $4 }'; }

reg_value() { # KEY NAME -> "TYPE DATA", nothing when the value is missing
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2    \(REG_[A-Z_]*\)    \(.*\)\$/\1 \2/p"
}

ini_get() { # FILE SECTION KEY, matched as the profile functions match them
  python3 - "$@" <<'EOF'
import sys
path, section, key = sys.argv[1:4]
current = None
for line in open(path, encoding="latin-1").read().splitlines():
    line = line.strip()
    if line.startswith("[") and "]" in line:
        current = line[1:line.index("]")].strip().lower()
    elif current == section.lower() and "=" in line:
        k, v = line.split("=", 1)
        if k.strip().lower() == key.lower():
            print(v.strip())
            break
EOF
}

ini_add_key() { # FILE SECTION KEY VALUE: added at the top of the section, as an editor would
  python3 - "$@" <<'EOF'
import sys
path, section, key, value = sys.argv[1:5]
lines = open(path, "rb").read().decode("latin-1").split("\r\n")
header = "[%s]" % section
entry = "%s=%s" % (key, value)
if header in lines:
    lines.insert(lines.index(header) + 1, entry)
else:
    lines[-1:] = [header, entry, ""]
open(path, "wb").write("\r\n".join(lines).encode("latin-1"))
EOF
}

status_names() { # FILE -> its names sorted, or "malformed: ..." unless every line is a name ended by CR LF
  python3 - "$1" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
lines = data.split(b"\r\n")
if lines[-1] != b"" or any(b"\r" in l or b"\n" in l or not l for l in lines[:-1]):
    print("malformed: %r" % data)
else:
    print(" ".join(sorted(l.decode("latin-1") for l in lines[:-1])))
EOF
}

log_mark() { [ -f "$services_log" ] && wc -l <"$services_log" || echo 0; }
log_since() { tail -n +$(($1 + 1)) "$services_log" 2>/dev/null | tr -d '\r' | paste -sd, - | sed 's/,/, /g'; }

# The Wine processes of this prefix, as "PID COMMAND-LINE" lines; shell commands of this
# script share its environment and are left out by their executable.
prefix_process_lines() {
  local env p
  for env in $(grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null); do
    p=${env%/environ}
    case "$(readlink "$p/exe" 2>/dev/null)" in *wine*) ;; *) continue ;; esac
    echo "${p#/proc/} $(tr '\0' ' ' 2>/dev/null <"$p/cmdline" | sed 's/ *$//')"
  done
}

# Command lines of the processes that stay; the tools the suite itself runs and the default
# desktop that they bring up come and go.
prefix_processes() {
  prefix_process_lines | cut -d' ' -f2- |
    grep -v -E 'probe\.exe|\\(sc|reg|net|conhost|start)\.exe|explorer\.exe /desktop$|^$' | sort -u
}

# The program wherever it was started from (Program Files, or a folder of its own).
program_pids() { prefix_process_lines | grep -E '^[0-9]+ [A-Za-z]:\\.*\\Tarnwick\.exe( |$)' | cut -d' ' -f1; }

# --- the screen -----------------------------------------------------------------------------

probe() {
  wine "$probe" --desktop "$DESKTOP_NAME" "$@" 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

shot() { import -window root "$1" 2>/dev/null; }

lamp_of() { # SHOT -> "COLOUR X Y DIGEST LIT"
  # shellcheck disable=SC2086
  python3 "$here/lamp.py" "$1" $DESK 2>/dev/null
}

# Waits until the lamp shows COLOUR and has stopped changing (the same frame over three
# looks spanning most of a second), then remembers where it is.
wait_lamp() { # COLOUR SECONDS
  local want=$1 deadline=$(($(date +%s%N) + $2 * 1000000000)) seen="" same=0 last="" colour x y digest
  while [ "$(date +%s%N)" -lt "$deadline" ]; do
    shot "$tmp/now.png"
    read -r colour x y digest _ <<<"$(lamp_of "$tmp/now.png")"
    [ "${seen##* }" = "$colour" ] || seen+=" $colour"
    if [ "$colour" = "$want" ] && [ "$digest" = "$last" ]; then
      same=$((same + 1))
      if [ "$same" -ge 2 ]; then
        LAMP_X=$x LAMP_Y=$y
        return 0
      fi
    else
      same=0
    fi
    last=$digest
    sleep 0.3
  done
  REASON="the lamp did not rest on $want within $2 s (it showed:$seen)"
  return 1
}

wait_lamp_colour() { # COLOUR SECONDS: the first look that shows COLOUR
  local want=$1 deadline=$(($(date +%s%N) + $2 * 1000000000)) colour x y digest
  while [ "$(date +%s%N)" -lt "$deadline" ]; do
    shot "$tmp/now.png"
    read -r colour x y digest _ <<<"$(lamp_of "$tmp/now.png")"
    [ "$colour" = "$want" ] && return 0
    sleep 0.1
  done
  REASON="the lamp did not turn $want within $2 s (last: $colour)"
  return 1
}

double_click_lamp() { xdotool mousemove "$LAMP_X" "$LAMP_Y" sleep 0.4 click --repeat 2 --delay 80 1; }

away() {
  # shellcheck disable=SC2086
  xdotool mousemove $NEUTRAL
}

read_tip() { # the tool tip's text, CR and LF spelled \r and \n
  local text=""
  away
  sleep 0.2
  xdotool mousemove "$LAMP_X" "$LAMP_Y"
  sleep 0.1
  xdotool mousemove $((LAMP_X + 1)) "$LAMP_Y"
  wait_for 5 'text=$(probe tip | head -n 1); [ -n "$text" ]'
  away
  echo "$text"
}

no_tip() { away; wait_for 3 "! probe tip >/dev/null"; }

crop() { convert "$1" -crop "$3" +repage "$2"; } # SHOT OUT WxH+X+Y

# Opens the program's popup menu and compares it, pixel for pixel, with a reference menu
# that the probe builds from ITEMS with the same menu calls at the same place. Leaves the
# program's menu open and ITEM_X/ITEM_Y at the centres of its items.
open_menu() { # ITEM... ("c:" checked, "g:" grayed)
  local ref=$tmp/ref.txt pid rect ref_rect line diff items="[$*]"
  no_tip
  rm -f "$tmp/menu-done"
  : >"$ref"
  # Straight to the file: through a pipe the lines would wait in a buffer until the end.
  wine "$probe" --desktop "$DESKTOP_NAME" menu "$(winepath -w "$tmp/menu-done" 2>/dev/null)" \
    "$LAMP_X" "$LAMP_Y" "$@" >"$ref" 2>/dev/null &
  pid=$!
  if ! wait_for 10 "grep -q '^shown' '$ref'"; then
    touch "$tmp/menu-done"
    wait "$pid"
    REASON="the reference menu did not show"
    return 1
  fi
  shot "$tmp/ref.png"
  touch "$tmp/menu-done"
  wait "$pid"
  wait_for 5 "! probe menurect >/dev/null" || { REASON="the reference menu did not close"; return 1; }
  ref_rect=$(tr -d '\r' <"$ref" | sed -n 's/^menu //p')
  ITEM_X=() ITEM_Y=()
  local tag index ix iy iw ih
  while read -r tag index ix iy iw ih; do
    ITEM_X[$index]=$((ix + iw / 2))
    ITEM_Y[$index]=$((iy + ih / 2))
  done < <(tr -d '\r' <"$ref" | grep '^item ')

  xdotool mousemove "$LAMP_X" "$LAMP_Y" click 3
  wait_for 5 "probe menurect >/dev/null" || { REASON="a right click on the lamp opened no menu"; return 1; }
  rect=$(probe menurect)
  no_tip
  shot "$tmp/menu.png"
  [ "$rect" = "$ref_rect" ] || { REASON="the menu is at $rect, a menu of $items would be at $ref_rect"; return 1; }
  local mx my mw mh
  read -r mx my mw mh <<<"$rect"
  MENU_RECT="${mw}x$mh+$mx+$my"
  crop "$tmp/menu.png" "$tmp/menu-crop.png" "$MENU_RECT"
  crop "$tmp/ref.png" "$tmp/ref-crop.png" "$MENU_RECT"
  [ "$(identify -format %k "$tmp/ref-crop.png")" -ge 2 ] || { REASON="the reference menu was not on the screen"; return 1; }
  diff=$(compare -metric AE "$tmp/menu-crop.png" "$tmp/ref-crop.png" null: 2>&1)
  if [ "$diff" != 0 ]; then
    cp "$tmp/menu-crop.png" "$art/menu-mismatch-program.png"
    cp "$tmp/ref-crop.png" "$art/menu-mismatch-expected.png"
    REASON="the menu differs from one with the items $items in $diff pixels"
    return 1
  fi
}

close_menu() {
  away
  xdotool click 1
  wait_for 3 "! probe menurect >/dev/null"
}

click_item() { xdotool mousemove "${ITEM_X[$1]}" "${ITEM_Y[$1]}" sleep 0.1 click 1; }

# --- the README's pictures -------------------------------------------------------------------

docs_out() { # NAME CROPPED: to the artefacts, and to docs/ when asked
  convert "$2" -filter point -resize 300% "$art/docs-$1.png"
  [ "${E2E_DOCS:-0}" = 1 ] && cp "$art/docs-$1.png" "$root/docs/$1.png"
  return 0
}

# The pulsing lamp at its brightest of a few looks, with no tool tip in the way.
save_docs_busy() { # NAME
  local best=-1 i colour x y digest lit
  no_tip
  for i in 1 2 3 4 5 6 7 8 9 10 11 12; do
    shot "$tmp/pulse.png"
    read -r colour x y digest lit <<<"$(lamp_of "$tmp/pulse.png")"
    if [ "$colour" = yellow ] && [ "$lit" -gt "$best" ]; then
      best=$lit
      cp "$tmp/pulse.png" "$tmp/now.png"
    fi
    sleep 0.05
  done
  [ "$best" -ge 0 ] && save_docs_crop "$1"
}

save_docs_resting() { # NAME: the lamp as it is now, with no tool tip in the way
  no_tip
  shot "$tmp/now.png"
  save_docs_crop "$1"
}

save_docs_crop() { # NAME: the bottom right of the desktop in the last look
  local dx dy dw dh
  read -r dx dy dw dh <<<"$DESK"
  crop "$tmp/now.png" "$tmp/docs.png" "160x40+$((dx + dw - 160))+$((dy + dh - 40))"
  docs_out "$1" "$tmp/docs.png"
}

save_docs_menu() { # [NAME]: the open menu above the lamp
  local dx dy dw dh mx my
  read -r dx dy dw dh <<<"$DESK"
  mx=$(sed -E 's/.*\+([0-9]+)\+([0-9]+)$/\1/' <<<"$MENU_RECT")
  my=$(sed -E 's/.*\+([0-9]+)\+([0-9]+)$/\2/' <<<"$MENU_RECT")
  mx=$((mx - 20)) my=$((my - 20))
  crop "$tmp/menu.png" "$tmp/docs.png" "$((dx + dw - mx))x$((dy + dh - my))+$mx+$my"
  docs_out "${1:-menu}" "$tmp/docs.png"
}

# The service log against layers "A stop, B stop | C stop": the layers in order, the lines
# within a layer in any order (services that do not depend on each other go together, and
# their processes log as they run).
expect_log_layers() { # WHAT ACTUAL EXPECTED
  local what=$1 actual=$2 expected=$3 layer got=() want="" have="" n i
  IFS=',' read -ra got <<<"${actual//, /,}"
  i=0
  IFS='|' read -ra layers <<<"$expected"
  for layer in "${layers[@]}"; do
    local items=()
    IFS=',' read -ra items <<<"$(echo "$layer" | sed 's/^ *//; s/ *$//; s/, /,/g')"
    n=${#items[@]}
    want+="$(printf '%s\n' "${items[@]}" | sort | paste -sd, -) | "
    have+="$(printf '%s\n' "${got[@]:i:n}" | sort | paste -sd, -) | "
    i=$((i + n))
  done
  [ "$i" -eq "${#got[@]}" ] && [ "$have" = "$want" ] && return 0
  REASON="$what is '$actual', expected the layers '$expected'"
  return 1
}

# Seconds (to a tenth) since a mark of date +%s%N.
seconds_since() { awk -v a="$1" -v b="$(date +%s%N)" 'BEGIN { printf "%.1f", (b - a) / 1e9 }'; }
