#!/usr/bin/env bash
# Screenshots of the program's windows under Wine, for a look after a window
# changed: the desktop with the tray icon, the open tray menu, a reminder, and
# the settings dialog with a task editor at 100 % and at 150 % (144 dpi).
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
wineserver -k 2>/dev/null || true

# The dialogs at one scale, each in a prefix and a display of its own.
dialog_shots() {
  local name=$1 dpi=$2 size=$3
  (
    export WINEPREFIX=$root/build/wine/shots-$name
    rm -rf "$WINEPREFIX"
    cp -a "$root/build/wine/template" "$WINEPREFIX"
    source "$root/tools/xvfb.sh"
    start_xvfb "$size"
    trap 'wineserver -k 2>/dev/null; kill $xvfb_pid 2>/dev/null' EXIT
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$size" /f >/dev/null 2>&1
    wine velmaro_open_dialogs.exe fill
    wine Velmaro.exe >/dev/null 2>&1 &
    sleep 6
    wine velmaro_open_dialogs.exe settings
    sleep 2
    import -window root "$out/settings-$name.png"
    wine velmaro_open_dialogs.exe editor
    sleep 2
    import -window root "$out/editor-$name.png"
  )
}
dialog_shots 100 96 800x600
dialog_shots 150 144 1200x900
ls "$out"/*.png
