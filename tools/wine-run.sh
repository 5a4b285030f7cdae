#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix (the emulator
# that ctest uses for the cross-built tests).
set -uo pipefail
"$(dirname "$0")/wine-prefix.sh" || exit 1
source "$(dirname "$0")/wine-env.sh"
# Wine's own helper processes (the desktop, services) outlive the program and
# would keep ctest's pipes open until its time-out: they get a file instead,
# which is passed on once the program has ended.
out=$(mktemp "$TMPDIR/output.XXXXXX")
wine "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit $status
