#!/usr/bin/env bash
# The README's screenshots, taken from the running program under Wine in the
# 800x600 virtual desktop of a private Xvfb, and written into docs/:
#   docs/tray-menu.png   the tray menu, opened by a right press on the icon
#   docs/countdown.png   the countdown window before a shut-down task
#   docs/settings.png    the settings dialog with three tasks
# The last two are cut from the 100 % screenshots of tools/screenshots.sh.
# Needs a built build/windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$root/build/windows/Velmaro.exe" ] || { echo "readme-screenshots: run make first" >&2; exit 1; }
export WINEPREFIX=$root/build/wine/readme
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
start_xvfb
on_exit wine_end
"$root/tools/wine-prefix.sh"
shots=$(mktemp -d "$TMPDIR/readme.XXXXXX")
taskbar_top=568  # the virtual desktop's taskbar, with the tray at its right end

# Writes the bottom-right corner of the screen that holds everything drawn
# above the taskbar (a menu opened on the tray icon), with a margin.
corner_shot() {
  local box x y margin=24
  box=$(convert "$1" -crop 800x${taskbar_top}+0+0 +repage -format '%@' info:)  # WxH+X+Y
  y=${box##*+}
  x=${box#*+}
  x=${x%+*}
  x=$((x > margin ? x - margin : 0))
  y=$((y > margin ? y - margin : 0))
  convert "$1" -crop "$((800 - x))x$((600 - y))+$x+$y" +repage "$2"
}

cd "$VELMARO_WINE_BUILD"
# The first start's hint would cover the menu: this desktop has seen it.
wine reg add 'HKLM\Software\Drennik\Velmaro' /v Welcomed /t REG_DWORD /d 1 /f >/dev/null 2>&1
# The log-off entry carries the user's name, which Wine takes from USER.
USER=Administrator wine Velmaro.exe >/dev/null 2>&1 &
sleep 6
xdotool mousemove 790 590 click 3
sleep 1
import -window root "$shots/menu.png"
corner_shot "$shots/menu.png" "$root/docs/tray-menu.png"
xdotool key Escape

rm -rf "$shots"
wine_end

# Everything above the taskbar that is not the desktop's own colour: the window.
window_shot() {
  convert "$1" -crop 800x${taskbar_top}+0+0 +repage -fuzz 3% -trim +repage -bordercolor white -border 0 "$2"
}
"$root/tools/screenshots.sh" >/dev/null
window_shot "$root/build/screenshots/countdown-100.png" "$root/docs/countdown.png"
window_shot "$root/build/screenshots/settings-100.png" "$root/docs/settings.png"
ls "$root"/docs/*.png
