#!/bin/sh
# soak.sh MINUTES: plays the soak show for MINUTES show minutes on the virtual
# clock, headless, and prints after every minute the process's resident memory
# (VmRSS) and heap in use, the textures left in the cache and the engine's
# memory counters, then how each changed after the first minute. Every minute
# is one whole run of the player (archive, script, scenes, textures and music
# loaded anew; every timeline action; all freed), so the counters that total
# what was ever allocated grow by one show's worth a minute by design, while
# the memory itself should stay flat.
#
# BUILD (default build) is the build folder, made when missing; SOAK_FPS
# (default 30) the frame rate of the virtual clock; SOAK_DRAW (default opengl,
# offscreen through llvmpipe) or null, which draws nothing. The MP3 stream of
# the music tests plays as a third track. Exit status 2 for a bad argument or
# a failed build.
set -u

fail() {
  echo "soak.sh: $1" >&2
  exit 2
}

[ $# -eq 1 ] || fail "usage: soak.sh MINUTES"
case "$1" in
  '' | *[!0-9]*) fail "MINUTES must be a whole number of minutes above 0, not '$1'" ;;
esac
[ "$1" -gt 0 ] || fail "MINUTES must be a whole number of minutes above 0, not '$1'"

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$build.configure.log" 2>&1 ||
    fail "cannot configure the build in $build (see $build.configure.log)"
  rm -f "$build.configure.log"
fi
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target velmora_soak > "$build/soak-build.log" 2>&1 ||
  fail "velmora_soak does not build (see $build/soak-build.log)"

mp3="$root/tests/music/data/house_lo.mp3"
set -- "$1" --fps "${SOAK_FPS:-30}" --draw "${SOAK_DRAW:-opengl}"
[ -f "$mp3" ] && set -- "$@" --mp3 "$mp3"
start=$(date +%s)
env -u DISPLAY -u WAYLAND_DISPLAY "$build/velmora_soak" "$@"
status=$?
echo "soak: $(($(date +%s) - start)) s of wall-clock time"
exit "$status"
