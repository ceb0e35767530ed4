#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, address and undefined-behaviour
# sanitizers in build-fuzz/ and runs each for SECONDS (default 60), one after another.
#   scripts/fuzz.sh [SECONDS] [TARGET ...]
# The seeds in fuzz/corpus/<target>/ are only read. Inputs a run finds new go to
# build-fuzz/corpus/<target>/, and an input that makes a target fail goes to
# build-fuzz/crashes/<target>/ (crash-*, leak-*, timeout-*, oom-*); run the target on that
# file to see the failure again. The exit status is 1 when any target failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
case $seconds in
  '' | *[!0-9]*)
    echo "usage: scripts/fuzz.sh [SECONDS] [TARGET ...]" >&2
    exit 2
    ;;
esac

"$root/scripts/install-packages.sh"
"$root/scripts/install-package-list.sh" "$root/scripts/fuzz-packages.txt"

build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DFERROVAN_SANITIZE=ON -DFERROVAN_FUZZ=ON -DFERROVAN_TESTS=OFF >/dev/null

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in "$root"/fuzz/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
cmake --build "$build" -j2 --target "${targets[@]}"

# The session target goes through files on every input (and a write syncs them to
# disk): memory-backed storage where there is some.
scratch_parent=/dev/shm
[ -d "$scratch_parent" ] && [ -w "$scratch_parent" ] || scratch_parent="$build"
scratch=$(mktemp -d "$scratch_parent/ferrovan-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch"
# A crash report with symbols, and a sanitizer report always ends the run.
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:symbolize=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

summary=()
failed=0
for target in "${targets[@]}"; do
  seeds="$root/fuzz/corpus/$target"
  found="$build/corpus/$target"
  crashes="$build/crashes/$target"
  log="$build/logs/$target.log"
  mkdir -p "$seeds" "$found" "$crashes" "$(dirname "$log")"
  echo "== $target: ${seconds}s (log: $log)"
  status=0
  marker="$build/logs/$target.start"
  touch "$marker"
  # New inputs go to the first folder; the seeds are read from the second. One job on
  # one core: the machine is shared.
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "$found" "$seeds" >"$log" 2>&1 || status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 || true)
  corpus=$(grep -o 'corp: [0-9]*/[0-9a-zA-Z]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  artifacts=$(find "$crashes" -type f -newer "$marker" | wc -l)
  if [ "$status" -ne 0 ]; then
    failed=1
    echo "   failed (exit $status):"
    grep -E 'ERROR: |FUZZ FAULT|runtime error|terminate called|SUMMARY' "$log" | head -5 | sed 's/^/   /' || true
  fi
  summary+=("$(printf '%-18s runs %10s   corpus %-12s crashes %s' "$target" "${runs:-?}" "${corpus:-?}" "$artifacts")")
done

echo
echo "Fuzzing summary (${seconds}s per target; corpus = inputs/bytes; crashes in $build/crashes/):"
printf '  %s\n' "${summary[@]}"
exit $failed
