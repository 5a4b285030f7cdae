#!/usr/bin/env bash
# The soak run: the end-to-end build with 1 000 stored tasks for MINUTES
# minutes (default 10) under Wine in its own prefix, on a private Xvfb when
# there is no display. Besides the driver's own samples, the Linux side of
# the program's process is read from /proc at start and end.
#   tools/soak.sh [MINUTES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=${1:-10}
export WINEPREFIX=$root/build/wine/soak
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
has_display || start_xvfb
on_exit wine_end
"$root/tools/wine-prefix.sh"
"$root/tools/wine-build.sh"
cd "$VELMARO_WINE_BUILD"

rss() {  # resident and private memory of the program's Linux process, in KB
  local pid
  pid=$(pgrep -f 'VelmaroE2E.exe' | head -n 1) || true
  [ -n "$pid" ] || return 0
  awk '/^VmRSS/ {rss = $2} END {printf "%s", rss}' "/proc/$pid/status"
  awk '/^Private_(Clean|Dirty)/ {sum += $2} END {printf " %s\n", sum}' "/proc/$pid/smaps_rollup"
}

wine velmaro_soak.exe "$minutes" | tr -d '\r' | tee "$root/build/soak.log" &
driver=$!
sleep 20
read -r rss_start private_start < <(rss)
sleep $((minutes * 60 - 15))
read -r rss_end private_end < <(rss)
wait $driver
status=$?
wine_end
echo "soak linux_rss_start ${rss_start:-?} KB"
echo "soak linux_rss_end ${rss_end:-?} KB"
echo "soak linux_private_start ${private_start:-?} KB"
echo "soak linux_private_end ${private_end:-?} KB"
exit $status
