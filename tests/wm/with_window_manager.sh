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

source "$(dirname "${BASH_SOURCE[0]}")/../x_display.sh"

# The display, then a real window manager on it.
start_display() {
  start_xvfb 1280x1024x24 || return 1
  HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  # The manager is ready once it has published its desktops.
  wait_for $! xdotool get_num_desktops
}
start_with_retries start_display || exit 1

QT_QPA_PLATFORM=xcb "$@"
