#!/usr/bin/env bash
# Listing speed of korvane-cmd against hls on the same images, in the same run:
#   1. DIR of one folder of 3000 entries   vs  hls -l of that folder
#   2. every folder of a 400-file volume   vs  hls -R -l of the volume
# Prints the times and their ratios (Korvane / hls). Each measure is the best of
# several runs, so a busy machine disturbs it less.
#   usage: bench/listing_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-5}
source "$root/bench/bench_common.sh"

# Copies count small files named "$prefix N" into an HFS folder in one hcopy run.
fill_folder() {
  local folder=$1 count=$2 prefix=$3 local_dir=$work/files
  rm -rf "$local_dir" && mkdir -p "$local_dir"
  for i in $(seq "$count"); do printf 'file %d\n' "$i" > "$local_dir/$prefix $i"; done
  hcopy -r "$local_dir"/* "$folder"
}

echo "Making the images with hfsutils..."
big=$work/big.hda
dd if=/dev/zero of="$big" bs=1M count=16 status=none
hformat -l "Big folder" "$big" >/dev/null
hmkdir :Big
fill_folder :Big: 3000 Entry
humount

tree=$work/tree.hda
dd if=/dev/zero of="$tree" bs=1M count=8 status=none
hformat -l "Tree" "$tree" >/dev/null
script=$work/walk.txt
printf 'DIR\n' > "$script"
for a in 1 2 3 4; do
  hmkdir ":Folder $a"
  printf 'CD \\\nCD "Folder %d"\nDIR\n' "$a" >> "$script"
  fill_folder ":Folder $a:" 40 "Doc"
  for b in 1 2 3 4 5; do
    hmkdir ":Folder $a:Sub $b"
    printf 'CD \\\nCD "Folder %d"\nCD "Sub %d"\nDIR\n' "$a" "$b" >> "$script"
    fill_folder ":Folder $a:Sub $b:" 12 "Note"
  done
done
humount
files=$(( 4 * 40 + 4 * 5 * 12 ))
folders=$(( 1 + 4 + 4 * 5 ))

echo "Checking that both list the same number of entries..."
k_lines=$("$korvane" "$big" -c "CD Big" -c DIR | grep -c $'\t' || true)
hmount "$big" >/dev/null
h_lines=$(hls -l :Big: | grep -c . || true)
[ "$k_lines" = "$h_lines" ] || echo "warning: korvane-cmd listed $k_lines entries, hls $h_lines" >&2

echo "Timing (best of $runs runs)..."
k_big=$(best_ms "$korvane" "$big" -c "CD Big" -c DIR)
h_big=$(best_ms hls -l :Big:)
humount
hmount "$tree" >/dev/null
k_tree=$(best_ms sh -c "\"$korvane\" \"$tree\" < \"$script\"")
h_tree=$(best_ms hls -R -l :)
humount

printf '\n%-50s %12s %12s %8s\n' "" "korvane-cmd" "hls" "ratio"
printf '%-50s %10s ms %10s ms %8s\n' "DIR of a folder of 3000 entries" "$k_big" "$h_big" "$(ratio "$k_big" "$h_big")"
printf '%-50s %10s ms %10s ms %8s\n' "every folder of a $files-file volume ($folders folders)" "$k_tree" "$h_tree" "$(ratio "$k_tree" "$h_tree")"
echo "(korvane-cmd times include start-up, discovery and the catalog copy; hls reads an already mounted volume)"
