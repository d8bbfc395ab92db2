#!/usr/bin/env bash
# print as a user runs it, with no display: a week of 200 appointments
# written as PDF, read back with the poppler tools. The pages are A4 and
# numbered, hold every appointment's texts in the table's order with their
# accents, wrap long texts without losing any and leave the margins blank;
# a failed print leaves the previous file as it was.
# Usage: print_test.sh QUIMBARO
set -euo pipefail
program=$1
export LC_ALL=C.UTF-8
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# No display, but a session's runtime folder, as a user's terminal has.
unset DISPLAY WAYLAND_DISPLAY
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
data=$work/data pdf=$work/semana.pdf
mkdir "$data"

# The week of Monday 7/12/2026: 29 appointments on each of six days (the
# table's rows), 26 on Sunday, each name unique; the records are written
# straight into the year file, as the program stores them. expected.txt
# keeps, in the table's order, each row's cells joined without spaces.
python3 - "$data/2026.log" "$work/expected.txt" <<'PY'
import sys
records, expected = [], []
long_subject = "Revisión de la prótesis dental y de la férula de descarga nocturna, sí"
long_word = "Ñ" * 30 + "x" * 44
for day in range(7, 14):
    for n in range(29 if day < 13 else 26):
        time = "%02d:%02d" % (8 + n // 4, (n % 4) * 15)
        phone, name, subject = "6%08d" % (day * 100 + n), "Peña Ñúñez %d-%02d" % (day, n), "Cita nº %d" % n
        if n == 3: subject = long_subject
        if n == 4: subject = long_word
        if n == 5: phone, name, subject = "", "", ""
        if n == 6: name, subject = "Marí" + "á" * 38 + " largo", ""
        records.append(("%02d/12/2026" % day, time, phone, name, subject))
        grouped = phone[:3] + phone[3:5] + phone[5:7] + phone[-2:]
        expected.append(time + grouped + name + subject)
def field(text, width):
    assert len(text) < width, text
    return text.encode("cp1252").ljust(width, b"\0")
with open(sys.argv[1], "wb") as f:
    for r in reversed(records):  # the file's order is not the table's
        f.write(b"".join(field(t, w) for t, w in zip(r, (11, 6, 13, 50, 75))))
open(sys.argv[2], "w").write("\n".join(e.replace(" ", "") for e in expected) + "\n")
PY

before=$(date +%d/%m/%Y)
"$program" --data "$data" print 07/12/2026 --days 7 --pdf "$pdf" >"$work/out" 2>"$work/err" ||
  fail "print ended with $?: $(cat "$work/err")"
after=$(date +%d/%m/%Y)
[[ ! -s $work/err ]] || fail "print wrote on stderr: $(cat "$work/err")"

# A4, and as many pages as the week took when its pages were checked by
# eye: each page full before the next begins.
pages=6
info=$(pdfinfo "$pdf")
grep -Eq '^Page size: +595(\.[0-9]+)? x 84[12](\.[0-9]+)? pts \(A4\)$' <<<"$info" || fail "not A4: $info"
grep -q "^Pages: *$pages\$" <<<"$info" || fail "not $pages pages: $info"
[[ $(<"$work/out") == "Se imprimieron 7 días en $pages páginas: $pdf" ]] || fail "print said: $(<"$work/out")"

# Each page ends with its number and the day of printing.
pdftotext -layout "$pdf" "$work/text"
for ((page = 1; page <= pages; page++)); do
  text=$(pdftotext -layout -f $page -l $page "$pdf" -)
  grep -Eq "Impreso el ($before|$after) +Página $page de $pages\$" <<<"$text" ||
    fail "page $page lacks its foot: $(tail -3 <<<"$text")"
done

# Every row's cells in the table's order, long texts whole (their wrapped
# lines follow each other); the phone grouped as the window shows it.
python3 - "$work/text" "$work/expected.txt" <<'PY' || fail "the pages do not hold every appointment in order"
import re, sys
text = re.sub(r"\s", "", open(sys.argv[1]).read())
at = 0
for row in open(sys.argv[2]).read().split("\n")[:-1]:
    found = text.find(row, at)
    if found < 0: sys.exit("missing or out of order: " + row)
    at = found + len(row)
PY
grep -q '08:00 *600 00 07 00 *Peña Ñúñez 7-00 *Cita nº 0$' "$work/text" || fail "the first row is not as shown"
for day in 'Lunes 7' 'Martes 8' 'Miércoles 9' 'Jueves 10' 'Viernes 11' 'Sábado 12' 'Domingo 13'; do
  grep -q "^"$'\f'"\?$day de diciembre de 2026\$" "$work/text" || fail "no heading for $day"
done

# Nothing drawn within 13 mm of the edges (the margins are 15 mm).
pdftoppm -r 36 -gray "$pdf" "$work/page"
python3 - "$work"/page-*.pgm <<'PY' || fail "ink in the margins"
import sys
for name in sys.argv[1:]:
    data = open(name, "rb").read()
    head = data.split(b"\n", 3)
    width, height = map(int, head[1].split())
    pixels = head[3]
    band = round(13 / 25.4 * 36)
    for y in range(height):
        for x in range(width):
            inside = band <= x < width - band and band <= y < height - band
            if not inside and pixels[y * width + x] != 255: sys.exit("%s: ink at %d,%d" % (name, x, y))
PY

# The foot is printed in grey, lighter than the table's black text: the
# lowest 2 mm of ink on the first page hold no pixel darker than its grey.
pdftoppm -r 150 -gray -f 1 -l 1 "$pdf" "$work/foot"
python3 - "$work"/foot-*.pgm <<'PY' || fail "the foot is not grey"
import sys
data = open(sys.argv[1], "rb").read()
head = data.split(b"\n", 3)
width, height = map(int, head[1].split())
rows = [head[3][y * width:(y + 1) * width] for y in range(height)]
lowest = max(y for y in range(height) if min(rows[y]) < 255)
darkest = min(min(rows[y]) for y in range(lowest - round(2 / 25.4 * 150), lowest + 1))
if not 0x48 <= darkest <= 0x58: sys.exit("darkest foot pixel %d" % darkest)
PY
rm "$work"/foot-*.pgm

# A failure leaves the previous file: an unreadable book, a missing folder.
cp "$pdf" "$work/previous.pdf"
mv "$data/2026.log" "$data/kept" && mkdir "$data/2026.log"
status=0
"$program" --data "$data" print 07/12/2026 --pdf "$pdf" 2>"$work/err" || status=$?
[[ $status == 1 ]] && cmp -s "$pdf" "$work/previous.pdf" || fail "a failed print ended with $status and changed the file"
[[ $(ls "$work") == $(printf '%s\n' data err expected.txt out page-{1..6}.pgm previous.pdf runtime semana.pdf text) ]] ||
  fail "stray files: $(ls "$work")"
rmdir "$data/2026.log" && mv "$data/kept" "$data/2026.log"
status=0
"$program" --data "$data" print 07/12/2026 --pdf "$work/no/such.pdf" 2>"$work/err" || status=$?
[[ $status == 1 && $(<"$work/err") == "quimbaro: No se pudo imprimir: "*"$work/no"* ]] ||
  fail "a missing folder ended with $status: $(<"$work/err")"
# An occurrence of a series says which after its subject, as list does.
"$program" --data "$data" add "14/12/2026|09:00|600111222|Serie Ñ|Masaje" --every week >/dev/null
"$program" --data "$data" print 21/12/2026 --pdf "$work/serie.pdf" >/dev/null
pdftotext -layout "$work/serie.pdf" - | grep -Eq 'Serie Ñ +Masaje +\(semanal\)$' || fail "the occurrence does not name its series"
echo "print checks passed"
