#!/usr/bin/env bash
# `quimbaro sync` killed (SIGKILL) at random moments, hundreds of times, on
# two desks that share one vdir folder while each changes its own
# appointments, some of them series; then clean syncs: both books hold
# exactly the appointments made and not deleted, each once, and no killed
# run's temporary file is left.
#   kill_test.sh PATH/TO/quimbaro [KILLS]
set -euo pipefail
quimbaro=$1
kills=${2:-300}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir -p "$tmp/a" "$tmp/b"
RANDOM=7  # the same run every time
declare -A model  # subject -> 1 while it should be in the book
next=0

desk() { local name=$1; shift; "$quimbaro" --data "$tmp/$name" "$@"; }
subjects() { desk "$1" list 01/12/2026 --days 40 --format tsv | cut -f5 | grep -v '^asunto$' | sort || true; }
own() { desk "$1" list "$2" --format tsv | awk -F'\t' -v d="$1" 'index($5, d "-") == 1 { print $6 " " $5 }'; }

change() {
  local name=$1 day
  day=$(printf '%02d/12/2026' $((1 + RANDOM % 28)))
  local rows
  mapfile -t rows < <(own "$name" "$day")
  if ((${#rows[@]} == 0 || RANDOM % 3 == 0)); then
    local subject="$name-$((next++))"
    local every=()  # now and then a series of one day: it travels as a file of its own
    ((RANDOM % 4 == 0)) && every=(--every week --count 1)
    desk "$name" add "$day|09:00|||$subject" "${every[@]}" >/dev/null
    model[$subject]=1
    return
  fi
  local pick=${rows[RANDOM % ${#rows[@]}]}
  local row=${pick%% *} subject=${pick#* }
  unset "model[$subject]"
  if ((RANDOM % 2)); then
    desk "$name" delete "$day" "$row" >/dev/null
  else
    local new="$name-$((next++))"
    desk "$name" edit "$day" "$row" "$day|10:00|||$new" >/dev/null
    model[$new]=1
  fi
}

killed=0
while ((killed < kills)); do
  name=$([[ $((RANDOM % 2)) == 0 ]] && echo a || echo b)
  change "$name"
  "$quimbaro" --data "$tmp/$name" sync --vdir "$tmp/vdir" >/dev/null 2>&1 &  # the program itself, not a subshell
  pid=$!
  sleep "0.0$((RANDOM % 8))"
  if kill -KILL "$pid" 2>/dev/null; then ((++killed)); fi
  wait "$pid" 2>/dev/null || true
done

expected=$(printf '%s\n' "${!model[@]}" | sort)
for name in a b a b; do
  desk "$name" sync --vdir "$tmp/vdir" >"$tmp/last.log" 2>&1 || fail "clean sync of $name: $(cat "$tmp/last.log")"
done
left=$(find "$tmp/a" "$tmp/b" "$tmp/vdir" -name '.*tmp-*')
[[ -z $left ]] || fail "temporary files left behind: $left"
for name in a b; do
  got=$(subjects "$name")
  [[ $(uniq -d <<<"$got") == "" ]] || fail "desk $name holds twice: $(uniq -d <<<"$got")"
  [[ $got == "$expected" ]] || fail "desk $name differs from what was made: $(diff <(echo "$expected") <(echo "$got"))"
done
echo "kill test: ok, $killed kills, $(wc -l <<<"$expected") appointments"
