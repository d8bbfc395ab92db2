#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz and runs each one over its
# checked-in corpus for the given number of seconds (default 20).
# New inputs and crash reproducers go to fuzz-out/<target>/, never into the
# checked-in corpus. Exits non-zero when any target finds a fault.
#   bash fuzz/run.sh [seconds] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(loadday classify daykey settings sortday cli reminders change search searchtable icalimport vdir syncstate seriesline rules eventfile)
fi
jobs=${FUZZ_BUILD_JOBS:-$(nproc)}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DQUIMBARO_FUZZ=ON -DQUIMBARO_TESTS=OFF -DQUIMBARO_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_targets -j "$jobs"

# Year files of a whole day need room for more than 29 records.
max_len_for() {
  case $1 in
    loadday | reminders | change | rules | searchtable) echo 20000 ;;
    *) echo 4096 ;;
  esac
}

# A hang or a blow-up is a fault too: every target reads outside input (year
# files, typed lines, settings, calendars), so every one has its limits.
limits_for() {
  case $1 in
    vdir) echo -timeout=10 -rss_limit_mb=1024 ;;
    icalimport | rules | eventfile) echo -timeout=5 -rss_limit_mb=512 ;;
    seriesline) echo -timeout=2 -rss_limit_mb=256 ;;
    syncstate) echo -timeout=5 -rss_limit_mb=512 ;;
    *) echo -timeout=10 -rss_limit_mb=1024 ;;
  esac
}

# The targets write their files under TMPDIR: a folder of this run's own, on
# tmpfs when there is one (syncs cost nothing there), removed at the end even
# when a target stops on a fault and leaves its files behind.
base=${TMPDIR:-/tmp}
if [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]]; then
  base=/dev/shm
fi
TMPDIR=$(mktemp -d "$base/quimbaro-fuzz-run.XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
# ASan holds freed memory back (256 MiB by default) to catch late uses: an
# input that allocates and frees a lot then reaches the memory limit with
# almost nothing live (a rules file of 848 bytes: 221 MB resident, 43 MB with
# nothing held back). A smaller hold keeps the limit about the parser's memory.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=32}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for target in "${targets[@]}"; do
  out=fuzz-out/$target
  mkdir -p "$out/corpus"
  log=$out/last-run.txt
  echo "== ${target}_fuzz for ${seconds}s"
  if ./build-fuzz/"${target}_fuzz" -max_total_time="$seconds" -max_len="$(max_len_for "$target")" $(limits_for "$target") \
      -print_final_stats=1 -artifact_prefix="$out/" "$out/corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
  else
    tail -n 40 "$log"
    failed+=("$target")
  fi
done

if ((${#failed[@]})); then
  echo "fuzz targets that found a fault: ${failed[*]} (reproducers in fuzz-out/)"
  exit 1
fi
