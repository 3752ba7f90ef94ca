#!/usr/bin/env bash
# Sets everything up, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
(cd build && ctest --output-on-failure -j2) | tee "$summary"

# The volume reader under libFuzzer with AddressSanitizer and UBSan, for a
# bounded time, from volumes made by hfsutils.
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKORVANE_FUZZ=ON -DKORVANE_GUI=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all" >/dev/null
cmake --build build-fuzz --target hfs_volume_fuzz
bash fuzz/run_hfs_volume_fuzz.sh build-fuzz "${KORVANE_FUZZ_SECONDS:-60}"

# CHECK under the same sanitizers, from the same volumes.
cmake --build build-fuzz --target hfs_check_fuzz
KORVANE_FUZZ_TARGET=hfs_check_fuzz bash fuzz/run_hfs_volume_fuzz.sh build-fuzz "${KORVANE_FUZZ_SECONDS:-60}"

# The test count again, last, so that it closes the run's output.
grep -E '^[0-9]+% tests passed' "$summary"
