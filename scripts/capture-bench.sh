#!/bin/sh
# The capture benchmark: a show captured at 1280x720, 60 frames a second, with
# the speed in show seconds per wall-clock second and the shares of rendering,
# reading back and encoding. The show is SHOWDIR when given, else the sample
# show in BUILD/sample_show when one has been made there, else the example
# show that qxsample writes into BUILD/show.
set -e
build=${1:?usage: capture-bench.sh BUILD [SHOWDIR]}
show=${2:-}
if [ -z "$show" ]; then
  if [ -f "$build/sample_show/MORVAST.QXP" ] || [ -f "$build/sample_show/MORVAST.QXD" ]; then
    show="$build/sample_show"
  else
    "$build/qxsample" "$build/show" > /dev/null
    show="$build/show"
  fi
fi
output=$(mktemp -d)
trap 'rm -rf "$output"' EXIT INT TERM
echo "capture of $show at 1280x720, 60 fps:"
"$build/velmora-capture" "$show" "$output/capture.mp4" --size 1280x720 --fps 60 --timings
