# Starts an Xvfb on a free display; sets DISPLAY and XVFB_PID. Sourced by the runner and ./dev.
# The screen is 1600x1000 unless TOVALUX_SCREEN says otherwise (WIDTHxHEIGHT: the demo at 150 %
# wants the same room in units).
xvfb_start() {
  local n
  for n in $(seq 90 190); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 "${TOVALUX_SCREEN:-1600x1000}x24" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    if [[ -e /tmp/.X11-unix/X$n ]] && kill -0 "$XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "wine-run: could not start Xvfb" >&2
  return 1
}
