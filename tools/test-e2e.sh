#!/usr/bin/env bash
# End-to-end tests: the real exe in a fresh Wine prefix (copied from the
# template), on the current X display, driven by a test program and by real
# presses on its tray icon (tools/test-tray.sh), under two locales: Wine's default
# (code page 1252, short date M/d/yyyy) and zh_CN, where the program's users
# live (code page 936, short date yyyy/M/d). The zh_CN locale is generated
# into the build folder, so no root is needed.
#   tools/test-e2e.sh [gtest flags]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/wine-env.sh"
locales=$VELMARO_WINE_BUILD/locale  # the build makes it for the Win32 tests too
if [ ! -d "$locales/zh_CN.UTF-8" ]; then
  mkdir -p "$locales"
  localedef -i zh_CN -f UTF-8 "$locales/zh_CN.UTF-8" 2>/dev/null || [ -d "$locales/zh_CN.UTF-8" ]
fi

status=0
run_under() {  # NAME [VAR=VALUE...]
  local name=$1
  shift
  echo "== e2e under the $name locale"
  (
    unset LC_ALL
    export "$@"
    export WINEPREFIX=$root/build/wine/e2e-$name
    "$root/tools/wine-prefix.sh" --fresh
    source "$root/tools/wine-env.sh"
    cd "$VELMARO_WINE_BUILD"
    trap 'wineserver -k 2>/dev/null || true' EXIT
    wine velmaro_e2e_tests.exe "${gtest_flags[@]}" || exit 1
    "$root/tools/test-tray.sh" "$name"
  ) || status=1
}
gtest_flags=("$@")
# The tests check that Wine took the code page each run asks for.
run_under default LANG=C.UTF-8 VELMARO_E2E_CODE_PAGE=1252
run_under zh_CN LOCPATH="$locales" LANG=zh_CN.UTF-8 VELMARO_E2E_CODE_PAGE=936
exit $status
