#!/usr/bin/env bash
# Compiles the help file Velmaro.CHM from docs/help. The pages are kept in
# UTF-8 and compiled in code page 936, which HTML Help shows on every Windows
# version (its contents tree and index know no UTF-8). A character outside
# code page 936, a broken link or a page missing from the project fails.
#   tools/make-help.sh SOURCE_DIR OUTPUT_CHM
set -euo pipefail
src=$1
out=$2
work=$(dirname "$out")/help
rm -rf "$work"
mkdir -p "$work"
for file in "$src"/*; do
  sed 's/charset=utf-8/charset=gb2312/' "$file" | iconv -f UTF-8 -t GBK >"$work/$(basename "$file")"
done
cd "$work"
chmcmd --verbosity 5 velmaro.hhp >chmcmd.log 2>&1 || { cat chmcmd.log; exit 1; }
if grep -iE 'error|not found|missing|warning' chmcmd.log; then exit 1; fi
mv Velmaro.CHM "$out"
