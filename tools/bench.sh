#!/usr/bin/env bash
# Every benchmark, native and under Wine (in a throwaway prefix, so the real
# registry it fills is its own). Each benchmark measures its figures side by
# side in one run; the "bench <name> <value> <unit>" lines come last.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/bench
mkdir -p "$out"
: >"$out/all.log"
# Keeps every line in the log and shows all but the figures, which come last.
keep() { tee -a "$out/all.log" | { grep -v '^bench ' || true; }; }

for bench in "$root"/build/native/*_bench; do
  "$bench" | keep
done

export WINEPREFIX=$root/build/wine/bench
source "$root/tools/on-exit.sh"
source "$root/tools/wine-env.sh"
on_exit wine_end
"$root/tools/wine-prefix.sh"
"$root/tools/wine-build.sh"

cd "$VELMARO_WINE_BUILD"  # the 64-bit test build where the kernel runs no 32-bit programs
# Wine starts its own services with the first program of a prefix; let them
# settle before measuring.
wine cmd /c exit >/dev/null 2>&1 || true
sleep 5
for source in "$root"/tests/bench/*_bench.cpp; do
  wine "$(basename "$source" .cpp).exe" | tr -d '\r' | keep
done
wine_end

for script in "$root"/tools/bench-*.sh; do
  if [ -x "$script" ]; then "$script" | keep; fi
done

echo
grep '^bench ' "$out/all.log"
