#!/usr/bin/env bash
# Builds what Wine runs on this machine: nothing more where `make` has built
# build/windows and 32-bit programs run; where they cannot (see wine-env.sh),
# the same sources for 64-bit Windows in build/windows64.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
[ "$VELMARO_WINE_ARCH" = win64 ] || exit 0
echo "this machine cannot run 32-bit programs: Wine runs the same sources built for 64-bit Windows" >&2
cmake -S "$root" -B "$VELMARO_WINE_BUILD" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" >/dev/null
cmake --build "$VELMARO_WINE_BUILD" -j"$(nproc)"
