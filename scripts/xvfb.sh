# Sourced by scripts: starts an Xvfb display of its own for Windows programs under Wine and
# stops it (and the Wine servers of the build folders) when the calling script exits.
qv_start_xvfb() {
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QV_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && return 0
      kill -0 "$QV_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "could not start Xvfb" >&2
  return 1
}
qv_stop_xvfb() {
  local p
  for p in "$@"; do
    for prefix in "$p"/wine/*/; do
      [ -f "$prefix/system.reg" ] && WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    done
  done
  [ -n "${QV_XVFB_PID:-}" ] && kill "$QV_XVFB_PID" 2>/dev/null || true
}
