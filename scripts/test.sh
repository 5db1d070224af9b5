#!/usr/bin/env bash
# Runs every test: set-up, the three builds, then the host tests natively and the Windows
# tests under wine64 on an Xvfb display of their own. The 32-bit build is compiled and linked
# only (32-bit code cannot run on these machines). Exits non-zero when anything fails.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup.sh" || exit 1
"$top/scripts/build.sh" || { echo "build failed" >&2; exit 1; }

. "$top/scripts/xvfb.sh"
qv_start_xvfb || exit 1
trap 'qv_stop_xvfb "$top/build/win64"' EXIT

# Every run starts from a freshly booted Wine prefix.
rm -rf "$top/build/win64/wine"

status=0
passed=0; failed=0
run_ctest() { # build dir, extra args
  local dir=$1; shift
  local out; out=$(mktemp)
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$out"
  [ "${PIPESTATUS[0]}" = 0 ] || status=1
  local line; line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$out" | tail -1)
  if [ -z "$line" ]; then
    echo "no tests ran in $dir" >&2; status=1
  else
    local total fail
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    fail=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + total - fail)); failed=$((failed + fail))
  fi
  rm -f "$out"
}
echo "== host tests"
run_ctest build/host -j 2
echo "== Windows tests (wine64, DISPLAY=$DISPLAY)"
run_ctest build/win64 -j 2

shots=$top/build/win64/screenshots
[ -d "$shots" ] && echo "screenshots: $shots"
echo "tests: $passed passed, $failed failed"
exit $status
