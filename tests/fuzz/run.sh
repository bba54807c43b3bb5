#!/bin/sh
# Builds the fuzzing tree (clang, libFuzzer, ASan + UBSan; build-fuzz/ or $LINKMEND_FUZZ_BUILD) and
# runs each fuzz target for SECONDS (default 30) on a scratch corpus that starts from the target's
# seeds and regression inputs and, when the shared data folder is there, inputs cut from the real
# MARC files. Prints the executions each target reached. A crash, leak, timeout, sanitizer report
# or failed property stops that target, keeps the input in build-fuzz/crashes/TARGET/ and makes the
# script fail (after the other targets have run).
#   tests/fuzz/run.sh [SECONDS] [TARGET...]      for hours: tests/fuzz/run.sh 14400
# LINKMEND_FUZZ_SEED fixes libFuzzer's random seed (CI's runs then walk the same inputs each time).
# LINKMEND_FUZZ_PROPERTIES_WARN=1 reports a failed property without failing the script (crashes,
# uncaught exceptions and sanitizer reports still fail it): CI's setting, so that a new finding is
# fixed in a change of its own rather than failing an unrelated one.
# Targets: record file marc8_to_utf8 utf8_to_marc8 ini. The corpus (build-fuzz/corpus/TARGET) is
# kept between runs, so a long run can be continued.
set -eu
cd "$(dirname "$0")/../.."
seconds=${1:-30}
if [ $# -gt 0 ]; then shift; fi
all="record file marc8_to_utf8 utf8_to_marc8 ini"
targets=${*:-$all}
build=${LINKMEND_FUZZ_BUILD:-build-fuzz}
real=${LINKMEND_SHARED_DATA_DIR:-../shared/data}/real-marc
for t in $targets; do
  case " $all " in *" $t "*) ;; *) echo "run.sh: no fuzz target '$t' (targets: $all)" >&2; exit 2 ;; esac
done

# A tree configured with another compiler is configured afresh (CMake would drop the options).
if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang++-14$' "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
launcher=""
if command -v ccache >/dev/null 2>&1; then
  launcher="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
fi
# shellcheck disable=SC2086
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DLINKMEND_FUZZ=ON -DLINKMEND_WERROR=ON $launcher >/dev/null
grep -q '^LINKMEND_FUZZ:BOOL=ON$' "$build/CMakeCache.txt" || { echo "run.sh: $build is no fuzzing tree" >&2; exit 2; }
# shellcheck disable=SC2046
nice cmake --build "$build" -j"${LINKMEND_FUZZ_JOBS:-2}" --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)

export UBSAN_OPTIONS=print_stacktrace=1
failed=""
findings=""
for t in $targets; do
  corpus=$build/corpus/$t
  crashes=$build/crashes/$t
  log=$build/fuzz-$t.log
  mkdir -p "$corpus" "$crashes"
  for folder in tests/fuzz/seeds/$t tests/fuzz/regressions/$t; do
    if [ -d "$folder" ]; then cp "$folder"/* "$corpus"/ 2>/dev/null || true; fi
  done
  if [ "$t" != ini ] && [ -d "$real" ]; then python3 tests/fuzz/seeds.py real "$t" "$real" "$corpus" >/dev/null; fi
  case $t in
    record) options="-max_len=20000 -dict=tests/fuzz/marc.dict" ;;
    file) options="-max_len=16384 -dict=tests/fuzz/marc.dict" ;;
    ini) options="-max_len=4096 -dict=tests/fuzz/ini.dict" ;;
    *) options="-max_len=4096 -dict=tests/fuzz/marc.dict" ;;
  esac
  # shellcheck disable=SC2086
  if nice "$build/tests/fuzz/fuzz_$t" $options -max_total_time="$seconds" -seed="${LINKMEND_FUZZ_SEED:-0}" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" >"$log" 2>&1; then
    status="no crash"
  elif [ "${LINKMEND_FUZZ_PROPERTIES_WARN:-0}" = 1 ] && grep -q "property failed" "$log" &&
      ! grep -qE "ERROR: [A-Za-z]*Sanitizer|runtime error:|terminate called" "$log"; then
    status="property finding (log: $log)"
    findings="$findings $t"
  else
    status="FAILED (log: $log)"
    failed="$failed $t"
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  printf '%-14s %7s s %12s executions  %s\n' "$t" "$seconds" "${executions:-?}" "$status"
  if [ "$status" != "no crash" ]; then
    grep -E "ERROR|property failed|SUMMARY|Test unit written" "$log" | head -n 8 >&2 || true
  fi
done
if [ -n "$findings" ]; then
  echo "Properties failed, reported only (LINKMEND_FUZZ_PROPERTIES_WARN=1):$findings (inputs in $build/crashes/)" >&2
fi
if [ -n "$failed" ]; then
  echo "Fuzzing found faults in:$failed (inputs in $build/crashes/)" >&2
  exit 1
fi
