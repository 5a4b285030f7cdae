#!/usr/bin/env bash
# End-to-end tests: the real exe in a fresh Wine prefix (copied from the
# template), driven by a test program and by real presses on its tray icon
# (tools/test-tray.sh), in two lanes that run side by side, each with its own
# prefix, Xvfb display and folder (the end-to-end build writes its logs
# beside its exe):
#   default  Wine's default locale (code page 1252, short date M/d/yyyy)
#   zh_CN    where the program's users live (code page 936, short date yyyy/M/d)
# The cases whose outcome depends on the locale (the code page Wine runs
# with, dates in trigger texts, the dialogs' Chinese text and date fields)
# run in both lanes, and so does the check that the lane's Wine world lives
# on the moved clock; every other case runs once, in one lane or the other.
# Wine's wall clock is moved by libfaketime where a test needs a certain
# minute (see WallClock in tests/e2e/e2e_support.h); the millisecond counter
# and the timers stay real.
#   tools/test-e2e.sh [GTEST_FILTER]   only the cases of the filter, each once
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/on-exit.sh"
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
locales=$VELMARO_WINE_BUILD/locale  # the build makes it for the Win32 tests too
if [ ! -d "$locales/zh_CN.UTF-8" ]; then
  mkdir -p "$locales"
  localedef -i zh_CN -f UTF-8 "$locales/zh_CN.UTF-8" 2>/dev/null || [ -d "$locales/zh_CN.UTF-8" ]
fi

both='WallClockTest.*:Locale.*:DialogsTest.*:SchedulerTest.APowerTaskCountsDownAndRunsOnceBesideAReminderDueInTheSameTick'
both+=':CommandLineTest.TaskCommandsWorkOnTheStoreAloneAndABadTriggerIsRefusedInTheEditorsWords'
# Cases that depend on no locale but take long: the zh_CN lane runs them, so
# that the two lanes take about as long.
zh_only='SchedulerTest.MinutesInAPauseAreCaughtUpAndASuspendEndsTheCountdown:ConditionsTest.*'

# libfaketime moves the clock of every Wine process of a lane: with 64-bit
# Wine preloaded into everything the lane starts, with 32-bit Wine only into
# the Wine binaries, each given its own architecture's library by the wine,
# wine-stable and wineserver scripts that wine32_clock puts first on the
# lane's PATH. Both libraries in every process hang each 32-bit Wine program
# at start-up: libfaketime shares a semaphore, named after the pid, with what
# a process execs, and /usr/bin/wine, a 64-bit shell script, creates it with
# the 64-bit layout before it execs the 32-bit loader, which reads it with
# the 32-bit one and waits for ever. The 32-bit library alone leaves 32-bit
# Wine on the real clock, which tools/i386-time64.c mends. Where none of
# this can be had, the tests wait for the clock instead.
faketime64=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
faketime32=/usr/lib/i386-linux-gnu/faketime/libfaketime.so.1
wine32_clock() {  # DIR
  local dir=$1
  [ -f "$faketime32" ] && [ -f "$faketime64" ] && [ -x /usr/lib/wine/wineserver64 ] || return 1
  mkdir -p "$dir"
  gcc -m32 -O2 -fPIC -shared -nostdlib -o "$dir/i386-time64.so" "$root/tools/i386-time64.c" || return 1
  # -p0 as Debian's wineserver script has it: gone with its last program
  # unless told otherwise.
  cat >"$dir/wineserver" <<EOF
#!/bin/sh
LD_PRELOAD="$faketime64" exec /usr/lib/wine/wineserver64 -p0 "\$@"
EOF
  # The prefix's wineserver is started here unless it runs: a 32-bit loader
  # would start it with its own library, which a 64-bit program cannot load,
  # and that server would keep the real clock. Detached, so that it holds no
  # caller's pipe.
  cat >"$dir/wine" <<EOF
#!/bin/sh
"$dir/wineserver" </dev/null >/dev/null 2>&1
LD_PRELOAD="$dir/i386-time64.so $faketime32" exec /usr/lib/wine/wine "\$@"
EOF
  chmod +x "$dir/wine" "$dir/wineserver"
  # What wineboot, regedit and winepath run.
  ln -sf wine "$dir/wine-stable"
}
preload=""
clock_bin=""
if [ "$VELMARO_WINE_ARCH" = win64 ]; then
  [ -f "$faketime64" ] && preload=$faketime64
elif wine32_clock "$root/build/e2e/wine32"; then
  clock_bin=$root/build/e2e/wine32
fi
clock_moves=0
[ -z "$preload$clock_bin" ] || clock_moves=1
[ "$clock_moves" = 1 ] || echo "e2e: Wine's clock cannot be moved here: the tests wait for the minutes they need" >&2

lane() {  # NAME FILTER [VAR=VALUE...]
  local name=$1 filter=$2
  shift 2
  unset LC_ALL
  export "$@"
  local dir=$root/build/e2e/$name
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$VELMARO_WINE_BUILD"/*.exe "$VELMARO_WINE_BUILD"/QLLJ.bat "$dir"/
  if [ "$clock_moves" = 1 ]; then
    echo "+0" >"$dir/clock"
    export FAKETIME_TIMESTAMP_FILE=$dir/clock FAKETIME_NO_CACHE=1 FAKETIME_DONT_FAKE_MONOTONIC=1
    [ -z "$preload" ] || export LD_PRELOAD=$preload
    [ -z "$clock_bin" ] || export PATH=$clock_bin:$PATH
    export VELMARO_E2E_CLOCK_FILE="Z:${dir//\//\\}\\clock"
  fi
  export WINEPREFIX=$root/build/wine/e2e-$name
  start_xvfb
  on_exit wine_end
  "$root/tools/wine-prefix.sh" --fresh
  cd "$dir"
  local status=0
  wine velmaro_e2e_tests.exe --gtest_filter="$filter" || status=1
  if [ "$filter" = "$all_cases" ]; then
    "$root/tools/test-tray.sh" "$name" "$dir" || status=1
  fi
  return $status
}

mkdir -p "$root/build/e2e"
all_cases="-$zh_only"
pids=()
names=()
# A lane's time comes last in its log, once its Wine world and display have
# ended. A lane takes about 6 minutes; one that hangs (a Wine program that
# never ends) is stopped after VELMARO_E2E_LANE_MINUTES, so that the run ends
# and its Wine world with it.
lane_minutes=${VELMARO_E2E_LANE_MINUTES:-20}
timed_lane() {  # NAME FILTER VARS...
  on_exit "echo \"lane $1: \$((SECONDS - $SECONDS)) s\""
  # Inside the lane's group, so it goes with the lane.
  (sleep $((lane_minutes * 60)); echo "lane $1: stopped after $lane_minutes min"; kill -TERM 0) &
  lane "$@" || return 1
}
# Each lane in a process group of its own, which this script ends should it
# be stopped: the lane then ends its Wine world and its display.
run_lane() {  # NAME FILTER VARS...
  start_group timed_lane "$@" >"$root/build/e2e/$1.log" 2>&1
  pids+=("$group_pid")
  names+=("$1")
}
# The test program checks that Wine took the code page each lane asks for.
if [ -n "${1:-}" ]; then
  run_lane default "$1" LANG=C.UTF-8 VELMARO_E2E_CODE_PAGE=1252
else
  run_lane default "$all_cases" LANG=C.UTF-8 VELMARO_E2E_CODE_PAGE=1252
  run_lane zh_CN "$both:$zh_only" LOCPATH="$locales" LANG=zh_CN.UTF-8 VELMARO_E2E_CODE_PAGE=936
fi
status=0
for i in "${!pids[@]}"; do
  wait_group "${pids[$i]}" || status=1
  echo "== e2e in the ${names[$i]} lane (build/e2e/${names[$i]}.log)"
  cat "$root/build/e2e/${names[$i]}.log"
done
exit $status
