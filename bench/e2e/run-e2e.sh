#!/bin/sh
# End-to-end benchmark: the demo job (a test run, then a production run) over a demo database of
# N bibliographic records of which 20% carry the old stem, beside the Perl DBI + MARC::Record peer
# (../shared/bench-peers/e2e.pl) on the same database in the same run.
#
#   sh bench/e2e/run-e2e.sh [BUILD_DIR] [--bibs N] [--postgres [--no-flush]] [--latency MS] [--run DIR]
#
# The database is made by demo/setup-demo.sh into DIR (default BUILD_DIR/bench-e2e; --postgres: a
# throwaway PostgreSQL cluster, stopped at the end). Needs libdbd-sqlite3-perl (and libdbd-pg-perl for
# PostgreSQL) for the peer; they are installed when missing. --latency MS (PostgreSQL only) puts
# bench/e2e/latency_proxy.cpp between the server and both Linkmend and the peer, delaying each
# direction by MS milliseconds (0: the proxy alone, without delay). On SQLite it ends with the floor of
# the database (bench/e2e/sqlite_floor.cpp): the production run's writes, one transaction a record,
# made straight through the SQLite library on a copy of the database as it was before the runs. On
# PostgreSQL the demo's cluster flushes every commit to the disk, so a production run (one commit a
# record) can go no faster than the disk flushes: the script prints the disk's rate of flushes
# (pg_test_fsync, one 8 kB write and fdatasync) beside it. --no-flush turns synchronous_commit off in
# the cluster before the runs, to show what the runs take when commits do not wait for the disk.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$here/../..
build=$top/build
bibs=100000 postgres="" run="" latency="" noflush=""
case "${1:-}" in -*|"") ;; *) build=$(cd "$1" && pwd); shift ;; esac
while [ $# -gt 0 ]; do
  case $1 in
    --bibs) bibs=$2; shift 2 ;;
    --postgres) postgres=--postgres; shift ;;
    --no-flush) noflush=yes; shift ;;
    --latency) latency=$2; shift 2 ;;
    --run) run=$2; shift 2 ;;
    *) echo "run-e2e.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[ -n "$run" ] || run=$build/bench-e2e
[ -z "$latency$noflush" ] || [ -n "$postgres" ] || { echo "run-e2e.sh: --latency and --no-flush need --postgres" >&2; exit 2; }
peer=$top/../shared/bench-peers/e2e.pl
for pkg in libdbd-sqlite3-perl libdbd-pg-perl; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$pkg" >/dev/null
done

sh "$top/demo/setup-demo.sh" "$build" --bibs "$bibs" --run "$run" $postgres >/dev/null
. "$run/env.sh"
# The scratch work list goes to the run folder, away from any other run on the machine.
export TMPDIR="$run"
stems=$(python3 -c 'import json,sys; s=json.load(open(sys.argv[1])); print(s["old_stem"]); print(s["new_stem"])' "$run/demo-summary.json")
old=$(printf '%s\n' "$stems" | sed -n 1p)
new=$(printf '%s\n' "$stems" | sed -n 2p)
if [ -n "$postgres" ]; then
  host=$(sed -n 's/^Servername = //p' "$run/odbc.ini" | head -n 1)
  port=$(sed -n 's/^Port = //p' "$run/odbc.ini" | head -n 1)
  db=$(sed -n 's/^Database = //p' "$run/odbc.ini" | head -n 1)
  bindir=$(sed -n 's/^bindir=//p' "$run/pg-cluster.state")
  if [ -n "$noflush" ]; then
    "$bindir/psql" -X -q -h "$(sed -n 's/^folder=//p' "$run/pg-cluster.state")" -p "$port" -U postgres -d postgres \
      -c "ALTER SYSTEM SET synchronous_commit = off" -c "SELECT pg_reload_conf()" >/dev/null
  fi
  if [ -n "$latency" ]; then
    # Both data sources and the peer reach the server through the proxy.
    c++ -O2 -pthread -o "$run/latency_proxy" "$here/latency_proxy.cpp"
    proxy_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    "$run/latency_proxy" "$proxy_port" "$port" "$latency" 7200 &
    proxy=$!
    trap 'kill $proxy 2>/dev/null || true' EXIT
    sed -i "s/^Port = .*/Port = $proxy_port/" "$run/odbc.ini"
    port=$proxy_port
  fi
  dsn="dbi:Pg:dbname=$db;host=$host;port=$port;user=linkmend_reader;password=linkmend-reader-secret"
  prefix=linkmend_db.
else
  dsn="dbi:SQLite:dbname=$run/linkmend-demo.db"
  prefix=main.
fi

echo "$(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores; $bibs bibs; $( [ -n "$postgres" ] && echo PostgreSQL || echo SQLite)${latency:+, through the proxy with $latency ms each way}; load $(cut -d' ' -f1-3 /proc/loadavg)"
[ -n "$postgres" ] || cp "$run/linkmend-demo.db" "$run/floor.db"
[ -z "$postgres" ] || [ -n "$noflush" ] ||
  echo "disk flushes (pg_test_fsync, 8 kB write + fdatasync): $("$bindir/pg_test_fsync" -s 2 -f "$run/pg_test_fsync.tmp" |
    sed -n 's/^ *fdatasync *\([0-9.]*\) ops\/sec.*/\1/p' | head -n 1)/s"
python3 "$here/measure.py" "linkmend test run" "$build/src/app/linkmend" --batch
python3 "$here/measure.py" "e2e.pl (peer, test run)" perl "$peer" "$dsn" "$prefix" "$old" "$new" "$run/peer-out.txt"
python3 "$here/measure.py" "linkmend production run" "$build/src/app/linkmend" --batch --production
python3 "$here/measure.py" "linkmend second production run" "$build/src/app/linkmend" --batch --production
if [ -z "$postgres" ]; then
  c++ -O2 -std=c++20 -o "$run/sqlite_floor" "$here/sqlite_floor.cpp" -lsqlite3
  originals=$(ls -S "$run"/reports/*.Originals.txt | head -n 1)  # the first production run's: the longest
  printf 'write floor (SQLite library, same transactions): '
  "$run/sqlite_floor" "$run/floor.db" "$originals" "$old" "$new"
  rm -f "$run/floor.db" "$run/floor.db-wal" "$run/floor.db-shm"
fi
[ -z "$postgres" ] || sh "$top/demo/stop-demo.sh" "$build" --run "$run" >/dev/null 2>&1 || true
