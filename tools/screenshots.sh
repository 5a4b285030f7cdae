#!/usr/bin/env bash
# Screenshots of the program's windows under Wine, for a look after a window
# changed: the desktop with the tray icon, the open tray menu, a reminder, and
# the countdown window, the warning window, the settings dialog and a task
# editor at 100 % and at 150 % (144 dpi). The countdown comes from the end-to-end build, which
# records its power call instead of making it.
# Writes build/screenshots/*.png. Needs the build Wine runs here (make, and
# tools/wine-build.sh where 32-bit programs cannot run).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/wine/shots
source "$root/tools/wine-env.sh"
out=$root/build/screenshots
mkdir -p "$out"

source "$root/tools/xvfb.sh"
start_xvfb
on_exit wine_end
"$root/tools/wine-prefix.sh"

cd "$VELMARO_WINE_BUILD"
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
wine_end

# A store with one shut-down task at the minute of `when`, warned of a minute ahead.
store_shutdown_at() {
  local when=$1 reg=$WINEPREFIX/countdown.reg
  python3 - "$reg" "$(date -d "$when" +%-H)" "$(date -d "$when" +%-M)" <<'PY'
import sys
path, hour, minute = sys.argv[1:]
lines = ["Windows Registry Editor Version 5.00", "", r"[HKEY_LOCAL_MACHINE\Software\Drennik\Velmaro]",
         '"tishi"=dword:0000003c', '"TaskNum"=dword:00000001', '"shutapp"=dword:00000000', '"soundpath"=""',
         '"tiqian"=dword:00000001', '"A1"="每天%s时%s分"' % (hour, minute), '"B1"="关闭计算机"', '"C1"="关闭计算机"', ""]
open(path, "wb").write("\ufeff".encode("utf-16-le") + "\r\n".join(lines).encode("utf-16-le"))
PY
  wine regedit "$(winepath -w "$reg")" >/dev/null 2>&1
}

# A shut-down task due at the first tick, with a long count; Esc cancels it.
# Then one due a minute after the first tick: its warning balloon, clicked.
countdown_shot() {
  local name=$1
  store_shutdown_at '+12 seconds'
  wine VelmaroE2E.exe >/dev/null 2>&1 &
  sleep 15
  import -window root "$out/countdown-$name.png"
  xdotool key Escape
  sleep 1
  wine_end
  store_shutdown_at '+72 seconds'
  wine VelmaroE2E.exe >/dev/null 2>&1 &
  sleep 15
  wine velmaro_open_dialogs.exe warning
  sleep 2
  import -window root "$out/warning-$name.png"
  wine_end
  wine reg delete 'HKLM\Software\Drennik\Velmaro' /f >/dev/null 2>&1 || true
}

# The windows at one scale, each scale in a prefix and a display of its own.
dialog_shots() {
  local name=$1 dpi=$2 size=$3
  (
    export WINEPREFIX=$root/build/wine/shots-$name
    rm -rf "$WINEPREFIX"
    cp -a "$wine_template" "$WINEPREFIX"
    start_xvfb "$size"
    on_exit wine_end
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$size" /f >/dev/null 2>&1
    countdown_shot "$name"
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
