#!/usr/bin/env bash
# Configures and builds the three builds: host (package code, packing tool, host tests),
# win64 (every Windows program and its tests) and win32 (the 32-bit shipping target).
# The Windows builds pack their payload with the host packing tool, so host comes first.
#   scripts/build.sh [cmake -D options for the Windows builds...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${QV_JOBS:-$(nproc)}

configure() { # dir, extra args...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

configure build/host
cmake --build build/host -j "$jobs"

packer=$top/build/host/tools/packer/qvpack
configure build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win64.cmake -DQV_PACKER="$packer" "$@"
cmake --build build/win64 -j "$jobs"
configure build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win32.cmake -DQV_PACKER="$packer" "$@"
cmake --build build/win32 -j "$jobs"
