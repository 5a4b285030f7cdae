#!/usr/bin/env bash
# Screenshots of the program's windows under Wine, for a look after a window
# changed: the desktop with the tray icon, the open tray menu and a reminder.
# Writes build/screenshots/*.png. Needs a built build/windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/wine/shots
"$root/tools/wine-prefix.sh"
source "$root/tools/wine-env.sh"
out=$root/build/screenshots
mkdir -p "$out"

for n in $(seq 90 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n"
trap 'wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

cd "$root/build/windows"
wine Velmaro.exe >/dev/null 2>&1 &
sleep 6
import -window root "$out/tray.png"
# The tray icon sits at the right end of the virtual desktop's taskbar.
xdotool mousemove 790 590 click 3
sleep 1
import -window root "$out/menu.png"
xdotool key Escape

wine velmaro_show_reminder.exe >/dev/null 2>&1 &
sleep 3
import -window root "$out/reminder.png"
ls "$out"/*.png
