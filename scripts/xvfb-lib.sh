# Starts an X server on a free display; sets DISPLAY and XVFB_PID. Sourced by the runner and ./dev.

# Starts the command after FIRST, LAST and STEPS on the first free display from :FIRST to :LAST,
# each "@DISPLAY@" in it replaced by that display, and waits up to STEPS x 50 ms for its socket.
# A server that dies or never listens leaves that display to the next one.
x_server_start() {
  local first=$1 last=$2 steps=$3 n i
  shift 3
  for n in $(seq "$first" "$last"); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    "${@//@DISPLAY@/:$n}" >/dev/null 2>&1 &
    XVFB_PID=$!
    for i in $(seq 1 "$steps"); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    if [[ -e /tmp/.X11-unix/X$n ]] && kill -0 "$XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  return 1
}

# Xvfb. The screen is 1600x1000 unless TOVALUX_SCREEN says otherwise (WIDTHxHEIGHT: the demo at
# 150 % wants the same room in units).
xvfb_start() {
  x_server_start 90 190 100 Xvfb @DISPLAY@ -screen 0 "${TOVALUX_SCREEN:-1600x1000}x24" -nolisten tcp && return 0
  echo "wine-run: could not start Xvfb" >&2
  return 1
}

# An X server with two monitors side by side (1280x800 primary, 1024x768 to its right): Xorg with
# the dummy driver, whose second output is switched on with xrandr. Wine sees them through
# Xinerama (the server answers it from RandR). LOGDIR (the first argument) keeps the server's log.
two_monitors_start() {
  local logdir=$1 here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  command -v Xorg >/dev/null && [[ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ]] || {
    echo "wine-run: two monitors need Xorg with the dummy driver (./dev deps installs them)" >&2
    return 1
  }
  if ! x_server_start 191 240 200 Xorg @DISPLAY@ -config "$here/xorg-two-monitors.conf" -noreset -nolisten tcp \
    -logfile "$logdir/xorg-two-monitors.log"; then
    echo "wine-run: could not start Xorg for two monitors (see $logdir/xorg-two-monitors.log)" >&2
    return 1
  fi
  xrandr --addmode DUMMY1 1024x768 &&
    xrandr --output DUMMY0 --mode 1280x800 --pos 0x0 --primary \
           --output DUMMY1 --mode 1024x768 --pos 1280x0 && return 0
  echo "wine-run: xrandr could not switch the second monitor on" >&2
  kill "$XVFB_PID" 2>/dev/null
  return 1
}
