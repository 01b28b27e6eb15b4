#!/bin/sh
# Runs every fuzz target built in BUILD for SECONDS each, starting from its
# seed corpus. Fails on the first crash or sanitizer report.
set -e
build=${1:?usage: run-fuzzers.sh BUILD SECONDS}
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
count=0
for target in "$build"/tests/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  scratch=$(mktemp -d)
  [ -d "$root/tests/fuzz/corpus/$name" ] && cp -r "$root/tests/fuzz/corpus/$name/." "$scratch/"
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=0 "$scratch" > "$scratch.log" 2>&1 ||
    { tail -n 40 "$scratch.log"; echo "$name: FAILED"; exit 1; }
  rm -rf "$scratch" "$scratch.log"
  count=$((count + 1))
done
echo "fuzz targets run: $count"
