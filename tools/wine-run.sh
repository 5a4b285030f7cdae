#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix (the emulator
# that ctest uses for the cross-built tests).
set -euo pipefail
"$(dirname "$0")/wine-prefix.sh"
source "$(dirname "$0")/wine-env.sh"
exec wine "$@"
