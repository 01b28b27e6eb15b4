#!/bin/sh
# Installs the Debian 12 packages that building and testing Velmora need,
# only those that are missing.
set -e
packages="build-essential cmake pkg-config libsdl2-dev libepoxy-dev libgl-dev libegl-dev
  libgl1-mesa-dri libegl-mesa0 libfreeimage-dev libsdl2-ttf-dev fonts-dejavu-core libgtk-3-dev
  libopenmpt-dev libmpg123-dev libsndfile1-dev libassimp-dev
  libgtest-dev libbenchmark-dev zlib1g-dev clang xvfb xdotool gzip xz-utils ffmpeg
  dpkg-dev lintian man-db"
missing=""
for package in $packages; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  case "$status" in
    *"install ok installed"*) ;;
    *) missing="$missing $package" ;;
  esac
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing
