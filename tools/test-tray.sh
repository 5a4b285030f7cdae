#!/usr/bin/env bash
# Real mouse presses on the program's icon in the shell's tray (Wine's virtual
# desktop, 800x600, where the icon sits at 790,590), by xdotool: a left and a
# right press each open the menu, a middle press does not; Exit from the menu
# ends the program. Screenshots of the open menu go to build/screenshots.
# Runs in the caller's Wine prefix and display; NAME tells the screenshots
# apart; FOLDER holds the programs (the Wine build unless given).
#   tools/test-tray.sh NAME [FOLDER]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:-default}
source "$root/tools/wine-env.sh"
cd "${2:-$VELMARO_WINE_BUILD}"
mkdir -p "$root/build/screenshots"
probe() { wine velmaro_tray_probe.exe "$1" >/dev/null 2>&1; }
passed=0
failed=0
check() {  # WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "tray: failed: $what"
  fi
}

rm -f tray-calls.log power-calls.log
wine VelmaroE2E.exe >/dev/null 2>&1 &
check "the program starts" probe started
for button in 1 3; do
  xdotool mousemove 790 590 click "$button"
  check "press $button on the icon opens the menu" probe menu
  import -window root "$root/build/screenshots/tray-press-$button-$name.png"
  xdotool mousemove 300 200 click 1
  check "a click beside the menu closes it" probe nomenu
done
xdotool mousemove 790 590 click 2
check "a middle press opens nothing" probe nomenu
check "Exit ends the program" probe exit
check "Exit removed the icon" grep -q '^Delete ' tray-calls.log

echo "tray: $passed passed, $failed failed"
# In the form the test summary counts.
echo "[  PASSED  ] $passed tests."
[ "$failed" -eq 0 ] || echo "[  FAILED  ] $failed tests"
[ "$failed" -eq 0 ]
