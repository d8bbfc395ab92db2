#!/usr/bin/env bash
# Two desks share one book through a real CalDAV server (Radicale) and a real
# sync tool (vdirsyncer) run by `quimbaro sync`: after each round every desk
# lists the same appointments, the expected ones; a change made on both
# sides keeps both versions; events put, changed and deleted on the server
# with plain HTTP reach both books.
#   two_desks_test.sh PATH/TO/quimbaro
quimbaro=$1
export TZ=Europe/Madrid
source "$(dirname "$0")/sync_helpers.sh"
make_desk a
make_desk b

# round "what": syncs A, B, then A, and checks both books against the lines on stdin.
round() {
  local expected
  expected=$(sort)
  sync_desk a; sync_desk b; sync_desk a
  [[ $(book a) == "$expected" ]] || fail "$1: desk A holds"$'\n'"$(book a)"$'\n'"instead of"$'\n'"$expected"
  [[ $(book b) == "$expected" ]] || fail "$1: desk B holds"$'\n'"$(book b)"$'\n'"instead of"$'\n'"$expected"
}
row() { desk "$1" list "$2" --format tsv | awk -F'\t' -v s="$3" '$5 == s { print $6 }'; }

desk a add '07/12/2026|09:30|600111222|Ana|Revisión' >/dev/null
desk a add '08/12/2026|10:00||Luis|Primera visita' >/dev/null
desk b add '07/12/2026|12:00|911222333|José|Limpieza' >/dev/null
desk b add '09/01/2027|tarde|||Café' >/dev/null
round "both add" <<'END'
07/12/2026	09:30	600111222	Ana	Revisión
08/12/2026	10:00		Luis	Primera visita
07/12/2026	12:00	911222333	José	Limpieza
09/01/2027	tarde			Café
END

desk a edit 07/12/2026 "$(row a 07/12/2026 Limpieza)" '07/12/2026|12:30|911222333|José|Limpieza y revisión' >/dev/null
desk b delete 08/12/2026 "$(row b 08/12/2026 'Primera visita')" >/dev/null
round "A edits one of B's, B deletes one of A's" <<'END'
07/12/2026	09:30	600111222	Ana	Revisión
07/12/2026	12:30	911222333	José	Limpieza y revisión
09/01/2027	tarde			Café
END

desk a edit 09/01/2027 1 '09/01/2027|tarde|||Café con Ana' >/dev/null
desk b edit 09/01/2027 1 '09/01/2027|17:00|||Café' >/dev/null
round "both edit the same appointment: both versions stay" <<'END'
07/12/2026	09:30	600111222	Ana	Revisión
07/12/2026	12:30	911222333	José	Limpieza y revisión
09/01/2027	tarde			Café con Ana
09/01/2027	17:00			Café
END
grep -q '1 conflictos' "$tmp/sync.log" || fail "the conflict was not counted: $(cat "$tmp/sync.log")"

# From the server's side with plain HTTP: a new event, its change, its deletion.
event() {
  printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\nBEGIN:VEVENT\r\nUID:web-1\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20261210T%s\r\nLOCATION:Sala 2\r\nSUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' "$1" "$2" >"$tmp/web.ics"
}
old=$(book a)
event 150000Z 'Dentista\, revisión'
http PUT "${url}web-1.ics" "$tmp/web.ics"
round "an event put on the server" <<END
$old
10/12/2026	16:00			Dentista, revisión
END
event 170000Z 'Dentista'
http PUT "${url}web-1.ics" "$tmp/web.ics"
round "the event changed on the server" <<END
$old
10/12/2026	18:00			Dentista
END
desk b edit 10/12/2026 1 '10/12/2026|18:30|||Dentista' >/dev/null
round "the server's event changed at a desk" <<END
$old
10/12/2026	18:30			Dentista
END
grep -l 'UID:web-1' "$tmp"/server/collection-root/ana/agenda/*.ics | xargs grep -q 'LOCATION:Sala 2' ||
  fail "the change at the desk did not keep the event's own properties"
http DELETE "${url}web-1.ics"
round "the event deleted on the server" <<END
$old
END

# A series travels as one event with its rule, both ways.
desk a add '14/12/2026|11:00|||Fisio' --every week --count 3 >/dev/null
round "a series made at A" <<END
$old
14/12/2026	11:00			Fisio
21/12/2026	11:00			Fisio
28/12/2026	11:00			Fisio
END
[[ $(grep -l '^RRULE:FREQ=WEEKLY;COUNT=3' "$tmp"/server/collection-root/ana/agenda/*.ics | wc -l) == 1 ]] ||
  fail "the series is not one event on the server"
[[ $(desk b list 21/12/2026 --format tsv | cut -f8 | tail -n 1) == semanal ]] || fail "desk B holds no series"
desk b delete 21/12/2026 1 --series >/dev/null
round "the series ended at B" <<END
$old
14/12/2026	11:00			Fisio
END

# Settled: more syncs write, add, change and delete nothing.
for name in a b; do
  out=$(desk "$name" sync)
  [[ $out == *" 0 archivos escritos, 0 citas añadidas, 0 cambiadas, 0 borradas, 0 conflictos "* ]] || fail "not settled: $out"
done
echo "two desks: ok"
