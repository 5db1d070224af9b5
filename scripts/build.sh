#!/usr/bin/env bash
# Configures and builds the three builds: host (package code, packing tool, host tests),
# win64 (every Windows program and its tests) and win32 (the 32-bit shipping target).
# The Windows builds pack their payload with the host packing tool, so host comes first.
#   scripts/build.sh [cmake -D options for the Windows builds...]
# QV_BUILD_TARGETS="host:t1,t2 win64:t3 win32:t4" builds only those targets (the main job
# needs no tests); by default every target of every build is built.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${QV_JOBS:-$(nproc)}

configure() { # dir, extra args...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

targets_of() { # build name -> "--target a --target b" or nothing
  local entry
  for entry in ${QV_BUILD_TARGETS:-}; do
    [ "${entry%%:*}" = "$1" ] && { echo "${entry#*:}" | tr ',' '\n' | sed 's/^/--target\n/'; return; }
  done
}
build() { # build dir, build name
  local -a t; mapfile -t t < <(targets_of "$2")
  cmake --build "$1" -j "$jobs" "${t[@]}"
}

configure build/host
build build/host host

packer=$top/build/host/tools/packer/qvpack
configure build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win64.cmake -DQV_PACKER="$packer" "$@"
build build/win64 win64
configure build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win32.cmake -DQV_PACKER="$packer" "$@"
build build/win32 win32
