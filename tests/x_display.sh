# Sourced by the test scripts that need an X server of their own (after
# stop_children.sh, with $work and the array pids set).

# True once the command succeeds, false when the process died first or a
# minute went by (a loaded machine may take that long, a broken one longer).
wait_for() {
  local pid=$1 deadline=$((SECONDS + 60))
  shift
  until "$@" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# Starts Xvfb at the given screen size on a free display number, which it
# writes to descriptor 3, and exports DISPLAY once a client got through: a
# number written is not yet a server that answers (one died right after).
# Without -noreset the server resets when its last client leaves, as the
# check's client does: whoever connects during the reset is refused or cut off.
start_xvfb() {
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  local xvfb=$!
  pids+=("$xvfb")
  wait_for "$xvfb" test -s "$work/display" || return 1
  export DISPLAY=":$(head -n1 "$work/display")"
  wait_for "$xvfb" xdotool getdisplaygeometry
}

# Runs the given start-up (a function) up to three times, each from nothing.
start_with_retries() {
  local attempt
  for attempt in 1 2 3; do
    "$@" && return 0
    echo "attempt $attempt: the display did not start"
    cat "$work"/*.log 2>/dev/null || true
    stop_children
    pids=()
  done
  return 1
}
