#!/bin/sh
# `cmake --install` into a scratch prefix puts every program, its manual page,
# the sample show, the README with the guide and the desktop entry in place,
# and no test or benchmark program.
# usage: install_test.sh BUILD_DIR PROGRAM...
set -u
build=$1
shift
prefix=$(mktemp -d) || exit 1
trap 'rm -rf "$prefix"' EXIT
status=0
fail() {
  echo "FAIL: $*"
  status=1
}
cmake --install "$build" --prefix "$prefix" > "$prefix.log" 2>&1 || {
  cat "$prefix.log"
  rm -f "$prefix.log"
  exit 1
}
rm -f "$prefix.log"
expected=$(printf '%s\n' "$@" | sort)
installed=$(ls "$prefix/bin" | sort)
[ "$installed" = "$expected" ] || fail "bin holds: $(echo $installed), not: $(echo $expected)"
for program in "$@"; do
  [ -x "$prefix/bin/$program" ] || fail "$program is not installed as a program"
  [ -s "$prefix/share/man/man1/$program.1.gz" ] || fail "$program has no manual page"
done
for file in share/velmora/sample_show/MORVAST.QXD share/velmora/sample_show/MORVAST.QXP \
            share/doc/velmora/README.md share/doc/velmora/docs/show-format.md \
            share/doc/velmora/docs/sample-show.jpg share/doc/velmora/copyright \
            share/doc/velmora/changelog.gz share/applications/velmora.desktop; do
  [ -s "$prefix/$file" ] || fail "no $file"
done
[ "$(ls "$prefix/share/velmora/sample_show" | wc -l)" -eq 2 ] || fail "the sample show holds more than its two files"
exec_line=$(grep '^Exec=' "$prefix/share/applications/velmora.desktop")
[ "$exec_line" = "Exec=$prefix/bin/velmora $prefix/share/velmora/sample_show" ] ||
  fail "the desktop entry starts $exec_line"
gzip -t "$prefix"/share/man/man1/*.gz "$prefix/share/doc/velmora/changelog.gz" || fail "a compressed file is damaged"
[ $status -eq 0 ] && echo "installed: $# programs with their pages, the sample show, the documents, the desktop entry"
exit $status
