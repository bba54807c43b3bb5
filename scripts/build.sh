#!/bin/sh
# Configures and builds the project into build/ (release build with debug information): every
# target, or only the targets named (scripts/build.sh linkmend linkmend_sqlite).
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ $# -gt 0 ]; then
  targets=""
  for t in "$@"; do targets="$targets --target $t"; done
  # shellcheck disable=SC2086
  cmake --build build -j"$(nproc)" $targets
else
  cmake --build build -j"$(nproc)"
fi
