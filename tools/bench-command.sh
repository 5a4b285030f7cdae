#!/usr/bin/env bash
# A command handed to the copy that runs: the time from `Velmaro.exe /status`
# starting to its exit, beside `cmd /c exit`, both started by Wine from here
# in turns, one run, after a warm-up each. Medians of RUNS each. Needs the
# build Wine runs (tools/wine-build.sh).
#   tools/bench-command.sh [RUNS]      default 9
# Prints the figures, and last:
#   bench status_ms M ms
#   bench status_ratio R x       R = /status / cmd /c exit
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-9}
source "$root/tools/wine-env.sh"
build=$VELMARO_WINE_BUILD
[ -f "$build/Velmaro.exe" ] || { echo "bench-command: $build/Velmaro.exe is missing; run make first" >&2; exit 1; }

export WINEPREFIX=$root/build/wine/bench
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
has_display || start_xvfb
on_exit wine_end
"$root/tools/wine-prefix.sh" --fresh

median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Milliseconds a command takes, from its start to its exit.
took() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

cd "$build"
wine Velmaro.exe >/dev/null 2>&1 &
for _ in $(seq 1 60); do
  wine Velmaro.exe /status 2>/dev/null | grep -q . && break
  sleep 0.5
done
took wine Velmaro.exe /status >/dev/null
took wine cmd /c exit >/dev/null
status="" bare=""
for _ in $(seq 1 "$runs"); do
  status+="$(took wine Velmaro.exe /status) "
  bare+="$(took wine cmd /c exit) "
done
wine Velmaro.exe /status
s=$(echo "$status" | median)
b=$(echo "$bare" | median)
echo "/status: $status(ms); cmd /c exit: $bare(ms)"
echo "bench status_ms $s ms"
echo "bench status_ratio $(awk -v s="$s" -v b="$b" 'BEGIN { printf "%.2f", s / b }') x"
