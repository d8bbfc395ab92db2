#!/usr/bin/env bash
# Builds and runs every benchmark, each figure beside its reference, and ends
# with one line per target: "ratio <name> <measured> <target>" (met when
# measured <= target). Exits 1 when a target is missed.
#
#   bash bench/run.sh [BUILD_DIR]        (default: build)
#
# Environment: QUIMBARO_BENCH_DATA keeps the generated year files (default
# ~/.cache/quimbaro-bench; the largest is 155 MB), QUIMBARO_BENCH_RUNS sets
# the number of start-up runs of each program in a round (default 40), and
# QUIMBARO_BENCH_ROUNDS the rounds of each whole-process race (default 3; the
# median round's ratio decides, so that one noisy round does not).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
data=${QUIMBARO_BENCH_DATA:-${XDG_CACHE_HOME:-$HOME/.cache}/quimbaro-bench}
runs=${QUIMBARO_BENCH_RUNS:-40}
rounds=${QUIMBARO_BENCH_ROUNDS:-3}
export QT_QPA_PLATFORM=offscreen

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIMBARO_BENCH=ON >/dev/null
cmake --build "$build" -j 2 --target quimbaro_bench quimbaro_bench_peak_memory quimbaro_bench_make_year \
  quimbaro_bench_race quimbaro_bench_first_frame quimbaro_bench_bare_frame quimbaro_bench_bare_core quimbaro
bin="$(cd "$build/bench" && pwd)"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Runs a tool, printing its output as it comes and keeping its ratio lines
# for the end; stops when the tool fails.
run() {
  set +e
  "$@" | tee -a "$log" | grep -v '^ratio '
  local status=${PIPESTATUS[0]}
  set -e
  ((status == 0)) || { echo "$(basename "$1") failed (status $status)" >&2; exit 1; }
}

# Figures differ between processors: say which one made these.
cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
echo "== CPU: ${cpu:-unknown} | $(nproc) cores | L2 $(($(getconf LEVEL2_CACHE_SIZE 2>/dev/null || echo 0) / 1024)) KiB a core | L3 $(($(getconf LEVEL3_CACHE_SIZE 2>/dev/null || echo 0) / 1048576)) MiB"

# A whole-process race, run $rounds times: each round's ratios are shown,
# and the median round's ratio, with the lowest and highest, is kept.
race() {
  local name=$1 rounds_log
  rounds_log=$(mktemp)
  for ((round = 1; round <= rounds; round++)); do
    echo "-- round $round of $rounds"
    run "$bin/quimbaro_bench_race" "$@"
    grep "^ratio $name" "$log" | tail -2 >>"$rounds_log"
    sed -i "/^ratio $name/d" "$log"
  done
  for ratio in "$name" "${name}_memory"; do
    awk -v name="$ratio" '$2 == name { print $3, $4 }' "$rounds_log" | sort -n | awk -v name="$ratio" '
      { value[NR] = $1; target = $2 }
      END { printf "spread %s over %d rounds: min %.2f  max %.2f\n", name, NR, value[1], value[NR]
            printf "ratio %s %.2f %.2f\n", name, value[int((NR + 1) / 2)], target }' | tee -a "$log" | grep -v '^ratio '
  done
  rm -f "$rounds_log"
}

echo "== LoadDay, search, ShowDay, collation, sort and text splitting (medians of interleaved repetitions)"
run "$bin/quimbaro_bench" --data="$data" --benchmark_color=false

echo "== Peak memory of LoadDay: 1,000,000 records against 10,000, each in a fresh process"
# quimbaro_bench wrote these files, with the records of 15/06/2026.
run "$bin/quimbaro_bench_peak_memory" 15/06/2026 "$data/year-10k" "$data/year-1m"
echo "== Peak memory of a search: ten files of 100,000 records against one of 10,000"
run "$bin/quimbaro_bench_peak_memory" --search lupe "$data/year-10k" "$data/book-10x100k"

echo "== Start-up to the first painted frame, today's table from a 100,000-record year file"
# quimbaro_bench_first_frame keeps its data beside itself, as the program does.
"$bin/quimbaro_bench_make_year" "$bin" 100000 "$(date +%d/%m/%Y)" >/dev/null
race startup "$runs" 1.5 1.5 "$bin/quimbaro_bench_first_frame" "$bin/quimbaro_bench_bare_frame"

echo "== Start-up to the first painted frame with 1,000 weekly series in force against the same without"
# A copy of the program in a folder of its own, the same year file beside it, and the series.
ruled="$bin/series-startup"
mkdir -p "$ruled"
cp -f "$bin/quimbaro_bench_first_frame" "$ruled/"
"$bin/quimbaro_bench_make_year" "$ruled" 100000 "$(date +%d/%m/%Y)" 1000 >/dev/null
race series_startup "$runs" 1.1 1.5 "$ruled/quimbaro_bench_first_frame" "$bin/quimbaro_bench_first_frame"

echo "== quimbaro list hoy on a 100,000-record year file against a Qt Core program that starts and exits"
"$bin/quimbaro_bench_make_year" "$data/cli" 100000 "$(date +%d/%m/%Y)" >/dev/null
program="$(cd "$build" && pwd)/quimbaro"
race cli_list "$runs" 1.3 1.5 "$program --data $data/cli list hoy" "$bin/quimbaro_bench_bare_core"

echo
echo "== Targets (ratio <name> <measured> <target>; met when measured <= target)"
missed=$(awk '$1 == "ratio" && $3 > $4 { printf "%s ", $2 }' "$log")
if [[ -z $missed ]]; then echo "every target met"; else echo "missed: $missed"; fi
grep '^ratio ' "$log"
[[ -z $missed ]]
