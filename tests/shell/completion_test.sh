#!/usr/bin/env bash
# The bash completion as bash runs it: it parses, registers itself for
# quimbaro, and offers what the program takes (its subcommands and their
# options as --help lists them, the --format values, the day words, names
# where a file or folder goes).
# Usage: completion_test.sh COMPLETION_FILE QUIMBARO
set -euo pipefail
script=$1 program=$2
export LC_ALL=C.UTF-8
fail() { echo "FAIL: $*" >&2; exit 1; }

bash -n "$script" || fail "bash -n"
# shellcheck source=/dev/null
source "$script"
[[ $(complete -p quimbaro) == "complete -F _quimbaro quimbaro" ]] || fail "complete -p: $(complete -p quimbaro)"

# What completing the line offers, sorted, on one line; a line ending in a
# space completes an empty word. "=" is a word of its own, as bash splits it.
offers() {
    read -ra COMP_WORDS <<<"${1//=/ = }"
    [[ $1 == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _quimbaro
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' '
}
expect() { [[ $(offers "$1") == "$2" ]] || fail "'$1' offers '$(offers "$1")', not '$2'"; }

help=$("$program" --help) || fail "$program --help failed"
subcommands=$(sed -n 's/^  \([a-z]\+\) .*/\1/p' <<<"$help" | sort | xargs)
[[ $subcommands == *print* ]] || fail "--help lists no subcommands: $help"
expect 'quimbaro ' "$subcommands"
# Every option of every subcommand's synopsis is offered after its name.
while read -r command synopsis; do
  for option in $(grep -o -- '--[a-z]\+' <<<"$synopsis"); do
    [[ " $(offers "quimbaro $command --") " == *" $option "* ]] || fail "$command does not offer $option"
  done
done < <(sed -n 's/^  \([a-z]\+\) \(.*\)/\1 \2/p' <<<"$help")

cd "$(mktemp -d)"
trap 'rm -rf "$PWD"' EXIT
mkdir carpeta && touch semana.pdf notas.txt
while IFS='|' read -r line offered; do
  expect "$line" "$offered"
done <<'TABLE'
quimbaro --data carpeta li|list
quimbaro --format=tsv se|search
quimbaro l|list
quimbaro list |ayer hoy mañana
quimbaro list m|mañana
quimbaro list hoy |
quimbaro delete a|ayer
quimbaro list --f|--format
quimbaro list --format |json text tsv
quimbaro list --format=t|text tsv
quimbaro search --format j|json
quimbaro export --from m|mañana
quimbaro import x.ics --to |ayer hoy mañana
quimbaro print --days |
quimbaro print --pdf |carpeta semana.pdf
quimbaro --data |carpeta
quimbaro import |carpeta notas.txt semana.pdf
quimbaro add |
quimbaro add --every w|week
quimbaro --every week --until hoy l|list
quimbaro --h|--help
TABLE
echo "completion checks passed"
