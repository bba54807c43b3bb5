#!/bin/sh
# Stops the demo's PostgreSQL cluster started by setup-demo.sh --postgres:  sh demo/stop-demo.sh [BUILD_DIR]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
"$build/tests/db/linkmend_pgcluster" stop "$here/run/pg-cluster.state"
