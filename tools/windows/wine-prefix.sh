# Sourced by tools/windows/wine-check and bench/windows-under-wine: a virtual
# display, the zip's program folder, the simulator on a pty, and a new Wine
# prefix in which it is COM2.
#
#   wine_env PREFIX              the Wine variables for a prefix
#   wine_display DIR             Xvfb; DISPLAY set, its log in DIR
#   wine_unpack ZIP DIR          the zip's program folder as DIR
#   wine_simulator SIM DIR       the simulator (type 17) on DIR/km210; sim_link
#                                set, its standard input on descriptor 7
#   wine_prefix_with_com2        the prefix made afresh (tools/windows/wine-prefix),
#                                the simulator as COM2
#   wine_window [SECONDS [PID]]  waits for tr-gui's window to show, prints its id;
#                                fails at once when the program (PID) ends
#   wine_close PID [SECONDS]     closes the window as its close box does and
#                                waits for the program (PID) to end
#   wine_stop                    ends what these started (for the caller's trap)
#
# What they start goes into wine_pids. Each exits the script on failure.

wine_pids=()

wine_env() {  # prefix
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer dialogs
}

wine_display() {  # folder
  rm -f "$1/display"
  Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$1/display" >"$1/xvfb.log" 2>&1 &
  wine_pids+=($!)
  local _
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || { echo "Xvfb did not start: $1/xvfb.log" >&2; exit 1; }
  export DISPLAY=:$(head -n 1 "$1/display")
}

# The program folder from the zip, as a technician unpacks it.
wine_unpack() {  # zip folder
  local into=$2.unzipped
  rm -rf "$into" "$2"
  unzip -q "$1" -d "$into"
  mv "$into"/* "$2"
  rmdir "$into"
}

wine_simulator() {  # simulator folder
  sim_link=$2/km210
  rm -f "$2/sim-in"
  mkfifo "$2/sim-in"
  "$1" --link "$sim_link" --type 17 <"$2/sim-in" >"$2/simulator.log" 2>&1 &
  wine_pids+=($!)
  exec 7>"$2/sim-in"  # the simulator's standard input stays open
  local _
  for _ in $(seq 100); do [ -e "$sim_link" ] && break; sleep 0.1; done
  [ -e "$sim_link" ] || { echo "The simulator did not start: $2/simulator.log" >&2; exit 1; }
}

# The prefix made afresh (tools/windows/wine-prefix: Wine's fonts in it, no
# other COM port below COM30) with the simulator as COM2.
wine_prefix_with_com2() {
  echo "Making the Wine prefix $WINEPREFIX"
  local t0=$SECONDS
  "$(dirname "${BASH_SOURCE[0]}")/wine-prefix" "$WINEPREFIX" "$sim_link"
  echo "  in $((SECONDS - t0)) s"
}

wine_window() {  # [seconds [pid]]
  local _ id
  for _ in $(seq $((${1:-30} * 20))); do
    id=$(xdotool search --onlyvisible --class 'tr-gui' 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    [ -n "${2:-}" ] && ! kill -0 "$2" 2>/dev/null && return 1  # it ended without one
    sleep 0.05
  done
  return 1
}

# WM_CLOSE to the program's windows, what the close box and Alt+F4 send: the
# window closes the normal way and saves its settings.
wine_close() {  # pid [seconds]
  wine taskkill /im tr-gui.exe >/dev/null 2>&1 || return 1
  local _
  for _ in $(seq $((${2:-20} * 10))); do
    kill -0 "$1" 2>/dev/null || { wait "$1" 2>/dev/null; return 0; }
    sleep 0.1
  done
  return 1
}

wine_stop() {
  local p
  wineserver -k 2>/dev/null || true  # first, while its windows still have their display
  for p in "${wine_pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
