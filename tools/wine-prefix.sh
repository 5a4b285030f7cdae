#!/usr/bin/env bash
# Makes sure the Wine prefix exists and is set up for our tests: Chinese UI
# fonts, title-bar glyphs, a virtual desktop with a tray. A prefix is built
# once as a template and copied, which takes under a second.
#   tools/wine-prefix.sh [--fresh]   --fresh: a new copy, whatever was there
# It leaves the prefix's wineserver running: whoever asked for the prefix
# ends it (wine_end in tools/wine-env.sh).
set -euo pipefail
source "$(dirname "$0")/on-exit.sh"
source "$(dirname "$0")/wine-env.sh"

if [ "${1:-}" = --fresh ]; then
  wine_end
  rm -rf "$WINEPREFIX"
fi

template=$wine_template
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  exec 9>"$root/build/wine/.lock"
  flock 9
  if [ ! -f "$template/system.reg" ]; then
    # Only the one making the template runs Wine in it, and only here.
    on_exit "wine_end $(printf %q "$template")"
    rm -rf "$template"
    WINEPREFIX=$template wineboot -i >/dev/null 2>&1
    WINEPREFIX=$template wineserver -w
    cp /usr/share/wine/fonts/marlett.ttf "$template/drive_c/windows/Fonts/" 2>/dev/null || true
    # Regedit reads a version 5 file as UTF-16, whatever the ANSI code page.
    python3 - "$root/build/wine/setup.reg" <<'PY'
import sys
fonts = ["Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "MS Sans Serif", "SimSun", "宋体"]
lines = ["Windows Registry Editor Version 5.00", "",
         r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
lines += ['"%s"="WenQuanYi Micro Hei"' % font for font in fonts]
lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\Explorer]", '"Desktop"="Default"',
          "", r"[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]", '"Default"="800x600"', ""]
open(sys.argv[1], "wb").write("\ufeff".encode("utf-16-le") + "\r\n".join(lines).encode("utf-16-le"))
PY
    WINEPREFIX=$template wine regedit "$(WINEPREFIX=$template winepath -w "$root/build/wine/setup.reg")" >/dev/null 2>&1
    WINEPREFIX=$template wineserver -w
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"
    cp -a "$template" "$WINEPREFIX"
  fi
  flock -u 9
fi

# A wineserver that outlives single runs and does not hold ctest's pipes.
# Should its owner be killed without a chance to end it, it ends by itself a
# minute after the last program, and its services with it.
wineserver -p60 </dev/null >/dev/null 2>&1 || true
