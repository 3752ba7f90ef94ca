# Shared by the benchmark scripts, sourced after they set build and runs:
# the build's korvane-cmd, a scratch folder removed at exit (also hfsutils'
# HOME, where it keeps its mounted volume), and the timing helpers.
korvane=$build/bin/korvane-cmd
[ -x "$korvane" ] || { echo "korvane-cmd not found in $build/bin (build it first)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work TZ=UTC

# Best wall-clock time in milliseconds (3 decimals) of running "$@" $runs times.
best_ms() {
  local best=""
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    local ns=$((end - start))
    if [ -z "$best" ] || [ "$ns" -lt "$best" ]; then best=$ns; fi
  done
  awk -v ns="$best" 'BEGIN { printf "%.3f", ns / 1e6 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
