#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, quietly and only
# when something is missing. A package mirror that is mid-sync must not stop
# a fresh machine: a failed `apt-get update` is tried once more and then the
# lists we have are used; what still cannot be installed is named in one line
# with the test stages that therefore cannot run.
#   VELMARO_SKIP_DEPS=1   skips all of this, for machines set up otherwise
set -uo pipefail
[ "${VELMARO_SKIP_DEPS:-}" = 1 ] && exit 0
root=$(cd "$(dirname "$0")/.." && pwd)

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# Package, then the stages that cannot run without it; "optional" where a
# path without it runs the same tests.
table=(
  "cmake                      build"
  "make                       build"
  "g++                        native"
  "googletest                 native"
  "libgtest-dev               native"
  "g++-mingw-w64-i686-win32   build"
  "binutils-mingw-w64-i686    build"
  "g++-mingw-w64-x86-64-win32 wine,e2e"
  "wine                       wine,e2e,run"
  "wine64                     wine,e2e,run"
  "fonts-wine                 e2e"
  "xvfb                       wine,e2e"
  "xauth                      wine,e2e"
  "xdotool                    e2e"
  "x11-utils                  wine,e2e"
  "imagemagick                e2e"
  "fonts-wqy-microhei         e2e"
  "locales                    e2e"
  "faketime                   e2e"
  "clang                      fuzz"
  "libclang-rt-14-dev         fuzz"
  "python3                    build"
  "nsis                       build"
  "fp-utils                   build"
)
# The 32-bit Wine loader only where the kernel runs 32-bit programs; without
# it the Wine tests run the same sources built for 64-bit Windows.
if "$root/tools/runs-32bit.sh"; then
  table+=("wine32:i386                optional" "libfaketime:i386           optional")
fi

# Optional packages the mirror could not deliver are not asked for again for
# six hours, so that every test run does not wait on the same failure.
skipped=$root/build/deps-skipped
recent=""
[ -n "$(find "$skipped" -mmin -360 2>/dev/null)" ] && recent=" $(cat "$skipped") "

need=()
declare -A stages_of
for row in "${table[@]}"; do
  read -r pkg stages <<<"$row"
  stages_of[$pkg]=$stages
  [ "$stages" = optional ] && [[ "$recent" == *" $pkg "* ]] && continue
  have_pkg "$pkg" || need+=("$pkg")
done
[ ${#need[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
apt_quiet() { $SUDO apt-get "$@" -qq -o Dpkg::Use-Pty=0 >/dev/null 2>"$err"; }
err=$(mktemp)
trap 'rm -f "$err"' EXIT

echo "Installing: ${need[*]}" >&2
if [[ " ${need[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
update() {
  apt_quiet update && return 0
  echo "apt-get update failed ($(grep -m1 -E '^(E|W):' "$err" | cut -c1-160)); trying once more" >&2
  sleep 5
  apt_quiet update && return 0
  echo "apt-get update failed again: going on with the package lists we have" >&2
  return 1
}
update

# All at once; where that fails (a package the mirror lacks just now), one by
# one, so every package that can be had is installed.
if ! apt_quiet install -y --no-install-recommends "${need[@]}"; then
  for pkg in "${need[@]}"; do
    have_pkg "$pkg" || apt_quiet install -y --no-install-recommends "$pkg" || true
  done
fi

missing=()
lost=()
for pkg in "${need[@]}"; do
  have_pkg "$pkg" && continue
  missing+=("$pkg")
  [ "${stages_of[$pkg]}" = optional ] && continue
  IFS=, read -ra s <<<"${stages_of[$pkg]}"
  for stage in "${s[@]}"; do [[ " ${lost[*]} " == *" $stage "* ]] || lost+=("$stage"); done
done
[ ${#missing[@]} -eq 0 ] && exit 0
optional=()
for pkg in "${missing[@]}"; do [ "${stages_of[$pkg]}" = optional ] && optional+=("$pkg"); done
if [ ${#optional[@]} -gt 0 ]; then
  mkdir -p "$(dirname "$skipped")"
  echo "${optional[*]}" >"$skipped"
fi
if [ ${#lost[@]} -eq 0 ]; then
  echo "install-deps: could not install ${missing[*]}; the tests take the path without them (64-bit Wine, waiting for the clock)" >&2
  exit 0
fi
echo "install-deps: could not install ${missing[*]}; stages that cannot run: ${lost[*]}" >&2
exit 1
