# Shared by the end-to-end scripts (sourced): a scratch directory removed on
# exit with every process started, a fail that shows the logs, the simulator
# with COM1 mapped to it, and ending the program with SIGTERM.

work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
# Further files a failure shows the end of, beside the simulator's log and the program's output.
fail_logs=()
fail() {
  echo "FAIL: $*"
  echo "--- simulator log"; tail -n 20 "$work/sim.log" 2>/dev/null || true
  echo "--- program output"; cat "$work/gui.log" 2>/dev/null || true
  for f in "${fail_logs[@]}"; do echo "--- $(basename "$f")"; tail -n 20 "$f" 2>/dev/null || true; done
  exit 1
}

# start_simulator SIMULATOR INI_FILE: a device of type 3 on $work/COM1, mapped as COM1 in INI_FILE.
start_simulator() {
  "$1" --link "$work/COM1" --type 3 --verbose < /dev/null > "$work/sim.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -L "$work/COM1" ] && break; sleep 0.1; done
  [ -L "$work/COM1" ] || fail "simulator did not start"
  printf '[COM]\r\nCOMPORT=1\r\nCOM1=%s\r\n' "$work/COM1" > "$2"
}

# end_on_sigterm PID: the program must end within 10 s, with status 0.
end_on_sigterm() {
  kill -TERM "$1"
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && fail "tr-gui did not end on SIGTERM"
  local status=0
  wait "$1" || status=$?
  [ "$status" -eq 0 ] || fail "tr-gui ended with status $status"
}
