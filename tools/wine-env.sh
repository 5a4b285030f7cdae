# Sourced by the Wine scripts: one prefix and one temporary folder for every
# Wine call of a build, so all of them talk to the same wineserver.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wine/prefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe=;winealsa.drv,winepulse.drv='
export TMPDIR=$root/build/wine/tmp
mkdir -p "$TMPDIR"
