#!/bin/sh
# fuzz-campaign.sh SECONDS: runs every fuzz target of the clang fuzz build for
# SECONDS each, one after the other on one core, each over a scratch copy of
# its seed corpus (tests/fuzz/corpus/NAME), and prints a table: executions,
# executions per second, the goal and the seconds that rate needs for it, and
# what was found (crash, leak, timeout, out of memory) with the input's path.
#
# The build is FUZZ_BUILD (default build-fuzz-campaign): made when missing,
# with clang, optimised (RelWithDebInfo) and with the sanitizers of every fuzz
# build; an existing one of any build type (such as make fuzz's build-fuzz) is
# used as it is configured. The targets are those the build lists in
# tests/fuzz/fuzz_targets.txt. Everything a run leaves (logs, corpora, inputs
# found) stays in FUZZ_BUILD/campaign-TIME/. Exit status 0 when nothing was
# found, 1 when something was, 2 for a bad argument or a failed build.
set -u

fail() {
  echo "fuzz-campaign.sh: $1" >&2
  exit 2
}

[ $# -eq 1 ] || fail "usage: fuzz-campaign.sh SECONDS"
case "$1" in
  '' | *[!0-9]*) fail "SECONDS must be a whole number of seconds above 0, not '$1'" ;;
esac
seconds=$1
[ "$seconds" -gt 0 ] || fail "SECONDS must be a whole number of seconds above 0, not '$1'"

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz-campaign}
case "$build" in /*) ;; *) build=$PWD/$build ;; esac

if [ ! -f "$build/CMakeCache.txt" ]; then
  launcher=
  command -v ccache > /dev/null 2>&1 &&
    launcher="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
  # shellcheck disable=SC2086
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_FUZZ=ON $launcher > "$build.configure.log" 2>&1 ||
    fail "cannot configure the fuzz build in $build (see $build.configure.log)"
  rm -f "$build.configure.log"
fi
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target fuzz_targets > "$build/campaign-build.log" 2>&1 ||
  fail "the fuzz targets do not build (see $build/campaign-build.log)"

list="$build/tests/fuzz/fuzz_targets.txt"
[ -f "$list" ] || fail "the build lists no fuzz targets ($list is missing)"

campaign="$build/campaign-$(date +%Y%m%d-%H%M%S)"
mkdir -p "$campaign" || fail "cannot make $campaign"
table="$campaign/table.txt"
: > "$table"

# Executions a campaign should reach per target: the readers of small
# records 10 M, the music decoders and the packer (two whole parses of every
# input) 200 K, the other readers 1 M.
goal_of() {
  case "$1" in
    archive_directory_fuzz | decompress_fuzz | memory_file_fuzz | visibility_fuzz | settings_fuzz) echo 10000000 ;;
    music* | pack_roundtrip_fuzz) echo 200000 ;;
    *) echo 1000000 ;;
  esac
}

found=0
count=0
while read -r name path; do
  [ -n "$name" ] || continue
  if [ ! -x "$path" ]; then
    printf '%s\t0\t0\t%s\tnot built: %s\n' "$name" "$(goal_of "$name")" "$path" >> "$table"
    found=1
    continue
  fi
  work="$campaign/$name"
  mkdir -p "$work/corpus" "$work/found"
  [ -d "$root/tests/fuzz/corpus/$name" ] && cp -r "$root/tests/fuzz/corpus/$name/." "$work/corpus/"
  echo "fuzzing $name for ${seconds}s" >&2
  # A hung input is a finding after 25 s; the outer limit only guards against
  # a fuzzer that does not stop by itself.
  timeout -k 10 $((seconds + 120)) "$path" -max_total_time="$seconds" -timeout=25 \
    -print_final_stats=1 -artifact_prefix="$work/found/" "$work/corpus" > "$work/log.txt" 2>&1
  status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt" | tail -n 1)
  # Without the final statistics (a fuzzer killed from outside), the last progress line.
  [ -n "$executions" ] ||
    executions=$(sed -n 's/^#\([0-9][0-9]*\)[[:space:]].*/\1/p' "$work/log.txt" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log.txt" | tail -n 1)
  : "${executions:=0}" "${rate:=0}"
  artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$work/log.txt" | tail -n 1)
  if grep -q 'ERROR: libFuzzer: timeout' "$work/log.txt"; then
    result="timeout"
  elif grep -q 'ERROR: LeakSanitizer' "$work/log.txt"; then
    result="leak"
  elif grep -q -e 'ERROR: libFuzzer: out-of-memory' -e 'ERROR: libFuzzer: malloc' "$work/log.txt"; then
    result="out of memory"
  elif [ -n "$artifact" ] || grep -q -e '==ERROR:' -e 'runtime error:' -e 'deadly signal' "$work/log.txt"; then
    result="crash"
  elif [ "$status" -ne 0 ]; then
    result="stopped with status $status"
  else
    result="ok"
  fi
  if [ "$result" != ok ]; then
    found=1
    result="$result: ${artifact:-see $work/log.txt}"
  fi
  printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$executions" "$rate" "$(goal_of "$name")" "$result" >> "$table"
  count=$((count + 1))
done < "$list"

echo
echo "fuzz campaign: $count targets, ${seconds}s each, in $campaign"
awk -F '\t' -v seconds="$seconds" '
  BEGIN {
    printf "%-24s %12s %9s %6s %5s %11s  %s\n", "target", "executions", "exec/s", "goal", "met", "s for goal", "found"
  }
  {
    need = ($3 > 0) ? sprintf("%d", $4 / $3 + 0.999) : "-"
    goal = ($4 >= 1000000) ? sprintf("%gM", $4 / 1000000) : sprintf("%gK", $4 / 1000)
    printf "%-24s %12d %9d %6s %5s %11s  %s\n", $1, $2, $3, goal, ($2 >= $4) ? "yes" : "no", need, $5
  }' "$table"
exit "$found"
