#!/usr/bin/env bash
# A/B measurement of a change to the installer (see what_if.py); run run.sh once first.
#   bench/installer/what_if.sh [--runs N] [--profile typical|large]
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
. "$top/scripts/xvfb.sh"
if [ -z "${QV_BENCH_DISPLAY:-}" ]; then
  qv_start_xvfb || exit 1
else
  export DISPLAY=$QV_BENCH_DISPLAY
fi
trap 'qv_stop_xvfb "$top/build/bench"' EXIT
/usr/bin/python3 "$top/bench/installer/what_if.py" "$@"
