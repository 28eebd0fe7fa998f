# Sourced by tools/windows/wine-check and bench/windows-under-wine: a virtual
# display, a new Wine prefix with the fonts the window needs, the zip's program
# folder, and the simulator on a pty reached from Wine as COM2.
#
#   wine_env PREFIX              the Wine variables for a prefix
#   wine_display DIR             Xvfb; DISPLAY set, its log in DIR
#   wine_new_prefix              the prefix made afresh, Tahoma and Marlett in it
#   wine_unpack ZIP DIR          the zip's program folder as DIR
#   wine_simulator SIM DIR       the simulator (type 17) on DIR/km210; sim_link
#                                set, its standard input on descriptor 7
#   wine_com2 DIR                the simulator as COM2, no other COM1-COM9
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

# A new prefix each time: Wine keeps the ports it saw at its first start.
wine_new_prefix() {
  echo "Making the Wine prefix $WINEPREFIX"
  local t0=$SECONDS
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # Wine's own Tahoma (the dialog font, from fonts-wine) and Marlett, where
  # Wine looks for them: Debian's Wine 8 looks beside its data folder, not in
  # it, and finds none. Without Tahoma the dialog font falls to the first font
  # there is, DejaVu Math TeX Gyre, whose line metrics under Windows are four
  # times its glyphs' height; line edits centre their text by them, outside
  # their frame, and look empty. Wine's bitmap fonts stay out: a family Qt does
  # not know (the pictures' CSS family lists) would fall to the first of them,
  # Courier, which does not scale.
  local wine_fonts=/usr/share/wine/fonts f
  for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
    [ -f "$wine_fonts/$f" ] || { echo "No $f in $wine_fonts: run tools/windows/build (it installs fonts-wine)" >&2; exit 1; }
    cp "$wine_fonts/$f" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
  echo "  in $((SECONDS - t0)) s"
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

# The simulator as COM2 through Wine's port table (Wine makes the dosdevices
# link from it at start). Wine gives the machine's own serial ports (here
# /dev/ttyS0, a serial console, never to be written to) the free COM numbers:
# COM1 and COM3-COM9 are hidden, so it lands on COM10, outside the program's list.
wine_com2() {  # folder
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
    printf '"COM2"="%s"\r\n' "$sim_link"
    local n
    for n in 1 3 4 5 6 7 8 9; do printf '"COM%d"=""\r\n' "$n"; done
  } >"$1/ports.reg"
  wineserver -k 2>/dev/null || true
  wine reg delete 'HKLM\Software\Wine\Ports' /f >/dev/null 2>&1 || true
  wine regedit /S "$(winepath -w "$1/ports.reg")" >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  rm -f "$WINEPREFIX"/dosdevices/com*
  wine cmd /c exit >/dev/null 2>&1  # starts Wine, which makes the links
  ls -l "$WINEPREFIX/dosdevices" | grep -i com >"$1/com-links.txt" || true
  if [ "$(readlink "$WINEPREFIX/dosdevices/com2")" != "$sim_link" ] \
     || grep -q -E ' com[1-9] ' <(grep -v ' com2 -> ' "$1/com-links.txt"); then
    echo "Wine's COM links are not as set: $(cat "$1/com-links.txt")" >&2
    exit 1
  fi
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
