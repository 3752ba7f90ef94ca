#!/usr/bin/env bash
# Opening and listing a floppy kept as a DiskCopy 4.2 image, next to the same
# volume as a raw image, in the same run: korvane-cmd IMAGE -c DIR, and a walk
# through every folder. Prints the best of several runs of each and the ratio.
#   usage: bench/disk_copy_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-9}
source "$root/bench/bench_common.sh"

# Four big-endian bytes of a number, as printf escapes.
be32() { printf '\\%03o\\%03o\\%03o\\%03o' $(($1 >> 24 & 255)) $(($1 >> 16 & 255)) $(($1 >> 8 & 255)) $(($1 & 255)); }

# DiskCopy's data checksum: add each big-endian 16-bit word, rotate right by one bit.
data_checksum() {
  od -An -v -tu1 "$1" | awk '{ for (i = 1; i <= NF; ++i) b[n++] = $i }
    END { s = 0; for (i = 0; i < n; i += 2) { s = (s + b[i] * 256 + b[i + 1]) % 4294967296
          s = int(s / 2) + (s % 2) * 2147483648 } printf "%.0f", s }'
}

# A DiskCopy 4.2 image of a raw 1440K volume: name, sizes, checksums, disk format 3, format byte 0x22, 0x0100.
make_disk_copy() {
  local raw=$1 out=$2 name="Bench floppy" size
  size=$(stat -c %s "$raw")
  {
    printf "$(printf '\\%03o' "${#name}")%s" "$name"
    head -c $((63 - ${#name})) /dev/zero
    printf "$(be32 "$size")$(be32 0)$(be32 "$(data_checksum "$raw")")$(be32 0)"'\003\042\001\000'
    cat "$raw"
  } > "$out"
}

echo "Making a 1440K floppy with hfsutils..."
raw=$work/floppy.hda
dd if=/dev/zero of="$raw" bs=1k count=1440 status=none
hformat -l "Bench floppy" "$raw" >/dev/null
script=$work/walk.txt
printf 'DIR\n' > "$script"
mkdir "$work/files"
for f in 1 2 3 4 5 6; do
  hmkdir ":Folder $f"
  printf 'CD \\\nCD "Folder %d"\nDIR\n' "$f" >> "$script"
  rm -f "$work/files"/*
  for i in $(seq 20); do head -c $((i * 400)) /dev/zero > "$work/files/Doc $i"; done
  hcopy -r "$work/files"/* ":Folder $f:"
done
humount
image=$work/floppy.image
make_disk_copy "$raw" "$image"

echo "Checking that both list the same..."
"$korvane" "$raw" < "$script" > "$work/raw.out"
"$korvane" "$image" < "$script" > "$work/image.out"
cmp -s "$work/raw.out" "$work/image.out" || echo "warning: the two listings differ" >&2

echo "Timing (best of $runs runs)..."
r_dir=$(best_ms "$korvane" "$raw" -c DIR)
d_dir=$(best_ms "$korvane" "$image" -c DIR)
r_walk=$(best_ms sh -c "\"$korvane\" \"$raw\" < \"$script\"")
d_walk=$(best_ms sh -c "\"$korvane\" \"$image\" < \"$script\"")

printf '\n%-40s %12s %14s %8s\n' "1440K floppy, 120 files" "raw" "DiskCopy 4.2" "ratio"
printf '%-40s %9s ms %11s ms %8s\n' "open and DIR of the root" "$r_dir" "$d_dir" "$(ratio "$d_dir" "$r_dir")"
printf '%-40s %9s ms %11s ms %8s\n' "open and DIR of all 7 folders" "$r_walk" "$d_walk" "$(ratio "$d_walk" "$r_walk")"
echo "(each time is a whole korvane-cmd run: start-up, discovery, the catalog copy and the listing)"
