#!/usr/bin/env bash
# Which source files ("rooms") a due task's calls pass through, and how often
# control goes back up the layers, in three scenarios on the tests' fakes:
# a due reminder, a due shutdown through its countdown to its record line,
# and a wake that catches up a missed reminder. Compiles the tree's portable
# core and the tests' fakes with -finstrument-functions (the driver and the
# C++ library left out; the fakes seen, but as no room) into a build of its
# own, runs tools/call_rooms/call_rooms.cpp on it and prints its report;
# given several trees, a table of their figures side by side follows.
#   tools/call-rooms.sh [-o OUT_DIR] TREE[@REV] [TREE[@REV]...]
# e.g. tools/call-rooms.sh .@HEAD~10 .   (then and now, side by side)
# TREE is measured as its files are now, TREE@REV as the commit REV of its
# repository has them (git archive; the tree's files are not touched).
# OUT_DIR (default /tmp/call-rooms-$UID) holds one build per tree, with its
# report.txt, metrics.tsv and each scenario's call tree (*.calls.txt).
# The exit status is 1 if a scenario did not do what its window is for, 2
# if a tree did not build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
helper=$here/call_rooms/call_rooms.cpp
out=/tmp/call-rooms-$(id -u)
jobs=2  # the machine's two cores are shared

usage() {
  sed -n '2,/^set -/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
  exit 2
}
while getopts o:h opt; do
  case $opt in
    o) out=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || usage
for tool in g++ make addr2line; do
  command -v "$tool" >/dev/null || { echo "call-rooms: $tool is missing" >&2; exit 2; }
done

# The core as the native build has it (no *_win.cpp), without ui/, which
# only the Win32 window uses; the fakes and the recording doubles they share.
dirs=(base platform store scheduler actions dialogs app tests/fakes tests/e2e/doubles)

# Builds and runs one tree; prints its report, leaves its build directory in $build.
measure() {
  local tree=$1 rev=$2 commit=
  # A build per commit, not per name: HEAD moves, and the archive's file
  # times are the commit's, which need not be later than the objects built.
  if [ -n "$rev" ]; then
    commit=$(git -C "$tree" rev-parse --verify --quiet "$rev^{commit}") || {
      echo "call-rooms: $tree has no commit $rev" >&2
      return 2
    }
  fi
  build=$out/$(printf '%s' "$tree${commit:+@$commit}" | sed 's|^/||; s|/|_|g')
  mkdir -p "$build"
  # Others may be editing the tree: the build and its report are of one
  # copy, taken at once, whose files keep their times for make.
  local root=$build/src state
  rm -rf "$root"
  mkdir -p "$root"
  if [ -n "$rev" ]; then
    local present=() dir
    for dir in "${dirs[@]}"; do
      git -C "$tree" cat-file -e "$commit:$dir" 2>/dev/null && present+=("$dir")
    done
    git -C "$tree" archive "$commit" -- "${present[@]}" | tar -C "$root" -xf -
    state="$tree at $(git -C "$tree" log -1 --format='%h %s' "$commit" | cut -c1-80)"
  else
    tar -C "$tree" -cf - "${dirs[@]}" | tar -C "$root" -xf -
    state="$tree as its files are, on $(git -C "$tree" log -1 --format='%h %s' 2>/dev/null | cut -c1-70)"
    state+=$'\n'"      with $(git -C "$tree" --no-optional-locks status --porcelain -- "${dirs[@]}" 2>/dev/null |
      wc -l) uncommitted change(s) in the measured directories"
  fi
  local digest
  digest=$(cd "$root" && find . -type f | LC_ALL=C sort | xargs sha1sum | sha1sum | cut -c1-12)
  local sources
  sources=$(cd "$root" && ls base/*.cpp platform/*.cpp store/*.cpp scheduler/*.cpp actions/*.cpp dialogs/*.cpp \
    app/*.cpp tests/fakes/*.cpp tests/e2e/doubles/*.cpp 2>/dev/null | grep -v '_win\.cpp$' | tr '\n' ' ')
  # Sources are UTF-8 and their narrow literals code page 936, as in the
  # project's build. No optimisation: GCC instruments inline expansions
  # anyway, and -O0 keeps every address on its own line of source.
  # Functions defined under the exclusion list are not instrumented; the
  # program's header-inline functions are, in whichever object they land,
  # so the copy the linker keeps is instrumented too.
  cat >"$build/Makefile.new" <<EOF
ROOT := $root
HELPER := $helper
SOURCES := $sources
OBJECTS := \$(SOURCES:%.cpp=obj/%.o)
COMMON := -std=c++17 -O0 -g -fno-pie -finput-charset=UTF-8 -fexec-charset=GBK -I\$(ROOT) \\
  -DVELMARO_VERSION='"0"' -DVELMARO_RELEASE_DATE='"0"' \\
  -finstrument-functions -finstrument-functions-exclude-file-list=/usr/,$(dirname "$helper")/

call_rooms: \$(OBJECTS) obj/call_rooms.o
	\$(CXX) -no-pie -o \$@ \$^

obj/%.o: \$(ROOT)/%.cpp
	@mkdir -p \$(@D)
	\$(CXX) \$(COMMON) -w -MMD -MP -c \$< -o \$@

obj/call_rooms.o: \$(HELPER)
	@mkdir -p \$(@D)
	\$(CXX) \$(COMMON) -Wall -Wextra -MMD -MP -c \$< -o \$@

-include \$(OBJECTS:.o=.d) obj/call_rooms.d
EOF
  # Other sources or flags: nothing built before is trusted.
  if ! cmp -s "$build/Makefile.new" "$build/Makefile"; then
    rm -rf "$build/obj" "$build/call_rooms"
    mv "$build/Makefile.new" "$build/Makefile"
  else
    rm "$build/Makefile.new"
  fi
  echo "call-rooms: building $tree${rev:+@$rev} in $build" >&2
  rm -f "$build/metrics.tsv"
  make -s -C "$build" -j"$jobs" CXX="${CXX:-g++}" >"$build/build.log" 2>&1 || {
    echo "call-rooms: $tree${rev:+@$rev} does not build, see $build/build.log:" >&2
    grep -m5 'error' "$build/build.log" >&2 || tail -5 "$build/build.log" >&2
    return 2
  }
  local status=0
  {
    echo "tree: $state"
    echo "      sources measured: digest $digest"
    "$build/call_rooms" "$root" "$build"
  } >"$build/report.txt" || status=$?
  cat "$build/report.txt"
  return $status
}

failed=0
builds=()
names=()
for arg in "$@"; do
  tree=${arg%@*}
  rev=
  [ "$tree" = "$arg" ] || rev=${arg##*@}
  tree=$(cd "$tree" 2>/dev/null && pwd) || { echo "call-rooms: no directory $arg" >&2; exit 2; }
  [ $# -gt 1 ] && echo "##################################################################"
  status=0
  build=
  measure "$tree" "$rev" || status=$?
  [ $status -le $failed ] || failed=$status
  [ -n "$build" ] || continue
  builds+=("$build")
  names+=("$(basename "$tree")${rev:+@$rev}")
done

if [ ${#builds[@]} -gt 1 ]; then
  echo
  echo "=== side by side ==="
  files=()
  for b in "${builds[@]}"; do
    [ -f "$b/metrics.tsv" ] || : >"$b/metrics.tsv"  # a tree that did not build: its column stays empty
    files+=("$b/metrics.tsv")
  done
  awk -F'\t' -v names="${names[*]}" '
    BEGIN { for (i = 1; i < ARGC; i++) column[ARGV[i]] = i; trees = ARGC - 1 }
    {
      tree = column[FILENAME]
      key = $1 SUBSEP $2
      if (!(key in seen)) { seen[key] = 1; order[++n] = key }
      value[key, tree] = $3
    }
    END {
      split(names, name, " ")
      printf "%-34s %-32s", "scenario", "measure"
      for (t = 1; t <= trees; t++) printf " %14s", name[t]
      printf "\n"
      for (i = 1; i <= n; i++) {
        split(order[i], part, SUBSEP)
        printf "%-34s %-32s", (part[1] == last ? "" : part[1]), part[2]
        last = part[1]
        for (t = 1; t <= trees; t++) printf " %14s", ((order[i], t) in value ? value[order[i], t] : "-")
        printf "\n"
      }
    }' "${files[@]}"
fi
exit $failed
