#!/bin/sh
# Plays the sample show that the build wrote into BUILD/sample_show: with the
# configuration dialog and full-screen on a machine with a display, or, where
# there is none, filmed headless into BUILD/sample_show.mp4.
set -e
build=${1:?usage: play.sh BUILD}
show="$build/sample_show"
if [ ! -f "$show/MORVAST.QXD" ]; then
  echo "play.sh: no sample show in $show (build the sample_show target first)" >&2
  exit 2
fi

# A display that can be opened: Wayland, or an X server that answers where
# xdpyinfo is there to ask it.
has_display() {
  [ -n "${WAYLAND_DISPLAY:-}" ] && return 0
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo > /dev/null 2>&1; then
    xdpyinfo > /dev/null 2>&1
  fi
}

if has_display; then
  # The player reads the show from the folder it starts in and writes its log
  # beside itself.
  cd "$show"
  exec "../velmora"
fi

film="$build/sample_show.mp4"
echo "No display here: filming the sample show into $film instead (about a minute of show)."
"$build/velmora-capture" "$show" "$film"
echo "The sample show is in $film"
