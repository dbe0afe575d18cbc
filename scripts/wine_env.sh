# Sourced by the Wine test runners: a throwaway prefix and, when asked, a private X display.
#   wine_prefix_new [name]   make a fresh 64-bit prefix, export WINEPREFIX
#   wine_prefix_end          stop this prefix's wineserver and delete the prefix
#   xvfb_start               start Xvfb on a free display, export DISPLAY
#   xvfb_stop                stop the Xvfb this shell started (by its PID)
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

wine_prefix_new() {
  local name=${1:-tw}
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/wine-$name-XXXXXX")
  export WINEPREFIX
  wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; return 1; }
  wineserver -w 2>/dev/null || true
}

wine_prefix_end() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  wineserver -k 2>/dev/null || true
  case "$WINEPREFIX" in "${TMPDIR:-/tmp}"/wine-*) rm -rf "$WINEPREFIX" ;; esac
  unset WINEPREFIX
}

xvfb_start() {
  local n=${1:-91}
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
}

xvfb_stop() {
  [ -n "${XVFB_PID:-}" ] || return 0
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
  unset XVFB_PID
}
