#!/bin/sh
# What undoing costs: the demo job as a production run of this build (originals file and change report
# written), the restore of that run from its originals file, and, with --baseline, the same production
# run by a build without them, on the same demo database in the same go.
#
#   sh bench/e2e/run-undo.sh [BUILD_DIR] [--bibs N] [--postgres] [--run DIR] [--baseline BUILD_DIR]
#
# Order: a test run (warms the caches, and its change report is timed too), the production run, the
# restore (the database is then as before, with more history rows); then, on a demo database made
# afresh (a first production run over freshly loaded tables costs more than a later one), the
# baseline's test run and production run. The database is made by demo/setup-demo.sh into DIR
# (default BUILD_DIR/bench-undo).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$here/../..
build=$top/build
bibs=100000 postgres="" run="" baseline=""
case "${1:-}" in -*|"") ;; *) build=$(cd "$1" && pwd); shift ;; esac
while [ $# -gt 0 ]; do
  case $1 in
    --bibs) bibs=$2; shift 2 ;;
    --postgres) postgres=--postgres; shift ;;
    --run) run=$2; shift 2 ;;
    --baseline) baseline=$(cd "$2" && pwd); shift 2 ;;
    *) echo "run-undo.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[ -n "$run" ] || run=$build/bench-undo

setup() {
  [ -z "$postgres" ] || sh "$top/demo/stop-demo.sh" "$build" --run "$run" >/dev/null 2>&1 || true
  sh "$top/demo/setup-demo.sh" "$build" --bibs "$bibs" --run "$run" $postgres >/dev/null
}
setup
. "$run/env.sh"
reports=$(sed -n 's/^FolderForReports=//p' "$LINKMEND_PROFILE_DIR/Linkmend.INI")
echo "$(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); $bibs bibs; $( [ -n "$postgres" ] && echo PostgreSQL || echo SQLite)"
newest() { ls -t "$reports"/LINKMEND.*"$1" | head -n 1; }
python3 "$here/measure.py" "test run" "$build/src/app/linkmend" --batch
python3 "$here/measure.py" "production run" "$build/src/app/linkmend" --batch --production
originals=$(newest .Originals.mrc)
echo "  originals: $(wc -c < "$originals") octets, $(wc -l < "${originals%.mrc}.txt") records;" \
  "change report: $(wc -c < "$(newest .Changes.csv)") octets, $(($(wc -l < "$(newest .Changes.csv)") - 1)) rows"
sleep 1  # the restore's files get a stamp of their own
python3 "$here/measure.py" "restore of that run" "$build/src/app/linkmend" --batch --restore "$originals" --production
if [ -n "$baseline" ]; then
  setup
  python3 "$here/measure.py" "baseline test run" "$baseline/src/app/linkmend" --batch
  python3 "$here/measure.py" "baseline production run" "$baseline/src/app/linkmend" --batch --production
fi
echo "load $(cut -d' ' -f1-3 /proc/loadavg)"
[ -z "$postgres" ] || sh "$top/demo/stop-demo.sh" "$build" --run "$run" >/dev/null 2>&1 || true
