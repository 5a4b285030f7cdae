# Sourced by the Wine scripts: one prefix and one temporary folder for every
# Wine call of a build, so all of them talk to the same wineserver.
#
# The Wine tests run the 32-bit build, the one we ship, wherever the machine
# can run 32-bit programs. A kernel without IA-32 emulation cannot (Wine's
# 32-bit loader fails with "Exec format error"); there the same sources are
# built for 64-bit Windows (build/windows64) and run under 64-bit Wine, so
# the registry, window and process tests still run against real Wine.
# VELMARO_WINE_ARCH (win32 or win64) overrides the choice.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${VELMARO_WINE_ARCH:-}" ]; then
  if timeout 30 /usr/lib/wine/wine --version >/dev/null 2>&1; then
    VELMARO_WINE_ARCH=win32
  else
    VELMARO_WINE_ARCH=win64
  fi
fi
export VELMARO_WINE_ARCH
export WINEARCH=$VELMARO_WINE_ARCH
if [ "$WINEARCH" = win64 ]; then
  export VELMARO_WINE_BUILD=$root/build/windows64
  # Debian's wine and wine-stable scripts would pick the 32-bit loader first.
  shims=$root/build/wine/bin64
  if [ ! -x "$shims/wine-stable" ]; then
    mkdir -p "$shims"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shims/wine"
    chmod +x "$shims/wine"
    ln -sf wine "$shims/wine-stable"
  fi
  case ":$PATH:" in *":$shims:"*) ;; *) export PATH=$shims:$PATH ;; esac
  export WINELOADER=/usr/lib/wine/wine64
  export WINEPREFIX=${WINEPREFIX:-$root/build/wine/prefix64}
  wine_template=$root/build/wine/template64
else
  export VELMARO_WINE_BUILD=$root/build/windows
  export WINEPREFIX=${WINEPREFIX:-$root/build/wine/prefix}
  wine_template=$root/build/wine/template
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe=;winealsa.drv,winepulse.drv='
export TMPDIR=$root/build/wine/tmp
mkdir -p "$TMPDIR"
