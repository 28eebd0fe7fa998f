#!/usr/bin/env bash
# End to end: the real tr-gui in a staged program directory on a virtual
# display, against the simulator. Switches to the Operation page like a user
# (Ctrl+Tab), checks that polls arrive and that the window shows them, then
# ends the program with SIGTERM and checks that it saved its settings.
#   operation_polls.sh STAGE_DIR SIMULATOR
set -euo pipefail
stage=$1 sim=$2
source "$(dirname "$0")/e2e.sh"

cp "$stage"/tr-gui "$stage"/*.txt "$work/"
start_simulator "$sim" "$work/TR-GUI.ini"

# Xvfb picks a free display itself and tells its number once it is ready.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3> "$work/display" > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$work/display")

(cd "$work" && exec ./tr-gui > "$work/gui.log" 2>&1) &
gui=$!
pids+=($gui)
window=""
for _ in $(seq 300); do
  kill -0 "$gui" 2>/dev/null || fail "tr-gui ended at start"
  window=$(xdotool search --name "KM210 GUI" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "no window appeared"
[ "$(xdotool getwindowname "$window")" = "Trelvik – KM210 GUI" ] || fail "window title: $(xdotool getwindowname "$window")"
for _ in $(seq 100); do grep -q "request 0x50 Identify -> 4 bytes" "$work/sim.log" && break; sleep 0.1; done
grep -q "request 0x50 Identify -> 4 bytes" "$work/sim.log" || fail "no identification at start"

sleep 1
[ "$(grep -c 'ReadErrorCode' "$work/sim.log" || true)" -eq 0 ] || fail "polls before a consuming page was shown"

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --window "$window" ctrl+Tab ctrl+Tab
for _ in $(seq 300); do
  [ "$(grep -c 'ReadErrorCode' "$work/sim.log" || true)" -ge 2 ] && break
  sleep 0.1
done
[ "$(grep -c 'ReadErrorCode' "$work/sim.log" || true)" -ge 2 ] || fail "no polls after switching to the Operation page"
grep -q 'ReadLowFlowSuppression' "$work/sim.log" && fail "a standard device was asked for low-flow suppression"

import -window root "$work/screen.png"
colours=$(convert "$work/screen.png" -format %k info:)
[ "$colours" -gt 50 ] || fail "the screen looks empty ($colours colours)"

end_on_sigterm "$gui"
grep -q "REFRESHRATE=2" "$work/TR-GUI.ini" || fail "settings not saved on exit"
echo "PASS: $(grep -c 'ReadErrorCode' "$work/sim.log") polls seen"
