#!/bin/sh
# Runs Linkmend headless on the demo that setup-demo.sh made, with the demo's settings (a test run
# unless --production), and prints where the report is and its counter lines:
#
#   sh demo/run-demo.sh [BUILD_DIR] [--run DIR] [--production] [--list-changed]
#
# Progress goes to standard error; the exit status is Linkmend's.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build
run=$here/run
options=""
usage() { sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
case "${1:-}" in -*|"") ;; *) build=$1; shift ;; esac
while [ $# -gt 0 ]; do
  case $1 in
    --run) [ $# -ge 2 ] || { echo "run-demo.sh: --run needs a value" >&2; exit 2; }; run=$2; shift 2 ;;
    --production|--list-changed) options="$options $1"; shift ;;
    -h|--help) usage ;;
    *) echo "run-demo.sh: unknown option $1" >&2; usage ;;
  esac
done
program=$build/src/app/linkmend
[ -x "$program" ] || { echo "run-demo.sh: no $program: build the project first" >&2; exit 1; }
[ -f "$run/env.sh" ] || { echo "run-demo.sh: no demo in $run: run demo/setup-demo.sh first" >&2; exit 1; }
. "$run/env.sh"
status=0
# shellcheck disable=SC2086
out=$("$program" --batch $options) || status=$?
report=$(printf '%s\n' "$out" | tail -n 1)
case $report in
  *.Report.txt)
    echo "Report: $report"
    tr -d '\r' < "$report" | grep -E '^ {0,7}[0-9]+ ' || true ;;
  *) echo "run-demo.sh: Linkmend wrote no report (exit status $status)" >&2 ;;
esac
exit $status
