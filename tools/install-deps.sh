#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, quietly and only when something is missing.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake make g++ googletest libgtest-dev g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
      wine wine32:i386 wine64 g++-mingw-w64-x86-64-win32 fonts-wine xvfb xauth xdotool x11-utils imagemagick fonts-wqy-microhei locales
      clang libclang-rt-14-dev python3 nsis fp-utils)
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${need[*]}" >&2
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
