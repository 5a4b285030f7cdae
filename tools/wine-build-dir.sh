#!/usr/bin/env bash
# Prints the Windows build tree whose programs Wine runs on this machine.
source "$(dirname "$0")/wine-env.sh"
echo "$VELMARO_WINE_BUILD"
