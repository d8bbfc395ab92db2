#!/usr/bin/env bash
# The book reaches a real CalDAV server (radicale) through a real sync tool
# (vdirsyncer) from `quimbaro export --vdir`, and an event made on the server
# comes back and is imported. Everything lives in a temporary folder and the
# server listens on a free local port.
#   caldav_sync_test.sh PATH/TO/quimbaro
set -euo pipefail
quimbaro=$1
export TZ=Europe/Madrid  # the server event's UTC start is 16:00 here
source "$(dirname "$0")/sync_helpers.sh"  # the server, its calendar, http

book=$tmp/book vdir=$tmp/vdir
"$quimbaro" --data "$book" add '05/12/2026|09:30|600 111 222|García, Ana|Revisión; anual \ ñandú' >/dev/null
"$quimbaro" --data "$book" add '06/12/2026|tarde|||Café' >/dev/null
"$quimbaro" --data "$book" add '07/01/2027|18:00||Luis|Cena' >/dev/null
"$quimbaro" --data "$book" export --vdir "$vdir" >/dev/null

cat >"$tmp/config" <<CONF
[general]
status_path = "$tmp/status/"
[pair agenda]
a = "book"
b = "server"
collections = null
conflict_resolution = "a wins"
[storage book]
type = "filesystem"
path = "$vdir/"
fileext = ".ics"
[storage server]
type = "caldav"
url = "$url"
username = "ana"
password = "x"
CONF
sync() { vdirsyncer -c "$tmp/config" "$@" >>"$tmp/vdirsyncer.log" 2>&1 || { cat "$tmp/vdirsyncer.log" >&2; fail "vdirsyncer $*"; }; }
sync discover
sync sync

# The server's collection holds every appointment, each with its fields.
collection=$tmp/server/collection-root/ana/agenda
for uid in $(cd "$vdir" && ls quimbaro-*.ics | sed 's/\.ics$//'); do
  grep -lq "UID:$uid" "$collection"/*.ics || fail "$uid is not on the server"
done
[[ $(cat "$collection"/*.ics | grep -c '^BEGIN:VEVENT') == 3 ]] || fail "the server does not hold 3 events"
grep -q 'SUMMARY:García\\, Ana: Revisión\\; anual \\\\ ñandú' "$collection"/*.ics || fail "summary changed on the way"

# An event made on the server side comes back and into the book.
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\nBEGIN:VEVENT\r\nUID:phone-1\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20261208T150000Z\r\nSUMMARY:Dentista\\, revisión\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' >"$tmp/phone.ics"
http PUT "${url}phone-1.ics" "$tmp/phone.ics"
sync sync
[[ -f $vdir/phone-1.ics ]] || fail "the server's event did not reach the folder"
"$quimbaro" --data "$book" import "$vdir/phone-1.ics" >/dev/null || fail "import of the server's event"
listed=$("$quimbaro" --data "$book" list 08/12/2026 --format tsv | tail -n 1)
[[ $listed == $'08/12/2026\t16:00\t\t\tDentista, revisión\t1\t2026-12-08\t' ]] || fail "the imported event is listed as: $listed"

# The next export leaves the sync tool's file alone and changes nothing of ours.
out=$("$quimbaro" --data "$book" export --vdir "$vdir")
[[ $out == "Carpeta $vdir: 0 archivos escritos, 3 sin cambios, 0 borrados. 1 citas ya estaban en archivos de otros programas." ]] || fail "second export: $out"
[[ -f $vdir/phone-1.ics ]] || fail "the export removed a file it did not write"
echo "caldav sync: ok"
