# Sourced by the scripts that need a private X display: start_xvfb starts an
# 800x600 Xvfb on a free display number, exports DISPLAY and stops the server
# when the calling script exits.
start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  trap 'kill $xvfb_pid 2>/dev/null' EXIT
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

has_display() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }
