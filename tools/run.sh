#!/usr/bin/env bash
# Starts Velmaro.exe under Wine in a virtual desktop with a taskbar and tray.
# With no X display it runs under its own Xvfb and saves a screenshot of the
# desktop with the tray icon. Runs until interrupted (or until Exit).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/wine/run
"$root/tools/wine-prefix.sh"
source "$root/tools/wine-env.sh"
exe=$root/build/windows/Velmaro.exe

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec wine "$exe"
fi

for n in $(seq 90 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n"
trap 'wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null' EXIT INT TERM
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

wine "$exe" &
program=$!
sleep "${VELMARO_SHOT_DELAY:-6}"
mkdir -p "$root/build/screenshots"
shot=$root/build/screenshots/desktop.png
import -window root "$shot"
echo "Velmaro runs under Wine on the virtual display $DISPLAY (no display was set)."
echo "Screenshot of the desktop with the tray icon: $shot"
echo "Press Ctrl+C to stop."
wait $program
