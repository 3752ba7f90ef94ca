#!/usr/bin/env bash
# Sets everything up and opens Korvane. Without a display, says so and lists
# the volume with the console front end instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/korvane "$@"
fi
echo "No display found: listing with korvane-cmd instead of opening the window."
exec build/bin/korvane-cmd "$@" -c DIR
