#!/bin/sh
# Stops the PostgreSQL cluster that setup-demo.sh --postgres started for the demo:
#   sh demo/stop-demo.sh [BUILD_DIR] [--run DIR]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build
run=$here/run
case "${1:-}" in -*|"") ;; *) build=$1; shift ;; esac
[ "${1:-}" = "--run" ] && [ $# -ge 2 ] && run=$2
state=$run/pg-cluster.state
[ -f "$state" ] || { echo "stop-demo.sh: no demo cluster recorded in $state" >&2; exit 1; }
"$build/tests/db/linkmend_pgcluster" stop "$state"
