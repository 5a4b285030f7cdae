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

source "$root/tools/xvfb.sh"
start_xvfb
trap 'wineserver -k 2>/dev/null; kill $xvfb_pid 2>/dev/null' EXIT

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
