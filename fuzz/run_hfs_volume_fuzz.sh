#!/usr/bin/env bash
# Runs a fuzz target for a bounded time from a seed corpus made here: volumes
# made by hfsutils, media with partition maps, and the images of the shared
# corpus when it is there (copied into the run's own folder); for the targets
# of other inputs, MacBinary files that hcopy writes from those volumes,
# a VLCREAT.DAT, command lines, and the volumes followed by a script.
# Usage: run_hfs_volume_fuzz.sh BUILD_DIR [SECONDS]
# KORVANE_FUZZ_TARGET names the target (default hfs_volume_fuzz; also
# hfs_check_fuzz, hfs_write_fuzz, macbinary_fuzz, type_database_fuzz,
# command_line_fuzz, partition_map_fuzz, undo_journal_fuzz, rescue_scan_fuzz).
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

# The same volumes behind an Apple partition map (two HFS partitions) and the
# older "TS" map.
python3 - "$seeds" <<'PY'
import struct, sys
seeds = sys.argv[1]
tree = open(f"{seeds}/tree.img", "rb").read()
many = open(f"{seeds}/many.img", "rb").read()
def entry(count, start, blocks, name, kind):
    e = b"PM" + b"\0\0" + struct.pack(">III", count, start, blocks)
    e += name.ljust(32, b"\0") + kind.ljust(32, b"\0")
    return e.ljust(512, b"\0")
medium = bytearray(64 * 512 + len(tree) + len(many))
medium[0:8] = b"ER" + struct.pack(">HI", 512, len(medium) // 512)
parts = [(1, 63, b"Apple", b"Apple_partition_map"), (64, len(tree) // 512, b"Tree", b"Apple_HFS"),
         (64 + len(tree) // 512, len(many) // 512, b"Many", b"Apple_HFS")]
for k, (start, blocks, name, kind) in enumerate(parts, 1):
    medium[k * 512:(k + 1) * 512] = entry(len(parts), start, blocks, name, kind)
medium[64 * 512:64 * 512 + len(tree)] = tree
medium[64 * 512 + len(tree):] = many
open(f"{seeds}/apm.hda", "wb").write(medium)
ts = bytearray(40 * 512 + len(tree))
ts[0:8] = b"ER" + struct.pack(">HI", 512, len(ts) // 512)
ts[512:518] = b"TS" + struct.pack(">I", 40)
ts[40 * 512:] = tree
open(f"{seeds}/ts.hda", "wb").write(ts)
PY

corpus=${KORVANE_CORPUS_DIR:-$(dirname "$0")/../../shared/corpus}
for image in "$corpus"/*.img "$corpus"/*.dsk "$corpus"/*.iso; do
  [ -f "$image" ] && cp "$image" "$seeds/"
done

# The seeds of the targets that read something else than a medium.
other=$work/other-seeds
mkdir -p "$other"
case $target in
macbinary_fuzz)
  hmount "$seeds/tree.img" >/dev/null
  hcopy -m ':Docs:readme' "$other/readme.bin"
  hcopy -m ':host name' "$other/host.bin"
  hmount "$seeds/frag.img" >/dev/null
  hcopy -m ':spread' "$other/spread.bin"
  humount >/dev/null 2>&1 || true
  seeds=$other ;;
type_database_fuzz)
  printf '# extension, then type and creator\nTXT "TEXTttxt"\nPCT PICT8BIM\n  doc "WDBNMSWD"\nGIF\n' >"$other/VLCREAT.DAT"
  seeds=$other ;;
command_line_fuzz)
  for line in 'DIR /E *.txt' 'CD "Old letters"' 'COPY a* /B /F' 'RENAME ab* xy*' \
      'ATTRIB Memo "type=TEXT,creator=ttxt,created=1996-05-04 12:00"' 'CD ..' 'd /s'; do
    printf '%s' "$line" >"$other/$(printf '%s' "$line" | md5sum | cut -c1-8)"
  done
  seeds=$other ;;
partition_map_fuzz)
  head -c 65536 "$seeds/apm.hda" >"$other/apm"
  head -c 65536 "$seeds/ts.hda" >"$other/ts"
  head -c 65536 "$seeds/tree.img" >"$other/bare"
  seeds=$other ;;
undo_journal_fuzz)
  # Journals of real changes, made by korvane-cmd of the plain build.
  cp "$seeds/tree.img" "$other/volume.img"
  "${KORVANE_CMD:-build/bin/korvane-cmd}" "$other/volume.img" -c "MD Fresh" -c "RENAME Fresh Renamed" >/dev/null
  mv "$other/volume.img.korvane-journal" "$other/journal"
  rm -f "$other/volume.img"
  seeds=$other ;;
hfs_write_fuzz)
  # The last 16 bytes are the script of changes.
  for image in "$seeds"/*; do
    { cat "$image"; printf '\x00\x09\x01\x12\x13\x0c\x0d\x0e\x1a\x23\x2b\x33\x04\x05\x17\x07'; } \
      >"$other/$(basename "$image")"
  done
  seeds=$other ;;
esac

log=$work/fuzz.log
# The target's scratch image, fork and copy folder go with the run's folder.
export TMPDIR=$work
if ! "$build_dir/bin/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -artifact_prefix="$build_dir/" -print_final_stats=1 "$work/corpus" "$seeds" >"$log" 2>&1; then
  tail -n 60 "$log"
  echo "$target found a fault; the input is kept in $build_dir/" >&2
  exit 1
fi
grep -E '^(stat::number_of_executed_units|Done)' "$log" || tail -n 3 "$log"
