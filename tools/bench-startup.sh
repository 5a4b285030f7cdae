#!/usr/bin/env bash
# Start-up of Velmaro.exe beside a bare Win32 tray program built in the same
# tree (tests/bench/bare_tray_win.cpp), both under Wine and in one run: the
# time from process start to the tray icon being added, and the private
# memory a second after that: the pages the program's Wine process has
# written itself (Private_Dirty; clean private pages, such as a font file
# read in, count as shared once another process maps the same file, which
# makes them vary from run to run). Medians of RUNS starts each, taken in
# turns after one warm-up start each. Needs the build Wine runs (tools/wine-build.sh).
#   tools/bench-startup.sh [RUNS]      default 9
# Prints the figures, and last:
#   bench startup_ratio R x
#   bench memory_ratio R x
# with R = Velmaro / bare program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-9}
source "$root/tools/wine-env.sh"
build=$VELMARO_WINE_BUILD  # the 64-bit test build where 32-bit programs cannot run
for file in Velmaro.exe velmaro_bare_tray.exe velmaro_startup_bench.exe; do
  [ -f "$build/$file" ] || { echo "bench-startup: $build/$file is missing; run make first" >&2; exit 1; }
done

# A fresh prefix of its own, so every run starts from the same state.
export WINEPREFIX=$root/build/wine/bench
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
has_display || start_xvfb
on_exit wine_end
"$root/tools/wine-prefix.sh" --fresh

# Private memory of the newest process running NAME.exe, in KB.
private_kb() {
  local pid
  if ! pid=$(pgrep -n -f "(^|[\\\\/])$1\\.exe"); then
    echo "bench-startup: $1 is not running" >&2
    return 1
  fi
  awk '/^Private_Dirty:/ { kb += $2 } END { print kb }' "/proc/$pid/smaps_rollup"
}

median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

cd "$build"
declare -A memory startup
# Wine's own helper processes keep the bench's output open after it ends:
# the loop ends at its "done" line instead.
coproc BENCH { wine velmaro_startup_bench.exe "$runs" velmaro_bare_tray.exe Velmaro.exe 2>&1; }
while read -r -u "${BENCH[0]}" line; do
  read -r word name value <<<"${line%$'\r'}"
  case $word in
    ready)
      memory[$name]+="$(private_kb "$name") "
      echo >&"${BENCH[1]}"
      ;;
    startup) startup[$name]=$value ;;
    done) break ;;
    *) echo "$word $name $value" >&2 ;;
  esac
done
[ -n "${startup[Velmaro]:-}" ] && [ -n "${startup[velmaro_bare_tray]:-}" ] || { echo "bench-startup: no result" >&2; exit 1; }

bare_kb=$(median <<<"${memory[velmaro_bare_tray]}")
velmaro_kb=$(median <<<"${memory[Velmaro]}")
echo "startup bare tray program: ${startup[velmaro_bare_tray]} ms (median of $runs)"
echo "startup Velmaro: ${startup[Velmaro]} ms"
echo "private memory bare tray program: $bare_kb KB"
echo "private memory Velmaro: $velmaro_kb KB"
awk -v v="${startup[Velmaro]}" -v b="${startup[velmaro_bare_tray]}" 'BEGIN { printf "bench startup_ratio %.2f x\n", v / b }'
awk -v v="$velmaro_kb" -v b="$bare_kb" 'BEGIN { printf "bench memory_ratio %.2f x\n", v / b }'
