#!/usr/bin/env bash
# Sets everything up and opens Korvane on the demo volume (made with hfsutils
# the first time). Without a display, says so and lists the volume with the
# console front end instead. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
demo=build/demo/korvane-demo.hda
if [ ! -f "$demo" ]; then
  mkdir -p build/demo
  bash scripts/make-demo-volume.sh "$demo"
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  # /A00: the demo image is the only drive, target 0 of adapter 0.
  exec build/bin/korvane /A00 "$demo" "$@"
fi
echo "No display found: listing the demo volume with korvane-cmd instead of opening the window."
exec build/bin/korvane-cmd "$demo" "$@" -c DIR
