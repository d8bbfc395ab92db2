#!/usr/bin/env bash
# The built program importing files that once took all memory, under a limit
# on its address space: each ends in a clear refusal or a bounded success,
# never in an abort.
#   import_limits_test.sh QUIMBARO
set -u
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
limit_kb=$((1024 * 1024))
failures=0

# n events repeating daily from 1 January 2026, a minute apart.
daily_events() {
  awk -v n="$1" 'BEGIN {
    print "BEGIN:VCALENDAR"
    for (i = 0; i < n; i++)
      printf "BEGIN:VEVENT\nUID:%d\nDTSTART:20260101T%02d%02d00\nRRULE:FREQ=DAILY;BYHOUR=%d\nSUMMARY:cita %d\nEND:VEVENT\n",
        i, int(i / 60) % 24, i % 60, int(i / 60) % 24, i
    print "END:VCALENDAR" }'
}

# quimbaro --data DATA import FILE..., under the limit: sets status and output.
import_limited() {
  local data=$1
  shift
  output=$( (ulimit -v "$limit_kb" && exec "$program" --data "$data" import "$@") 2>&1)
  status=$?
}

check() {  # what, condition
  if ! eval "$2"; then
    echo "FAIL: $1 (exit $status): ${output:0:600}"
    failures=$((failures + 1))
  fi
}

for n in 2000 20000; do
  daily_events "$n" >"$work/daily$n.ics"
  import_limited "$work/data$n" "$work/daily$n.ics"
  check "$n daily events are refused whole" '[[ $status == 1 && $output == *"no se importó ninguna"* ]]'
  check "$n daily events write no year file" '! compgen -G "$work/data$n/*.log" >/dev/null'
done

# A file over the size limit is not parsed.
truncate -s $((65 << 20)) "$work/large.ics"
import_limited "$work/data-large" "$work/large.ics"
check "a 65 MiB file is refused unread" '[[ $status == 1 && $output == *"más de 64 MiB"* ]]'

# A year file larger than the limit: the duplicate check reads it in blocks.
printf 'BEGIN:VCALENDAR\nBEGIN:VEVENT\nUID:u\nDTSTART:20260301T100000\nSUMMARY:una\nEND:VEVENT\nEND:VCALENDAR\n' >"$work/one.ics"
import_limited "$work/probe" "$work/one.ics"
record=$(stat -c %s "$work/probe/2026.log") || exit 1
count=$((1200 * 1024 * 1024 / record))
mkdir -m 700 "$work/big"
truncate -s $((count * record)) "$work/big/2026.log"
import_limited "$work/big" "$work/one.ics"
check "one record added to a 1.2 GB year file" \
  '[[ $status == 0 && $(stat -c %s "$work/big/2026.log") == $(((count + 1) * record)) ]]'

exit $((failures > 0))
