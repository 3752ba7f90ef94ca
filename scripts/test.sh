#!/usr/bin/env bash
# Sets everything up, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
(cd build && ctest --output-on-failure -j2) | tee "$summary"

# The engine and console tests again under AddressSanitizer and UBSan, so that
# a stray write into a node buffer fails a test instead of a user's disk.
# (GCC's flow analysis under the sanitizers takes std::regex's own members for
# maybe uninitialized; that warning is left to the plain build.)
cmake -S . -B build-asan -G Ninja -DKORVANE_GUI=OFF -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_CXX_FLAGS=-O1 -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -Wno-maybe-uninitialized" >/dev/null
cmake --build build-asan
(cd build-asan && ctest --output-on-failure -j2) | tee -a "$summary"

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

# Changes applied to mutated volumes, then the readers of the other inputs
# (the undo journal's seeds come from korvane-cmd of the plain build):
# a minute for the first, twenty seconds each for the small parsers.
for target in hfs_write_fuzz macbinary_fuzz type_database_fuzz command_line_fuzz partition_map_fuzz undo_journal_fuzz rescue_scan_fuzz; do
  cmake --build build-fuzz --target "$target"
  if [ "$target" = hfs_write_fuzz ]; then default=60; else default=20; fi
  KORVANE_FUZZ_TARGET=$target bash fuzz/run_hfs_volume_fuzz.sh build-fuzz "${KORVANE_FUZZ_SECONDS:-$default}"
done

# The test counts again (plain build, then sanitizers), last, so that they
# close the run's output.
grep -E '^[0-9]+% tests passed' "$summary"
