#!/usr/bin/env bash
# Runs one Windows program under wine64 for a test or a script.
#   QV_WINE_ROOT     folder that holds the prefixes (required)
#   QV_FRESH_PREFIX  name of a prefix of its own, made anew from the template for this run;
#                    without it the shared prefix "default" is used
# Absolute paths among the arguments that exist on disk are given to the program as Z:\...
# paths. Wine failing to start is an error, never a skip.
set -uo pipefail
root=${QV_WINE_ROOT:?QV_WINE_ROOT must name the folder for Wine prefixes}
[ -n "${DISPLAY:-}" ] || { echo "wine-run: no DISPLAY: start Xvfb first (scripts/test.sh does)" >&2; exit 90; }

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
mkdir -p "$root"

# A prefix is cloned from the template with hard links for Wine's own binary modules (about
# 700 MB that no test writes) and real copies of everything else (registry, ini files, the
# user and program folders), so a fresh prefix costs a fraction of a second.
clone_prefix() { # template, destination
  cp -al "$1" "$2" || return 1
  find "$2" -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.nls' -o -iname '*.sys' \
      -o -iname '*.drv' -o -iname '*.ocx' -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.tlb' \
      -o -iname '*.ax' -o -iname '*.ds' -o -iname '*.com' \) -print0 |
    while IFS= read -r -d '' f; do cp -p "$f" "$f.qvtmp" && mv -f "$f.qvtmp" "$f"; done
}

# The template prefix is booted once per build folder; concurrent tests wait on the lock.
template=$root/template
(
  flock 9
  if [ ! -f "$template/.qv-ready" ]; then
    rm -rf "$template"
    WINEPREFIX=$template wineboot -i >/dev/null 2>&1
    # No window manager runs on Xvfb: let Wine draw the frames and captions itself, rather
    # than wait for a manager on every window that opens or closes.
    WINEPREFIX=$template "${QV_WINE:-wine}" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX=$template wineserver -w
    if [ ! -f "$template/system.reg" ]; then
      echo "wine-run: wineboot could not create a prefix in $template" >&2; exit 91
    fi
    touch "$template/.qv-ready"
  fi
) 9>"$root/.lock" || exit 91

if [ -n "${QV_FRESH_PREFIX:-}" ]; then
  prefix=$root/$QV_FRESH_PREFIX
  [ -d "$prefix" ] && { WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1; rm -rf "$prefix"; }
  clone_prefix "$template" "$prefix"
else
  prefix=$root/default
  (
    flock 9
    [ -d "$prefix" ] || clone_prefix "$template" "$prefix"
  ) 9>"$root/.lock"
fi
export WINEPREFIX=$prefix

args=()
for a in "$@"; do
  if [[ "$a" == /* && -e "$a" ]]; then
    w=${a//\//\\}; args+=("Z:$w")
  else
    args+=("$a")
  fi
done
prog=${args[0]}; args=("${args[@]:1}")
"${QV_WINE:-wine}" "$prog" "${args[@]}"
rc=$?
if [ -n "${QV_FRESH_PREFIX:-}" ]; then
  wineserver -k >/dev/null 2>&1
fi
exit $rc
