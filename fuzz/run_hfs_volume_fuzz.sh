#!/usr/bin/env bash
# Runs the volume fuzz target for a bounded time from a seed corpus of
# volumes made here by hfsutils (never the shared corpus).
# Usage: run_hfs_volume_fuzz.sh BUILD_DIR [SECONDS]
# KORVANE_FUZZ_TARGET names another target to feed the same seeds (hfs_check_fuzz).
set -euo pipefail
build_dir=$1
seconds=${2:-60}
target=${KORVANE_FUZZ_TARGET:-hfs_volume_fuzz}
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-fuzz-XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work  # hmount keeps its state in HOME
seeds=$work/seeds
mkdir -p "$seeds" "$work/files" "$work/corpus"

volume() {  # volume NAME: a fresh 800K volume, mounted
  truncate -s 800K "$seeds/$1"
  hformat -l "Seed $1" "$seeds/$1" >/dev/null
}

# An empty volume.
volume empty.img

# Folders inside folders, files with accented names and both forks.
volume tree.img
printf 'hello' >"$work/files/hello"
hmkdir ':Docs'
hmkdir ':Docs:Old'
hmkdir $':R\x8esum\x8e'
hcopy -r "$work/files/hello" ':Docs:readme'
hcopy -r "$work/files/hello" $':Docs:Old:\xa7\xca[x]'
hcopy -r /etc/hostname ':host name'

# Index nodes: a few hundred small files.
volume many.img
for i in $(seq 1 300); do printf '%s' "$i" >"$work/files/f$i"; done
hmkdir ':Many'
hcopy -r "$work"/files/f* ':Many:'

# A catalog and a file spread over the extents-overflow tree.
volume frag.img
hcopy -r "$work"/files/f{1..160} ':'
free=$(hvol | sed -n 's/.*has \([0-9]*\) bytes free.*/\1/p')
head -c "${free:-100000}" /dev/zero >"$work/filler" || true
hcopy -r "$work/filler" ':filler' || true
for i in $(seq 1 2 160); do hdel ":f$i"; done
head -c 30000 /dev/urandom >"$work/spread"
hcopy -r "$work/spread" ':spread'
humount >/dev/null 2>&1 || true

log=$work/fuzz.log
if ! "$build_dir/bin/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -artifact_prefix="$build_dir/" -print_final_stats=1 "$work/corpus" "$seeds" >"$log" 2>&1; then
  tail -n 60 "$log"
  echo "$target found a fault; the input is kept in $build_dir/" >&2
  exit 1
fi
grep -E '^(stat::number_of_executed_units|Done)' "$log" || tail -n 3 "$log"
