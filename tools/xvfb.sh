# Sourced by the scripts that need a private X display: start_xvfb [WxH]
# starts an Xvfb (800x600 unless given) on a display number the server picks
# itself (so several runs side by side never share one), exports DISPLAY and
# stops the server when the calling script ends, however it ends.
source "$(dirname "${BASH_SOURCE[0]}")/on-exit.sh"
start_xvfb() {
  local size=${1:-800x600}
  local fifo
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/xvfb.XXXXXX")
  mkfifo "$fifo"
  # In its owner's process group, so that it ends with a stage killed as a
  # whole even when its owner had no chance to end it.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  on_exit "kill $xvfb_pid 2>/dev/null && wait $xvfb_pid 2>/dev/null"
  local n=""
  read -r -t 10 n <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$n" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$n"
}

has_display() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }
