#!/usr/bin/env bash
# The window read as a screen reader reads it: a private session bus, the
# accessibility bus, the program on Xvfb with accessibility on, and a reader
# (read_window.py) that walks the tree and types into the window.
# Usage: screen_reader_test.sh PROGRAM. Exit 77 (skipped) when a tool is missing.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
# The system's Python: the bindings are Debian packages.
python=/usr/bin/python3
for tool in Xvfb dbus-daemon xdotool "$python"; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[[ -x $launcher ]] || { echo "skipped: at-spi2-core is not installed"; exit 77; }
"$python" -c 'import pyatspi' 2>/dev/null || { echo "skipped: python3-pyatspi is not installed"; exit 77; }

work=$(mktemp -d)
pids=()
source "$(dirname "${BASH_SOURCE[0]}")/../stop_children.sh"
source "$here/../x_display.sh"
cleanup() {
  stop_children
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/data"
chmod 700 "$XDG_RUNTIME_DIR"

# Waits until the file has a line, for at most a minute.
wait_line() {
  for _ in $(seq 600); do [[ -s $1 ]] && return 0; sleep 0.1; done
  echo "no line in $1 after a minute" >&2
  exit 1
}

start_with_retries start_xvfb 1400x1050x24 || exit 1

dbus-daemon --session --nofork --print-address=3 3>"$work/bus" &
pids+=($!)
wait_line "$work/bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")

"$launcher" --launch-immediately 2>"$work/launcher.log" &
pids+=($!)
# The program asks the session bus for the accessibility bus once, at start:
# wait until the launcher answers there (a loaded machine starts it slowly).
for _ in $(seq 1800); do
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
  sleep 0.1
done

# The appointments the reader looks for, stored as a user would beforehand.
today=$(date +%d/%m/%Y)
"$program" --data "$work/data" add "$today|09:30|600111222|José Peña|Revisión del año" >/dev/null
"$program" --data "$work/data" add "24/12/2030|10:00|611223344|Íñigo Ibáñez|Cumpleaños" >/dev/null
"$program" --data "$work/data" add "24/12/2030|08:00||Ana|Café" >/dev/null

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$program" --data "$work/data" 2>"$work/program.log" &
pids+=($!)
status=0
"$python" "$here/read_window.py" || status=$?
if ((status != 0)); then
  echo "--- program:"; cat "$work/program.log"
  echo "--- display $DISPLAY:"; xdotool getdisplaygeometry 2>&1 || true; cat "$work/xvfb.log"
  echo "--- launcher:"; cat "$work/launcher.log"
fi
exit $status
