#!/usr/bin/env bash
# Runs a command with an X display: the current one if there is one,
# otherwise a private Xvfb that ends with the command.
set -euo pipefail
source "$(dirname "$0")/xvfb.sh"
has_display && exec "$@"
start_xvfb
"$@"
