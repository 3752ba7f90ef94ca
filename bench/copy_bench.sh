#!/usr/bin/env bash
# Copies a 100 MB data fork out of an HFS image three ways in the same run:
# korvane-cmd (COPY /D), hcopy -r, and plain cat of the same bytes. Prints the
# best of three runs of each and the ratios. Needs hfsutils and a built
# korvane-cmd (default: build/bin/korvane-cmd, or $KORVANE_CMD).
set -euo pipefail
cd "$(dirname "$0")/.."
korvane_cmd=${KORVANE_CMD:-$PWD/build/bin/korvane-cmd}
size_mb=${SIZE_MB:-100}
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-copy-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work  # hfsutils keeps its mounted-volume state there

payload=$work/payload.bin
head -c $((size_mb * 1024 * 1024)) /dev/urandom > "$payload"
image=$work/volume.img
truncate -s $(((size_mb + 12) * 1024 * 1024)) "$image"
hformat -l Bench "$image" >/dev/null
hmount "$image" >/dev/null
hcopy -r "$payload" ":Big file"
humount

now() { date +%s.%N; }
best_of_three() {  # prints the fastest of three runs of "$@", in seconds
  local best="" start end t
  for _ in 1 2 3; do
    rm -rf "$work/out" && mkdir "$work/out"
    start=$(now); "$@"; end=$(now)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}

run_korvane() { "$korvane_cmd" "$image" --pc-dir "$work/out" -c "COPY /D \"Big file\"" 2>/dev/null; }
run_hcopy() { hmount "$image" >/dev/null && hcopy -r ":Big file" "$work/out/big" && humount >/dev/null; }
run_cat() { cat "$payload" > "$work/out/big"; }

mkdir -p "$work/out"
run_korvane
cmp "$payload" "$work/out/Big file.txt" || { echo "korvane-cmd copied different bytes" >&2; exit 1; }

korvane=$(best_of_three run_korvane)
hcopy_time=$(best_of_three run_hcopy)
cat_time=$(best_of_three run_cat)
mbps() { awk -v n="$size_mb" -v t="$1" 'BEGIN { printf "%.1f", n / t }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '%-12s %8.3f s %8s MB/s\n' "korvane-cmd" "$korvane" "$(mbps "$korvane")"
printf '%-12s %8.3f s %8s MB/s\n' "hcopy -r" "$hcopy_time" "$(mbps "$hcopy_time")"
printf '%-12s %8.3f s %8s MB/s\n' "cat" "$cat_time" "$(mbps "$cat_time")"
echo "time ratios: korvane-cmd / hcopy -r = $(ratio "$korvane" "$hcopy_time")   korvane-cmd / cat = $(ratio "$korvane" "$cat_time")"
