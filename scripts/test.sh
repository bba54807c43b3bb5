#!/bin/sh
# README command 2 (and CI): install the packages, then build and run the whole test suite twice:
# a warnings-as-errors build with every test, and the core under AddressSanitizer + UBSan; then run
# each fuzz target for 30 seconds.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-packages.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# Database tests must not skip here: PostgreSQL is installed, so a skip is a failure.
export LINKMEND_REQUIRE_POSTGRES=1
# Nor may tests that need the shared data (../shared/data) or the test oracles (yaz, MARC::Record).
export LINKMEND_REQUIRE_SHARED_DATA=1

# ccache makes recompiling an unchanged file free; its keys use paths relative to this checkout, so
# clones in other folders share one cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 CCACHE_DIR="${CCACHE_DIR:-${HOME:-/root}/.cache/ccache}"
launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"

# shellcheck disable=SC2086
cmake -S . -B build-ci -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLINKMEND_WERROR=ON -DLINKMEND_BUILD_BENCH=OFF $launcher
cmake --build build-ci -j"$jobs"
ctest --test-dir build-ci --output-on-failure -j"$jobs"

# shellcheck disable=SC2086
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DLINKMEND_WERROR=ON -DLINKMEND_SANITIZE=ON \
  -DLINKMEND_BUILD_UI=OFF -DLINKMEND_BUILD_BENCH=OFF $launcher
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

# Every fuzz target for 30 seconds (clang, libFuzzer, ASan + UBSan, in build-fuzz); a crash, leak,
# hang or sanitizer report fails the run; a failed property is reported with its input kept, for
# a change of its own (the replayed regression inputs above fail on any property).
LINKMEND_FUZZ_JOBS=$jobs LINKMEND_FUZZ_SEED=8560 LINKMEND_FUZZ_PROPERTIES_WARN=1 sh tests/fuzz/run.sh 30
echo "All tests passed."
