#!/bin/sh
# Every installed program has a manual page that names exactly the options its
# --help names; --help and --version answer with exit status 0, an unknown
# option with one line and exit status 2; and every page renders without a
# warning from man.
# usage: man_pages_test.sh MAN_DIR VERSION NAME=PROGRAM...
set -u
man_dir=$1
version=$2
shift 2
status=0
fail() {
  echo "FAIL: $*"
  status=1
}
# The options a text names: -x or --word, not a hyphen inside a word.
options_of() {
  sed 's/\\-/-/g; s/\\f[BIRP]//g' |
    grep -oE '(^|[^A-Za-z0-9_-])--?[A-Za-z][A-Za-z0-9-]*' |
    sed -E 's/^[^-]*//' | sort -u
}
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
for pair in "$@"; do
  name=${pair%%=*}
  program=${pair#*=}
  page=$man_dir/$name.1
  if [ ! -f "$page" ]; then
    fail "$name has no manual page $page"
    continue
  fi
  if ! "$program" --help > "$scratch/help" 2> "$scratch/err"; then
    fail "$name --help did not exit with status 0"
  fi
  options_of < "$scratch/help" > "$scratch/help-options"
  options_of < "$page" > "$scratch/page-options"
  if ! cmp -s "$scratch/help-options" "$scratch/page-options"; then
    fail "$name: --help and $page name different options (< help, > page):"
    diff "$scratch/help-options" "$scratch/page-options" | grep '^[<>]'
  fi
  said=$("$program" --version 2>&1)
  [ $? -eq 0 ] || fail "$name --version did not exit with status 0"
  [ "$said" = "$name $version" ] || fail "$name --version printed \"$said\", not \"$name $version\""
  "$program" --no-such-option > "$scratch/out" 2> "$scratch/err"
  code=$?
  [ $code -eq 2 ] || fail "$name --no-such-option exited with status $code, not 2"
  lines=$(wc -l < "$scratch/err")
  [ "$lines" -eq 1 ] || fail "$name --no-such-option said $lines lines on standard error, not 1"
  [ -s "$scratch/out" ] && fail "$name --no-such-option wrote on standard output"
done
for page in "$man_dir"/*.1; do
  name=$(basename "$page" .1)
  case " $* " in
    *" $name="*) ;;
    *) fail "$page has no program" ;;
  esac
  if command -v man > /dev/null 2>&1; then
    # As Debian's package checker renders them.
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 > /dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
  fi
done
[ $status -eq 0 ] && echo "manual pages: $# programs, options as their --help says, rendered without warnings"
exit $status
