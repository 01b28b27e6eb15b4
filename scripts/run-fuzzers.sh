#!/bin/sh
# Runs every fuzz target built in BUILD for SECONDS each, starting from its
# seed corpus, JOBS targets at a time (default: the number of processors).
# Fails after the batch in which a target crashed or a sanitizer reported.
set -e
build=${1:?usage: run-fuzzers.sh BUILD SECONDS [JOBS]}
seconds=${2:-20}
jobs=${3:-$(nproc)}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
# Inputs that crashed a target are kept here, named after the target.
artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# One target over a scratch copy of its corpus; its log is kept only on failure.
run_one() {
  target=$1
  name=$(basename "$target")
  scratch=$(mktemp -d)
  [ -d "$root/tests/fuzz/corpus/$name" ] && cp -r "$root/tests/fuzz/corpus/$name/." "$scratch/"
  if (cd "$scratch" && "$target" -max_total_time="$seconds" -print_final_stats=0 \
        -artifact_prefix="$artifacts/$name-" "$scratch" > "$results/$name.log" 2>&1); then
    rm -f "$results/$name.log"
  else
    touch "$results/$name.failed"
  fi
  rm -rf "$scratch"
}

count=0
running=0
for target in "$build"/tests/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  echo "fuzzing $(basename "$target") for ${seconds}s"
  run_one "$target" &
  count=$((count + 1))
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait
    running=0
  fi
done
wait

failed=0
for marker in "$results"/*.failed; do
  [ -e "$marker" ] || continue
  name=$(basename "$marker" .failed)
  tail -n 40 "$results/$name.log"
  echo "$name: FAILED (input kept under $artifacts)"
  failed=1
done
[ "$failed" -eq 0 ] || exit 1
echo "fuzz targets run: $count"
