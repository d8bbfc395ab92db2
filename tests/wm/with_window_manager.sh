#!/usr/bin/env bash
# Runs a program on a display of its own (Xvfb) managed by a real window
# manager (openbox). Exit 77, counted as skipped, when Xvfb is not installed.
set -euo pipefail
command -v Xvfb >/dev/null || { echo "Xvfb is not installed: skipped"; exit 77; }
command -v openbox >/dev/null || { echo "openbox is missing (scripts/install-deps.sh installs it)"; exit 1; }

work=$(mktemp -d)
pids=()
source "$(dirname "${BASH_SOURCE[0]}")/../stop_children.sh"
cleanup() {
  stop_children
  rm -rf "$work"
}
trap cleanup EXIT

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

# Xvfb picks a free display number and writes it to descriptor 3; the display
# is up once a client gets through to it. A server that died or never took a
# client, or a manager that could not open its display, is started afresh.
start_display() {
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  local xvfb=$!
  pids+=("$xvfb")
  wait_for "$xvfb" test -s "$work/display" || return 1
  export DISPLAY=":$(head -n1 "$work/display")"
  wait_for "$xvfb" xdotool getdisplaygeometry || return 1
  HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  # The manager is ready once it has published its desktops.
  wait_for $! xdotool get_num_desktops
}

for attempt in 1 2 3; do
  start_display && break
  echo "attempt $attempt: the display or its window manager did not start"
  cat "$work/xvfb.log" "$work/openbox.log" 2>/dev/null || true
  stop_children
  pids=()
  [[ $attempt != 3 ]] || exit 1
done

QT_QPA_PLATFORM=xcb "$@"
