#!/bin/sh
# The Debian package `make deb` built: lintian finds no error in it, and,
# unpacked into a scratch root (dpkg-deb -x: nothing is installed on the
# machine), the installed player plays the installed sample show headless on
# the virtual clock from its read-only folder as an unprivileged user (nobody,
# when run as root) with a scratch home: its log lands in
# ~/.local/state/velmora/, and the frames it captures are drawn.
# usage: package-test.sh BUILD_DIR
set -eu
build=${1:?usage: package-test.sh BUILD_DIR}
deb=$(ls "$build"/velmora_*.deb 2> /dev/null | tail -n 1)
[ -n "$deb" ] || { echo "FAIL: no velmora_*.deb in $build (make deb)"; exit 1; }
status=0
fail() {
  echo "FAIL: $*"
  status=1
}

echo "lintian $deb:"
lintian --fail-on error "$deb" || fail "lintian reports an error"

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
root=$scratch/root
home=$scratch/home
mkdir "$root" "$home"
dpkg-deb -x "$deb" "$root"
# Read-only for everyone but root, as an installed program's folder is.
chmod -R a-w "$root/usr"
player=$root/usr/bin/velmora
show=$root/usr/share/velmora/sample_show
[ "$("$player" --version)" = "velmora $(dpkg-deb -f "$deb" Version)" ] || fail "velmora --version is not the package's version"

as_user=""
if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$home"
  as_user="setpriv --reuid=nobody --regid=$(id -g nobody) --clear-groups"
fi
# A few frames a second keep the minute-long show short to film.
start=$(date +%s)
# shellcheck disable=SC2086
if ! timeout 600 $as_user env -i HOME="$home" PATH=/usr/bin:/bin VELMORA_LOG=1 VELMORA_FPS=4 \
     VELMORA_CAPTURE="$home/frames" "$player" "$show" > "$scratch/out" 2> "$scratch/err"; then
  fail "the installed player failed:"
  cat "$scratch/err"
fi
echo "played the installed sample show in $(( $(date +%s) - start )) s"
log=$home/.local/state/velmora/Log.TXT
grep -q "velmora: the log is in $log" "$scratch/err" || fail "no line on standard error says where the log went"
[ -f "$log" ] && grep -q "$(printf 'Time:\t\t\t\tDemoExit')" "$log" || fail "no whole log in $log"
[ -f "$home/.local/state/velmora/Errors.TXT" ] || fail "no Errors.TXT beside the log"
[ -e "$root/usr/bin/Log.TXT" ] && fail "a log was written beside the installed program"
frames=$(ls "$home/frames" | grep -c '^frame_.*\.png$' || true)
different=$(md5sum "$home/frames"/frame_*.png 2> /dev/null | cut -d' ' -f1 | sort -u | wc -l)
# A show that draws nothing gives one black picture over and over.
[ "$frames" -ge 100 ] || fail "only $frames frames captured"
[ "$different" -ge 20 ] || fail "only $different different pictures among $frames frames: nothing drawn"
echo "frames: $frames captured, $different different pictures"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 > /dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
[ $status -eq 0 ] && echo "package test: lintian clean of errors, the installed show played as $(if [ -n "$as_user" ]; then echo nobody; else id -un; fi)"
exit $status
