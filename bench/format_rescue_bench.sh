#!/usr/bin/env bash
# Formats a 1 GB image with korvane-cmd (FORMAT) and with hformat, and
# rescues the files of a 200 MB volume (RESCUE reads the whole medium)
# against cat of the same image, in the same run. Prints the best times and
# the ratios (korvane-cmd / peer).
#   usage: bench/format_rescue_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-3}
source "$root/bench/bench_common.sh"

# The format is one change of the undo journal: it keeps the old contents
# of every sector it writes. Timed with and without the journal.
fresh_1g() { rm -f "$work/HD0_512.hda" "$work/HD0_512.hda.korvane-journal"; truncate -s 1G "$work/HD0_512.hda"; }
korvane_format() { fresh_1g; "$korvane" "$work/HD0_512.hda" --yes -c "FORMAT Bench"; }
korvane_format_no_journal() { fresh_1g; "$korvane" --no-journal "$work/HD0_512.hda" --yes -c "FORMAT Bench"; }
hformat_1g() { rm -f "$work/h.img"; truncate -s 1G "$work/h.img"; hformat -l Bench "$work/h.img" && humount; }

# A 200 MB volume holding 100 files of 1 MB, its pages of random bytes.
truncate -s 200M "$work/rescue.img"
hformat -l Rescue "$work/rescue.img" >/dev/null
mkdir -p "$work/files" "$work/out"
for i in $(seq 100 199); do head -c $((1024 * 1024)) /dev/urandom > "$work/files/f$i.bin"; done
hcopy -r "$work/files"/* : && humount >/dev/null

korvane_rescue() { rm -rf "$work/out"; mkdir "$work/out"; "$korvane" "$work/rescue.img" --pc-dir "$work/out" -c RESCUE; }
cat_image() { cat "$work/rescue.img" > /dev/null; }

# The rescue gives every file back (checked once, outside the timings).
korvane_rescue >/dev/null 2>&1
[ "$(ls "$work/out" | wc -l)" -eq 100 ] || { echo "RESCUE did not give back 100 files" >&2; exit 1; }
cmp "$work/files/f150.bin" "$work/out/f150.bin" || { echo "RESCUE gave back different bytes" >&2; exit 1; }

k_format=$(best_ms korvane_format)
k_format_nj=$(best_ms korvane_format_no_journal)
h_format=$(best_ms hformat_1g)
k_rescue=$(best_ms korvane_rescue)
c_rescue=$(best_ms cat_image)
echo "format 1 GB:    korvane-cmd ${k_format} ms, hformat ${h_format} ms, ratio $(ratio "$k_format" "$h_format")"
echo "  --no-journal: korvane-cmd ${k_format_nj} ms, ratio $(ratio "$k_format_nj" "$h_format")"
echo "rescue 200 MB:  korvane-cmd ${k_rescue} ms, cat ${c_rescue} ms, ratio $(ratio "$k_rescue" "$c_rescue")"
