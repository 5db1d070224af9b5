#!/usr/bin/env bash
# The installer benchmark: our installer against NSIS (whole silent installation, extraction
# engine, peak memory, sizes) and against the floor (xz + openssl on the host).
#
#   bench/installer/run.sh [--quick] [--runs N] [--profile typical|large] [--no-wine]
#
#   --quick      the "typical" payload only, 3 runs per figure (default: typical and large, 5)
#   --runs N     runs per figure
#   --profile P  only this payload (repeatable)
#   --no-wine    host figures (the floor) and sizes only
#
# Builds what it needs in build/bench-host, build/bench-win64 and build/bench-win64-<payload>,
# generates the payloads and the NSIS installers in build/bench/, runs the Windows programs
# under wine64 in fresh prefixes below build/bench/wine on an Xvfb display of its own, prints
# a table and writes build/bench/installer-bench.json. Figures only: it never fails on a time.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
for tool in makensis wine xz openssl cmake ninja x86_64-w64-mingw32-g++-posix Xvfb; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing (scripts/setup.sh installs the build tools; apt-get install nsis for makensis)" >&2; exit 1; }
done
/usr/bin/python3 -c 'import pefile' 2>/dev/null || { echo "run.sh: python3-pefile is missing" >&2; exit 1; }

. "$top/scripts/xvfb.sh"
if [ -z "${QV_BENCH_DISPLAY:-}" ]; then
  qv_start_xvfb || exit 1
else
  export DISPLAY=$QV_BENCH_DISPLAY
fi
trap 'qv_stop_xvfb "$top/build/bench"' EXIT
/usr/bin/python3 "$top/bench/installer/bench.py" "$@"
