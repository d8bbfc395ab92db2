#!/usr/bin/env bash
# Runs a program on a display of its own (Xvfb) managed by a real window
# manager (openbox). Exit 77, counted as skipped, when Xvfb is not installed.
set -euo pipefail
command -v Xvfb >/dev/null || { echo "Xvfb is not installed: skipped"; exit 77; }
command -v openbox >/dev/null || { echo "openbox is missing (scripts/install-deps.sh installs it)"; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to descriptor 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 300); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || { cat "$work/xvfb.log"; echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# The manager is ready once it has published its desktops.
for _ in $(seq 300); do xdotool get_num_desktops >/dev/null 2>&1 && break; sleep 0.1; done
xdotool get_num_desktops >/dev/null 2>&1 || { cat "$work/openbox.log"; echo "openbox did not start"; exit 1; }

QT_QPA_PLATFORM=xcb "$@"
