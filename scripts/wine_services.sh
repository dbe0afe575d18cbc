# Sourced by the Wine test runners and the run command, after scripts/wine_env.sh and with
# WINEPREFIX set: registers test services (tools/testservice) in the prefix.
#   wine_service_install BIN NAME LOG [option]   a demand-start service running BIN
#   wine_service_repoint BIN NAME LOG [option]   an existing service (LanmanServer) made to run BIN
#   wine_service_depends NAME TYPE VALUE         DependOnService of NAME (TYPE: REG_MULTI_SZ, REG_SZ,
#                                                REG_EXPAND_SZ; items of a multi-string joined by \0)
#   wine_service_start NAME / wine_service_stop BIN NAME   (the stop takes the active dependents
#                                                along first, as Windows' net stop does)
#   wine_services_demo BIN LOG                   LanmanServer and two dependents, all running
# BIN and LOG are Unix paths; option is ignore-stop, refuse-stop or slow. Every
# test service refuses its stop while a dependent of it is active, as Windows does.

wine_winpath() { winepath -w "$1" 2>/dev/null; }

wine_service_install() {
  local bin=$1 name=$2 log=$3
  wine "$bin" install "$name" "$(wine_winpath "$log")" "${@:4}"
}

wine_service_repoint() {
  local bin=$1 name=$2 log=$3
  wine "$bin" repoint "$name" "$(wine_winpath "$log")" "${@:4}"
}

wine_service_depends() {
  # Wine's CreateServiceA keeps only the first dependency, so the value is written directly.
  wine reg add "HKLM\\SYSTEM\\CurrentControlSet\\Services\\$1" /v DependOnService /t "$2" /d "$3" /f >/dev/null
}

wine_service_state() { wine sc query "$1" 2>/dev/null | tr -d '\r' | sed -nE 's/^ *STATE *: *([0-9]+).*/\1/p'; }

wine_service_start() {
  local attempt state
  for attempt in 1 2 3; do
    wine net start "$1" >/dev/null 2>&1 && return 0
    # Under load "net start" may give up while the service is still coming up, or find the
    # database busy: look at the service itself, and ask again if it is not on its way.
    for _ in $(seq 15); do
      state=$(wine_service_state "$1")
      [ "$state" = 4 ] && return 0
      [ "$state" = 2 ] || break
      sleep 1
    done
    sleep 1
  done
  return 1
}
# Wine's net stop does not stop dependents, and the test services refuse while one runs.
wine_service_stop() { wine "$1" stop "$2" >/dev/null 2>&1; }

wine_services_demo() {
  local bin=$1 log=$2
  wine_service_repoint "$bin" LanmanServer "$log" &&
    wine_service_install "$bin" TwBrowser "$log" &&
    wine_service_install "$bin" TwPrinting "$log" &&
    wine_service_depends TwBrowser REG_MULTI_SZ 'Tcpip\0LanmanServer' &&
    wine_service_depends TwPrinting REG_SZ 'LanmanServer' &&
    wine_service_start LanmanServer && wine_service_start TwBrowser && wine_service_start TwPrinting
}
