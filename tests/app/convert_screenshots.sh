#!/bin/sh
# Turns the setup window's screenshots (24-bit BMPs written under Wine) into PNGs that
# people can open, and fails when one of the expected pictures is missing.
# usage: convert_screenshots.sh <folder> <name>...
set -eu
dir=$1; shift
for name in "$@"; do
  [ -s "$dir/$name.bmp" ] || { echo "missing screenshot $dir/$name.bmp" >&2; exit 1; }
  convert "$dir/$name.bmp" "$dir/$name.png"
  echo "$dir/$name.png"
done
