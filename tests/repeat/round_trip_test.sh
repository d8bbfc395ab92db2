#!/usr/bin/env bash
# A series added on the command line, exported, read by python3-icalendar as
# one event with the same rule and its removed day, then imported into an
# empty folder: the same days, the same rows, the same repetition.
# Usage: round_trip_test.sh QUIMBARO
set -euo pipefail
program=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
q() { "$program" --data "$@"; }

q "$work/a" add '08/12/2026|10:00|600111222|Ana Peña|Fisio' --every week --interval 2 --count 10 >/dev/null
q "$work/a" add '31/01/2027|09:00|1|Eva|Mes' --every month --until 31/12/2027 >/dev/null
q "$work/a" delete 22/12/2026 1 >/dev/null
q "$work/a" export "$work/book.ics"
/usr/bin/python3 - "$work/book.ics" <<'PY' || fail "python3-icalendar read another calendar"
import sys
from datetime import date
import icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], "rb").read())
events = [c for c in cal.walk("VEVENT")]
assert len(events) == 2, len(events)
rules = {str(e["SUMMARY"]): dict(e["RRULE"]) for e in events}
assert rules["Ana Peña: Fisio"] == {"FREQ": ["WEEKLY"], "INTERVAL": [2], "COUNT": [10]}, rules
until = rules["Eva: Mes"]["UNTIL"][0]
assert rules["Eva: Mes"]["FREQ"] == ["MONTHLY"] and until.date() == date(2027, 12, 31), rules
ana = [e for e in events if str(e["SUMMARY"]).startswith("Ana")][0]
assert [d.dt.date() for d in ana["EXDATE"].dts] == [date(2026, 12, 22)], ana["EXDATE"].to_ical()
PY
q "$work/b" import "$work/book.ics" >/dev/null
list() { q "$1" list 01/12/2026 --days 400 --format tsv; }
[[ $(list "$work/a") == "$(list "$work/b")" ]] || fail "the imported series differ: $(diff <(list "$work/a") <(list "$work/b"))"
[[ $(list "$work/a" | grep -c semanal) -eq 0 && $(list "$work/a" | grep -c 'cada 2 semanas') -eq 9 ]] ||
  fail "not nine days of the series: $(list "$work/a")"
[[ $(list "$work/a" | grep -c mensual) -eq 7 ]] || fail "a monthly series from the 31st has seven days in 2027"
q "$work/b" import "$work/book.ics" | grep -q "0 citas que se repiten añadidas, 2 ya estaban" || fail "imported twice"
# edit and delete on a series' day, alone and with --series.
q "$work/a" edit 05/01/2027 1 '05/01/2027|11:00|600111222|Ana Peña|Otra' --series | grep -q "Se cambió la serie cada 2 semanas desde el 05/01/2027" ||
  fail "edit --series"
q "$work/a" delete 02/02/2027 1 --series | grep -q "Se terminó la serie cada 2 semanas" || fail "delete --series"
days=$(list "$work/a" | grep -c 'cada 2 semanas')
[[ $days -eq 3 && $(list "$work/a" | grep -c $'\t11:00\t.*Otra') -eq 2 ]] || fail "after the changes: $(list "$work/a")"
q "$work/a" add '10/12/2026|12:00|1|Sola|x' >/dev/null
q "$work/a" delete 10/12/2026 1 --series >/dev/null 2>&1 && fail "a single appointment was deleted as a series"
echo "round trip: 2 series, same days after export and import"
