#!/usr/bin/env bash
# Every test of the project, in order of speed: the exe checks, the native
# core tests, the Win32 tests and the end-to-end tests under Wine (on an X
# display, a private Xvfb when there is none), and a bounded fuzz run.
# Ends with one line: "N passed, M failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
passed=0
failed=0
log=$root/build/test-logs
mkdir -p "$log"

# Adds the test counts from a ctest or GoogleTest log.
count() {
  read -r p f < <(awk '
    /tests passed, [0-9]+ tests failed out of/ { ctest = 1; total = $NF; fail = $4 }
    /^\[  PASSED  \] [0-9]+/ { gp += $4 }
    /^\[  FAILED  \] [0-9]+ test/ { gf += $4 }
    END { if (ctest) print total - fail, fail; else print gp + 0, gf + 0 }' "$1")
  passed=$((passed + p))
  failed=$((failed + f))
}

stage() {
  local name=$1
  shift
  echo "== $name"
  if "$@" >"$log/$name.log" 2>&1; then
    tail -n 3 "$log/$name.log"
  else
    echo "-- $name failed:"
    tail -n 60 "$log/$name.log"
    failed=$((failed + 1))
  fi
  count "$log/$name.log"
}

# The exe we ship, whichever build the Wine tests run: what it is, and within 400 KB.
stage exe-check bash -c 'tools/check-exe.sh build/windows/Velmaro.exe build/windows/VelmaroE2E.exe && tools/check-size.sh build/windows/Velmaro.exe 400000'
passed=$((passed + 1))
stage native bash -c 'cd build/native && ctest --output-on-failure -j2'
source tools/wine-env.sh
if [ "$VELMARO_WINE_ARCH" = win64 ]; then
  echo "== this machine cannot run 32-bit programs: the Wine tests run the same sources built for 64-bit Windows"
  stage windows64 tools/wine-build.sh
fi
stage wine tools/with-display.sh bash -c 'tools/wine-prefix.sh && cd "$VELMARO_WINE_BUILD" && ctest --output-on-failure'
stage e2e tools/with-display.sh tools/test-e2e.sh
stage fuzz tools/fuzz.sh "${VELMARO_FUZZ_SECONDS:-60}"
grep -E 'number_of_executed_units' "$log/fuzz.log" >/dev/null && passed=$((passed + 1))

echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
