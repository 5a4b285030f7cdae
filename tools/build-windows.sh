#!/usr/bin/env bash
# Builds the 32-bit tree (build/windows): what ships (Velmaro.exe, the help
# file, the installer, the portable zip) and VelmaroE2E.exe for the exe
# checks, and its Wine tests only where this machine runs 32-bit Wine; where
# it cannot, those run from the 64-bit tree (tools/wine-build.sh) instead.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
tests=OFF
[ "$VELMARO_WINE_ARCH" = win32 ] && tests=ON
cmake -S "$root" -B "$root/build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" -DVELMARO_WINE_TESTS=$tests >/dev/null
cmake --build "$root/build/windows" -j"${JOBS:-$(nproc)}"
