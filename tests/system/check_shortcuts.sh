#!/usr/bin/env bash
# Reads the shell links that shortcuts_test left in its Wine prefix with lnkinfo (liblnk: a
# .lnk parser that shares no code with Wine or with this project) and checks that each link
# starts its program in the installation directory, trailing backslash included.
# Argument: the prefix folder. Runs on the host after shortcuts_test.
set -uo pipefail
prefix=${1:?usage: check_shortcuts.sh PREFIX_FOLDER}
command -v lnkinfo >/dev/null || { echo "FAIL: lnkinfo is not installed (liblnk-utils)"; exit 1; }

install_dir='C:\Program Files\QVStampReader\'
desktop="$prefix/drive_c/users/Public/Desktop"
start_menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/OstraQelvo"
status=0
fail() { echo "FAIL: $*"; status=1; }

check_link() { # link file, expected target
  local link=$1 target=$2 out path work
  if ! out=$(lnkinfo "$link" 2>&1); then
    fail "lnkinfo cannot read $link: $out"; return
  fi
  path=$(sed -n 's/^\tLocal path\t*: //p' <<<"$out")
  work=$(sed -n 's/^\tWorking directory\t*: //p' <<<"$out")
  [ "$path" = "$target" ] || fail "$link: target '$path', expected '$target'"
  [ "$work" = "$install_dir" ] || fail "$link: working directory '$work', expected '$install_dir'"
  [ "$status" = 0 ] && echo "ok: $link -> $path (in $work)"
}

# The shell link object stores the target with the doubled separator resolved.
check_link "$desktop/Qelvo电子印章阅读器.lnk" "${install_dir}QVStampPage.exe"
check_link "$start_menu/Qelvo电子印章阅读器.lnk" "${install_dir}QVStampPage.exe"
check_link "$start_menu/卸载Qelvo电子印章.lnk" "${install_dir}uninstall.exe"

count=$(find "$start_menu" -maxdepth 1 -type f | wc -l)
[ "$count" = 2 ] || fail "$start_menu holds $count files, expected the two links"
exit $status
