#!/usr/bin/env bash
# Time of CHECK on a volume of 10000 files (97 bytes to 9.7 KB) in 100
# folders, 64 MB. Prints the best of several runs of
#   korvane-cmd IMAGE -c CHECK   against   korvane-cmd IMAGE -c DIR
# (which opens the same volume and lists the root), so the difference is the
# check itself.
#   usage: bench/check_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-5}
source "$root/bench/bench_common.sh"

image=$work/volume.img
truncate -s 64M "$image"
hformat -l Bench "$image" >/dev/null
mkdir "$work/files"
for i in $(seq 1 100); do head -c $((i * 97)) /dev/zero > "$work/files/f$i"; done
for d in $(seq 1 100); do
  hmkdir ":Folder $d"
  hcopy -r "$work"/files/f* ":Folder $d:"
done
humount >/dev/null


"$korvane" "$image" -c CHECK | tail -n 1
check=$(best_ms "$korvane" "$image" -c CHECK)
open=$(best_ms "$korvane" "$image" -c DIR)
echo "CHECK of 10000 files in 100 folders: ${check} ms (opening and listing alone: ${open} ms)"
