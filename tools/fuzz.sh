#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan) and
# runs each for a bounded time on its kept corpus.
#   tools/fuzz.sh [SECONDS]      default 60
#   tools/fuzz.sh --build        builds them only
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out=$root/build/fuzz
src=$out/src

# Clang has no -fexec-charset for GBK: compile a copy of the tree whose
# sources are already code page 936. Only files whose converted text changed
# are rewritten, so the build after a small change is a small one.
mkdir -p "$src"
listed=$out/files.txt
(cd "$root" && git ls-files -co --exclude-standard CMakeLists.txt cmake base platform ui lang store scheduler actions dialogs \
  app tests/fakes tests/e2e/doubles tests/fuzz) >"$listed"
while read -r file; do
  mkdir -p "$src/$(dirname "$file")"
  case "$file" in
    *.cpp|*.h|*.inc) iconv -f UTF-8 -t GBK "$root/$file" >"$src/$file.new" ;;
    *) cp "$root/$file" "$src/$file.new" ;;
  esac
  if cmp -s "$src/$file.new" "$src/$file"; then rm "$src/$file.new"; else mv "$src/$file.new" "$src/$file"; fi
done <"$listed"
# A file gone from the tree goes from the copy, or a glob would still build it.
(cd "$src" && find . -type f | sed 's|^\./||') | { grep -vxFf "$listed" || true; } | (cd "$src" && xargs -r rm -f)

cmake -S "$src" -B "$out/build" -DVELMARO_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out/build" -j2 >/dev/null
[ "$seconds" = --build ] && exit 0

status=0
for target in "$out"/build/*_fuzz; do
  name=$(basename "$target" _fuzz)
  work=$out/work/$name
  mkdir -p "$work"
  echo "fuzz: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 "$work" "$root/tests/fuzz/corpus/$name" \
      >"$out/$name.log" 2>&1; then
    status=1
    tail -n 40 "$out/$name.log"
  fi
  grep -E '^stat::number_of_executed_units|^Done ' "$out/$name.log" | sed 's/^/  /'
done
exit $status
