#!/usr/bin/env bash
# Fails when a file is larger than a limit in bytes; prints its size either way.
#   tools/check-size.sh FILE LIMIT
set -euo pipefail
size=$(stat -c %s "$1")
echo "$(basename "$1"): $size bytes (limit $2)"
[ "$size" -le "$2" ]
