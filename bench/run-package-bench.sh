#!/usr/bin/env bash
# Builds and runs the package benchmark, then reports the size of Windows programs that
# link the package code.
#   bench/run-package-bench.sh [--no-windows] [package_bench options...]
# Environment:
#   QV_BENCH_BUILD_PREFIX  build folders are <prefix>-host, -win64, -win32 (default build/bench)
#   QV_BENCH_WORK          scratch folder for the payload and blobs (default $TMPDIR/qv-package-bench)
#   QV_BENCH_JOBS          parallel build jobs (default 2)
#   DISPLAY                with an X display, extraction is also timed under wine64: the
#                          64-bit qvpack.exe unpack against the host qvpack unpack
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${QV_BENCH_BUILD_PREFIX:-build/bench}
work=${QV_BENCH_WORK:-${TMPDIR:-/tmp}/qv-package-bench}
jobs=${QV_BENCH_JOBS:-2}
windows=1
if [ "${1:-}" = "--no-windows" ]; then windows=0; shift; fi

configure() {  # build folder, extra cmake arguments
  [ -f "$1/build.ninja" ] || cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${@:2}" >/dev/null
}

configure "$prefix-host"
cmake --build "$prefix-host" --target package_bench qvpack -j"$jobs" >/dev/null
if [ $windows = 1 ]; then
  # The Windows builds pack the installer's payload with the host tool.
  packer=$(realpath "$prefix-host/tools/packer/qvpack")
  for arch in win64 win32; do
    configure "$prefix-$arch" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-$arch.cmake -DQV_PACKER="$packer"
    cmake --build "$prefix-$arch" --target qvpack package_size_probe_base package_size_probe_lzma \
      package_size_probe_sm3 package_size_probe_both -j"$jobs" >/dev/null
  done
fi

echo "== package benchmark (host)"
"$prefix-host/bench/package_bench" "$@" "$work"

[ $windows = 1 ] || exit 0

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N); awk -v s="$s" -v e="$e" 'BEGIN { print e - s }'; }

if [ -n "${DISPLAY:-}" ]; then
  echo
  echo "== extraction under wine64 (qvpack unpack: both blobs decoded, every entry extracted; wall seconds, median of 3)"
  export QV_WINE_ROOT=$(realpath "$prefix-win64")/wine
  win_exe=$(realpath "$prefix-win64/tools/packer/qvpack.exe")
  host_exe="$prefix-host/tools/packer/qvpack"
  scripts/wine-run.sh "$win_exe" --help >/dev/null            # boots the prefix
  WINEPREFIX=$QV_WINE_ROOT/default wineserver -w               # until that server has gone
  WINEPREFIX=$QV_WINE_ROOT/default wineserver -p               # then one server for all runs
  host_times=() wine_times=()
  for i in 1 2 3; do
    rm -rf "$work/unpack-host" "$work/unpack-wine"
    host_times+=("$(seconds "$host_exe" unpack "$work/blobs" "$work/unpack-host")")
    mkdir -p "$work/unpack-wine"
    wine_times+=("$(seconds scripts/wine-run.sh "$win_exe" unpack "$work/blobs" "$work/unpack-wine")")
  done
  WINEPREFIX=$QV_WINE_ROOT/default wineserver -k || true
  diff -r "$work/unpack-host" "$work/unpack-wine" >/dev/null || { echo "wine and host unpack differ" >&2; exit 1; }
  h=$(printf '%s\n' "${host_times[@]}" | median); w=$(printf '%s\n' "${wine_times[@]}" | median)
  awk -v h="$h" -v w="$w" 'BEGIN { printf "host qvpack %.3f s, wine64 qvpack.exe %.3f s, ratio %.3f\n", h, w, w / h }'
fi

echo
echo "== size of Windows programs linking the package code (bytes; stripped = as shipped)"
stripped_size() {  # program, strip tool
  local tmp; tmp=$(mktemp)
  "$2" -o "$tmp" "$1"
  stat -c %s "$tmp"
  rm -f "$tmp"
}
printf '%-7s %-34s %12s %12s\n' arch program built stripped
for arch in win64 win32; do
  case $arch in win64) strip=x86_64-w64-mingw32-strip ;; win32) strip=i686-w64-mingw32-strip ;; esac
  declare -A size=()
  for p in tools/packer/qvpack bench/package_size_probe_base bench/package_size_probe_lzma \
           bench/package_size_probe_sm3 bench/package_size_probe_both; do
    exe="$prefix-$arch/$p.exe"
    size[$p]=$(stripped_size "$exe" $strip)
    printf '%-7s %-34s %12s %12s\n' $arch "$(basename "$p").exe" "$(stat -c %s "$exe")" "${size[$p]}"
  done
  base=${size[bench/package_size_probe_base]}
  printf '%-7s liblzma (UnpackResourceToFile) adds %s bytes, libcrypto (Sm3Digest) adds %s bytes, both %s\n' \
    $arch $(( ${size[bench/package_size_probe_lzma]} - base )) $(( ${size[bench/package_size_probe_sm3]} - base )) \
    $(( ${size[bench/package_size_probe_both]} - base ))
  unset size
done
