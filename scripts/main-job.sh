#!/usr/bin/env bash
# The main job: builds the packing tool, the sample payload, both installers and both
# launchers; installs the shipped 64-bit QVSetup.exe in a fresh Wine prefix on an Xvfb
# display, driven as a person would (the note, "安装", then "完成"); then reports where the
# shipped files are, what was installed, the registry values, the shortcuts, the newest log
# lines and the screenshots. Fails loudly, with the reason, when any step fails.
#
#   scripts/main-job.sh [--payload DIR] [--redist FILE]
#     --payload DIR   the application files the installer carries (default: the sample payload)
#     --redist FILE   the runtime redistributable the launcher carries (default: a stand-in)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

cmake_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --payload) cmake_args+=("-DQV_PAYLOAD_DIR=$(realpath "$2")"); shift 2 ;;
    --redist)  cmake_args+=("-DQV_REDIST=$(realpath "$2")"); shift 2 ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "main-job: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done
# Without options the defaults apply again (the cache would keep an earlier run's choice).
[ ${#cmake_args[@]} -gt 0 ] || cmake_args=(-DQV_PAYLOAD_DIR= -DQV_REDIST=)

die() { echo "main-job: FAILED: $*" >&2; exit 1; }
step() { printf '\n== %s\n' "$*"; }

step "set-up"
scripts/setup.sh || die "set-up failed"
step "building host, win64 and win32"
QV_BUILD_TARGETS="host:qvpack win64:QVSetup,qv_main_job_driver win32:QVSetup" \
  scripts/build.sh "${cmake_args[@]}" || die "the build failed"

launcher64=build/win64/launcher/QVSetup.exe
[ -f "$launcher64" ] || die "no $launcher64 after the build"

out=$top/build/main-job
rm -rf "$out"; mkdir -p "$out/shots"
. scripts/xvfb.sh
qv_start_xvfb || die "could not start Xvfb"
trap 'qv_stop_xvfb "$out"' EXIT

step "installing: QVSetup.exe in a fresh Wine prefix (DISPLAY=$DISPLAY)"
export QV_WINE_ROOT=$out/wine QV_FRESH_PREFIX=prefix
scripts/wine-run.sh "$top/build/win64/tools/maindrive/qv_main_job_driver.exe" "$top/$launcher64" "$out/shots" ||
  die "the installation did not complete (see above and $out/shots)"
prefix=$out/wine/prefix
unset QV_FRESH_PREFIX

step "shipped files"
for f in build/win32/launcher/QVSetup.exe build/win64/launcher/QVSetup.exe \
         build/win32/installer/app/QVStampSetup.exe build/win64/installer/app/QVStampSetup.exe; do
  [ -f "$f" ] && printf '%10d bytes  %s\n' "$(stat -c %s "$f")" "$top/$f"
done

step "files installed in C:\\Program Files\\QVStampReader"
installed="$prefix/drive_c/Program Files/QVStampReader"
[ -d "$installed" ] || die "nothing was installed"
(cd "$installed" && find . -type f -printf '%10s  %P\n' | sort -k2)

step "registry values"
export WINEPREFIX=$prefix WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
for key in 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Qelvo电子印章阅读器' \
           'HKCR\.esdf\DefaultIcon' 'HKCR\.esdf\shell\open\command'; do
  wine reg query "$key" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r' | sed '/^$/d' ||
    echo "  (missing) $key"
done
wineserver -k 2>/dev/null || true

step "shortcuts"
for lnk in "$prefix/drive_c/users/Public/Desktop/Qelvo电子印章阅读器.lnk" \
           "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/OstraQelvo/Qelvo电子印章阅读器.lnk" \
           "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/OstraQelvo/卸载Qelvo电子印章.lnk"; do
  echo "${lnk#$prefix/}"
  [ -f "$lnk" ] || die "missing shortcut $lnk"
  lnkinfo "$lnk" 2>/dev/null | grep -Ei 'local path|working directory' | sed 's/^[[:space:]]*/    /' || true
done

step "newest lines of the log"
head -n 8 "$out/shots/log.txt" | tr -d '\r'

step "screenshots"
for bmp in "$out"/shots/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp" && echo "${bmp%.bmp}.png"
done
printf '\nmain job done: installed through %s into %s\n' "$launcher64" "$installed"
