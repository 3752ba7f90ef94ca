#!/usr/bin/env bash
# Copies PC files onto a fresh 200 MB volume twice in the same run: 1000
# small files (100 B to 8 KB) and one 100 MB file, with korvane-cmd (MCOPY,
# data forks) and with hcopy -r on a copy of the same empty volume. Checks
# that both volumes hold the same bytes, prints the best times and the
# ratios (korvane-cmd / hcopy).
#   usage: bench/mcopy_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-3}
source "$root/bench/bench_common.sh"

small=$work/small
big=$work/big
mkdir -p "$small" "$big"
for i in $(seq 1000 1999); do
  head -c $((100 + (i * 7919) % 8093)) /dev/urandom > "$small/f$i.bin"
done
head -c $((100 * 1024 * 1024)) /dev/urandom > "$big/large.bin"

truncate -s 200M "$work/empty.img"
hformat -l Bench "$work/empty.img" >/dev/null
humount >/dev/null

fresh() { cp "$work/empty.img" "$work/$1.img"; }
korvane_small() { fresh k; "$korvane" "$work/k.img" --pc-dir "$small" -c "MCOPY *"; }
korvane_big() { fresh k; "$korvane" "$work/k.img" --pc-dir "$big" -c "MCOPY large.bin"; }
# The same without the undo journal, which hcopy has no counterpart of.
bare_small() { fresh k; "$korvane" --no-journal "$work/k.img" --pc-dir "$small" -c "MCOPY *"; }
bare_big() { fresh k; "$korvane" --no-journal "$work/k.img" --pc-dir "$big" -c "MCOPY large.bin"; }
hcopy_small() { fresh h; hmount "$work/h.img" && hcopy -r "$small"/* : && humount; }
hcopy_big() { fresh h; hmount "$work/h.img" && hcopy -r "$big/large.bin" : && humount; }

# Both give the same bytes back (checked once, outside the timings).
korvane_big >/dev/null 2>&1
hmount "$work/k.img" >/dev/null && hcopy -r :large.bin "$work/back.bin" && humount >/dev/null
cmp "$big/large.bin" "$work/back.bin" || { echo "korvane-cmd wrote different bytes" >&2; exit 1; }
korvane_small >/dev/null 2>&1
hmount "$work/k.img" >/dev/null && hcopy -r :f1234.bin "$work/back.bin" && humount >/dev/null
cmp "$small/f1234.bin" "$work/back.bin" || { echo "korvane-cmd wrote different bytes" >&2; exit 1; }

k_small=$(best_ms korvane_small)
h_small=$(best_ms hcopy_small)
k_big=$(best_ms korvane_big)
b_small=$(best_ms bare_small)
b_big=$(best_ms bare_big)
h_big=$(best_ms hcopy_big)
printf '%-28s %10s ms %10s ms   ratio %s\n' "1000 small files" "$k_small" "$h_small" "$(ratio "$k_small" "$h_small")"
printf '%-28s %10s ms %10s ms   ratio %s\n' "one 100 MB file" "$k_big" "$h_big" "$(ratio "$k_big" "$h_big")"
printf '%-28s %10s ms %10s ms   ratio %s\n' "1000 small, --no-journal" "$b_small" "$h_small" "$(ratio "$b_small" "$h_small")"
printf '%-28s %10s ms %10s ms   ratio %s\n' "100 MB, --no-journal" "$b_big" "$h_big" "$(ratio "$b_big" "$h_big")"
echo "(korvane-cmd MCOPY with and without its undo journal, then hcopy -r; ratio = korvane-cmd / hcopy)"
