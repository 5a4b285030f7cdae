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

# wine_end [PREFIX...]: ends the Wine world of each prefix (this one unless
# given) and returns once it is gone: the wineserver, and with it every
# program and service of the prefix. A persistent wineserver
# (tools/wine-prefix.sh) keeps its services running for ever otherwise.
wine_end() {
  local prefix pids
  [ $# -gt 0 ] || set -- "$WINEPREFIX"
  for prefix in "$@"; do
    # Only -k without a signal: the server then ends its programs before
    # itself. A server killed by a signal leaves them running without it;
    # those, and any such from before, end by their pids below.
    [ ! -d "$prefix" ] || WINEPREFIX=$prefix timeout 30 wineserver -k 2>/dev/null || true
  done
  pids=$(wine_pids "$@")
  [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
}

# wine_pids PREFIX...: the Wine processes (servers, loaders, programs,
# services) of these prefixes or of prefixes inside them, by their WINEPREFIX.
wine_pids() {
  local pid exe prefix wanted
  while read -r pid exe; do
    case ${exe##*/} in wine*) ;; *) continue ;; esac
    prefix=$(tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | sed -n 's/^WINEPREFIX=//p')
    [ -n "$prefix" ] || continue
    for wanted in "$@"; do
      if [ "$prefix" = "$wanted" ] || [[ $prefix == "$wanted"/* ]]; then
        echo "$pid"
        break
      fi
    done
  done < <(find /proc/[0-9]*/exe -maxdepth 0 -printf '%h %l\n' 2>/dev/null | sed 's|^/proc/||')
}
