#!/usr/bin/env bash
# Makes COUNT folders in the root of a 100 MB volume and removes them again,
# twice in the same run: through Korvane's write engine (folder_edit_bench,
# a write-back after every change) and with hmkdir / hrmdir of hfsutils (one
# command per folder) on a copy of the same image. Prints both times and the
# ratios (Korvane / hfsutils). Then COUNT MD, COUNT RENAME and COUNT DELETE
# in one korvane-cmd run against hmkdir, hrename and hrmdir (hdel removes
# only files) on a copy of the same volume, and the same run again with
# --no-journal: the difference is what the undo journal costs.
#   usage: bench/folder_edit_bench.sh [BUILD_DIR] [COUNT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
count=${2:-1000}
bench=$build/bin/folder_edit_bench
[ -x "$bench" ] || { echo "folder_edit_bench not found in $build/bin (build it first)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-folder-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work  # hfsutils keeps its mounted-volume state there

truncate -s 100M "$work/korvane.img"
hformat -l Bench "$work/korvane.img" >/dev/null
cp "$work/korvane.img" "$work/hfsutils.img"

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

read -r k_make k_remove < <("$bench" "$work/korvane.img" "$count")

hmount "$work/hfsutils.img" >/dev/null
start=$(now)
for i in $(seq 0 $((count - 1))); do hmkdir ":Folder $i"; done
middle=$(now)
for i in $(seq 0 $((count - 1))); do hrmdir ":Folder $i"; done
end=$(now)
h_make=$(elapsed "$start" "$middle")
h_remove=$(elapsed "$middle" "$end")
left=$(hls -1a : | wc -l)
humount
[ "$left" = 0 ] || echo "warning: hfsutils left $left entries" >&2

printf '\n%-34s %12s %12s %8s\n' "$count folders on a 100 MB volume" "Korvane" "hfsutils" "ratio"
printf '%-34s %10s s %10s s %8s\n' "made (hmkdir)" "$k_make" "$h_make" "$(ratio "$k_make" "$h_make")"
printf '%-34s %10s s %10s s %8s\n' "removed (hrmdir)" "$k_remove" "$h_remove" "$(ratio "$k_remove" "$h_remove")"
echo "(Korvane: engine calls in one process, a write-back after every change; hfsutils: one command per folder)"

# The folder commands as a user runs them: one korvane-cmd run of MD, RENAME
# and DELETE lines, against one hfsutils command per change.
cmd=$build/bin/korvane-cmd
[ -x "$cmd" ] || { echo "korvane-cmd not found in $build/bin (build it first)" >&2; exit 1; }
truncate -s 100M "$work/commands.img"
hformat -l Commands "$work/commands.img" >/dev/null
cp "$work/commands.img" "$work/hfsutils-commands.img"
cp "$work/commands.img" "$work/unjournaled.img"
{
  for i in $(seq 0 $((count - 1))); do echo "MD \"Folder $i\""; done
  for i in $(seq 0 $((count - 1))); do echo "RENAME \"Folder $i\" \"Moved $i\""; done
  for i in $(seq 0 $((count - 1))); do echo "DELETE \"Moved $i\""; done
} >"$work/script.txt"
start=$(now)
"$cmd" "$work/commands.img" <"$work/script.txt" >/dev/null
k_commands=$(elapsed "$start" "$(now)")
start=$(now)
"$cmd" --no-journal "$work/unjournaled.img" <"$work/script.txt" >/dev/null
k_unjournaled=$(elapsed "$start" "$(now)")
hmount "$work/commands.img" >/dev/null
left=$(hls -1a : | wc -l)
[ "$left" = 0 ] || echo "warning: korvane-cmd left $left entries" >&2

hmount "$work/hfsutils-commands.img" >/dev/null
start=$(now)
for i in $(seq 0 $((count - 1))); do hmkdir ":Folder $i"; done
for i in $(seq 0 $((count - 1))); do hrename ":Folder $i" ":Moved $i"; done
for i in $(seq 0 $((count - 1))); do hrmdir ":Moved $i"; done
h_commands=$(elapsed "$start" "$(now)")
humount

printf '\n%-34s %12s %12s %8s\n' "$count MD + RENAME + DELETE" "korvane-cmd" "hfsutils" "ratio"
printf '%-34s %10s s %10s s %8s\n' "one run / one command each" "$k_commands" "$h_commands" "$(ratio "$k_commands" "$h_commands")"
printf '%-34s %10s s %10s s %8s\n' "korvane-cmd --no-journal" "$k_unjournaled" "$h_commands" "$(ratio "$k_unjournaled" "$h_commands")"
