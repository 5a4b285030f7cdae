#!/usr/bin/env bash
# Every test of the project, in order of speed: the builds, the exe checks,
# the native core tests, the Win32 tests and the end-to-end tests under Wine
# (on private Xvfb displays), and a bounded fuzz run. Each stage's output
# goes to build/test-logs/STAGE.log; its time is printed at the end, then
# one line: "N passed, M failed". Each stage runs in a process group of its
# own, ended with this script however it ends; the stages end the Wine worlds
# they start, and a last check says they did.
#   tools/test.sh [--fast]   --fast: builds, native and Win32 tests only
# Set-up (tools/install-deps.sh) is the Makefile's, before this.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
fast=0
[ "${1:-}" = --fast ] && fast=1
passed=0
failed=0
log=$root/build/test-logs
mkdir -p "$log"
times=()
began=$SECONDS

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

# report NAME STATUS SECONDS: a stage's outcome, time and test counts.
report() {
  local name=$1 status=$2 took=$3
  if [ "$status" -eq 0 ]; then
    tail -n 3 "$log/$name.log"
  else
    echo "-- $name failed:"
    tail -n 60 "$log/$name.log"
    failed=$((failed + 1))
  fi
  times+=("$(printf '%-16s %4d s' "$name" "$took")")
  count "$log/$name.log"
  return "$status"
}

# stage NAME COMMAND...: runs COMMAND with its output in NAME.log; false if it failed.
stage() {
  local name=$1 start=$SECONDS status=0
  shift
  echo "== $name"
  start_group "$@" >"$log/$name.log" 2>&1
  wait_group "$group_pid" || status=1
  report "$name" $status $((SECONDS - start))
}

# beside NAME COMMAND...: the same, in the background, until `collect NAME`.
beside() {
  rm -f "$log/$1.status"
  start_group beside_stage "$@"
  beside_pid=$group_pid
}
beside_stage() {
  local name=$1 start=$SECONDS status=0
  shift
  "$@" >"$log/$name.log" 2>&1 || status=1
  echo "$status $((SECONDS - start))" >"$log/$name.status"
}
collect() {
  local name=$1 status took
  wait_group "$beside_pid" || true
  read -r status took <"$log/$name.status" || { status=1; took=0; }
  echo "== $name (beside the stage before)"
  report "$name" "$status" "$took"
}

finish() {
  local left
  echo "== wine-ends"
  left=$(wine_pids "${test_prefixes[@]}")
  if [ -z "$left" ]; then
    echo "no Wine process of the test prefixes is left running"
    passed=$((passed + 1))
  else
    echo "-- Wine processes left running:"
    ps -o pid,args -p "$(paste -sd, <<<"$left")"
    failed=$((failed + 1))
  fi
  echo
  echo "stage times:"
  printf '  %s\n' "${times[@]}"
  printf '  %-16s %4d s\n' total $((SECONDS - began))
  echo
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

source tools/on-exit.sh
source tools/wine-env.sh
# The prefixes the stages run Wine in. Whatever a stage killed midway could
# not end itself ends here.
test_prefixes=("$WINEPREFIX" "$wine_template" "$root/build/wine/setup" "$root/build/wine/e2e-default"
  "$root/build/wine/e2e-zh_CN")
on_exit 'wine_end "${test_prefixes[@]}"'
built=1
stage build-native bash -c 'cmake -S . -B build/native -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" >/dev/null &&
  cmake --build build/native -j"$(nproc)"' || built=0
stage build-windows tools/build-windows.sh || built=0
if [ "$VELMARO_WINE_ARCH" = win64 ]; then
  echo "== this machine runs no 32-bit Wine: the Wine tests run the same sources built for 64-bit Windows"
  stage build-windows64 tools/wine-build.sh || built=0
fi
[ "$built" -eq 1 ] || finish

# The exe we ship, whichever build the Wine tests run: what it is, and within 460 KB.
stage exe-check bash -c 'tools/check-exe.sh build/windows/Velmaro.exe build/windows/VelmaroE2E.exe &&
  tools/check-size.sh build/windows/Velmaro.exe 460000' && passed=$((passed + 1))
stage native bash -c 'cd build/native && ctest --output-on-failure -j2'
# The Win32 tests mostly wait on Wine, the installer's cases longest; the
# fuzz targets build meanwhile.
[ "$fast" -eq 1 ] || beside build-fuzz tools/fuzz.sh --build
stage wine tools/test-win32.sh -j2
[ "$fast" -eq 1 ] && finish
collect build-fuzz
# The fuzzer keeps one core busy; the end-to-end tests mostly wait on the
# program's timers, so the two share the machine.
beside fuzz tools/fuzz.sh "${VELMARO_FUZZ_SECONDS:-60}"
stage e2e tools/test-e2e.sh
collect fuzz && grep -q number_of_executed_units "$log/fuzz.log" && passed=$((passed + 1))
finish
