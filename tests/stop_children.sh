# Sourced by the test scripts that start servers in the background (kept in
# the array pids). Each is stopped and reaped before the script ends: an X
# server still shutting down removes the socket of the display number it
# held, which by then may belong to the next test's server.
running() {
  local state
  state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1) && [[ $state != Z ]]
}

stop_children() {
  local pid deadline=$((SECONDS + 30))
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do
    while running "$pid" && ((SECONDS < deadline)); do sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
