# Shared by the sync tests: a Radicale server on a free local port in a
# temporary folder, desks (each its own data folder, vdir and vdirsyncer
# configuration) and plain HTTP requests. Sourced; sets tmp, url.
set -euo pipefail
tmp=$(mktemp -d)
server_pid=
cleanup() {
  [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
url=http://127.0.0.1:$port/ana/agenda/
radicale --storage-filesystem-folder="$tmp/server" --server-hosts="127.0.0.1:$port" --auth-type=none \
  >"$tmp/radicale.log" 2>&1 &
server_pid=$!

# One request with Python's standard library; waits for the server to listen,
# up to a generous limit (a loaded machine starts it slowly).
http() {
  /usr/bin/python3 - "$@" <<'PY'
import sys, time, urllib.request
method, url = sys.argv[1], sys.argv[2]
body = open(sys.argv[3], 'rb').read() if len(sys.argv) > 3 else None
deadline = time.monotonic() + 180
while time.monotonic() < deadline:
    try:
        request = urllib.request.Request(url, data=body, method=method, headers={'Content-Type': 'text/calendar',
            'Authorization': 'Basic YW5hOng='})  # ana:x; the server takes any password
        urllib.request.urlopen(request).read()
        break
    except urllib.error.URLError as error:
        if not isinstance(getattr(error, 'reason', None), ConnectionRefusedError): raise
        time.sleep(0.1)
else:
    sys.exit('server did not start')
PY
}
http MKCALENDAR "$url"

# make_desk NAME: its data folder $tmp/NAME with [Sincronizar] set, its vdir
# and vdirsyncer configuration (the server wins vdirsyncer's own conflicts).
make_desk() {
  local desk=$tmp/$1
  mkdir -p "$desk/data"
  cat >"$desk/vdirsyncer.conf" <<CONF
[general]
status_path = "$desk/status/"
[pair agenda]
a = "local"
b = "server"
collections = null
conflict_resolution = "b wins"
[storage local]
type = "filesystem"
path = "$desk/vdir/"
fileext = ".ics"
[storage server]
type = "caldav"
url = "$url"
username = "ana"
password = "x"
CONF
  mkdir -p "$desk/vdir"
  printf '[Sincronizar]\ncarpeta=%s\norden=vdirsyncer -c %s sync\n' "$desk/vdir" "$desk/vdirsyncer.conf" \
    >"$desk/data/Configuracion.ini"
  vdirsyncer -c "$desk/vdirsyncer.conf" discover >>"$tmp/vdirsyncer.log" 2>&1 || { cat "$tmp/vdirsyncer.log" >&2; fail "discover $1"; }
}

# desk NAME ARGS...: quimbaro on that desk's data folder.
desk() { local name=$1; shift; "$quimbaro" --data "$tmp/$name/data" "$@"; }
sync_desk() { desk "$1" sync >>"$tmp/sync.log" 2>&1 || { cat "$tmp/sync.log" >&2; fail "sync of $1"; }; }
book() { desk "$1" list 01/01/2026 --days 1000 --format tsv | grep -v '^fecha' | cut -f1-5 | sort; }
