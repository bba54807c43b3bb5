#!/bin/sh
# Creates the demo Voyager database and everything Linkmend needs to run on it, in one folder
# (default demo/run/, never /etc or ~/.config):
#
#   sh demo/setup-demo.sh [BUILD_DIR] [options]
#
#   BUILD_DIR            a build of the project (default: build); SQLite needs its
#                        src/odbc/sqlite/linkmend_sqlite.so, --postgres its tests/db/linkmend_pgcluster
#   --bibs N             bibliographic records (default 2000, at most 1000000)
#   --seed S             the generator's seed (default 1): the same seed gives the same database
#   --matching PERCENT   share of the bibliographic records with the old proxy stem (default 20)
#   --run DIR            the folder to write (default demo/run); an earlier demo there is replaced
#   --postgres           the database on PostgreSQL: a throwaway cluster of the demo's own
#                        (stop it with demo/stop-demo.sh), or with --pg-cluster a running one
#   --pg-cluster FILE    the state file of a running test cluster (build/tests/db/pg-cluster.state)
#   --pg-database NAME   the PostgreSQL database to create (default linkmend_demo)
#
# Then:  . demo/run/env.sh   and run Linkmend.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tools=$here/../tools/demo
build=$here/../build
run=$here/run
bibs=2000 seed=1 matching=20 postgres=no cluster_state="" pg_database=linkmend_demo
usage() { sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
need() { [ $# -ge 2 ] || { echo "setup-demo.sh: $1 needs a value" >&2; exit 2; }; }
case "${1:-}" in -*|"") ;; *) build=$1; shift ;; esac
while [ $# -gt 0 ]; do
  case $1 in
    --bibs) need "$@"; bibs=$2; shift 2 ;;
    --seed) need "$@"; seed=$2; shift 2 ;;
    --matching) need "$@"; matching=$2; shift 2 ;;
    --run) need "$@"; run=$2; shift 2 ;;
    --postgres) postgres=yes; shift ;;
    --pg-cluster) need "$@"; postgres=yes; cluster_state=$2; shift 2 ;;
    --pg-database) need "$@"; pg_database=$2; shift 2 ;;
    -h|--help) usage ;;
    *) echo "setup-demo.sh: unknown option $1" >&2; usage ;;
  esac
done
case $pg_database in *[!a-z0-9_]*|"") echo "setup-demo.sh: --pg-database takes lower-case letters, digits and _" >&2; exit 2 ;; esac
[ -d "$build" ] || { echo "setup-demo.sh: no build folder $build: build the project first" >&2; exit 1; }
build=$(cd "$build" && pwd)
mkdir -p "$run"
run=$(cd "$run" && pwd)
summary=$run/demo-summary.json

if [ "$postgres" = no ]; then
  ext=$build/src/odbc/sqlite/linkmend_sqlite.so
  [ -f "$ext" ] || { echo "setup-demo.sh: no $ext: build the project first" >&2; exit 1; }
  driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so
  [ -f "$driver" ] || driver=$(find /usr/lib /usr/local/lib -name libsqlite3odbc.so 2>/dev/null | head -n 1)
  [ -f "$driver" ] || { echo "setup-demo.sh: the SQLite ODBC driver (libsqliteodbc) is not installed" >&2; exit 1; }
  db=$run/linkmend-demo.db
  python3 "$tools/generate.py" --sqlite "$db" --replace --bibs "$bibs" --seed "$seed" --matching "$matching" \
    --summary "$summary"
  python3 "$tools/configure.py" --run "$run" --sqlite "$db" --extension "$ext" --sqlite-driver "$driver"
  where="SQLite file $db (data sources LinkmendDemo, read-write, and LinkmendDemoRO, read-only)"
else
  driver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so
  [ -f "$driver" ] || driver=$(find /usr/lib /usr/local/lib -name psqlodbca.so 2>/dev/null | head -n 1)
  [ -f "$driver" ] || { echo "setup-demo.sh: the PostgreSQL ODBC driver (odbc-postgresql) is not installed" >&2; exit 1; }
  if [ -z "$cluster_state" ]; then
    cluster_state=$run/pg-cluster.state
    "$build/tests/db/linkmend_pgcluster" start "$cluster_state" --keep --durable
  fi
  grep -q '^status=running' "$cluster_state" 2>/dev/null ||
    { echo "setup-demo.sh: no running PostgreSQL cluster recorded in $cluster_state" >&2; exit 1; }
  folder=$(sed -n 's/^folder=//p' "$cluster_state")
  port=$(sed -n 's/^port=//p' "$cluster_state")
  bindir=$(sed -n 's/^bindir=//p' "$cluster_state")
  export PGPASSWORD=linkmend-owner-secret
  PGOPTIONS="-c client_min_messages=warning" "$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h "$folder" -p "$port" \
    -U linkmend_owner -d postgres \
    -c "DROP DATABASE IF EXISTS $pg_database WITH (FORCE)" \
    -c "CREATE DATABASE $pg_database TEMPLATE linkmend_template"
  python3 "$tools/generate.py" --postgres "host=$folder port=$port dbname=$pg_database user=linkmend_owner" \
    --psql "$bindir/psql" --grant-select linkmend_reader --bibs "$bibs" --seed "$seed" --matching "$matching" \
    --summary "$summary"
  python3 "$tools/configure.py" --run "$run" --postgres "$pg_database" --pg-port "$port" --pg-driver "$driver"
  where="PostgreSQL database $pg_database on 127.0.0.1:$port (data sources LinkmendDemoPg, owner, and LinkmendDemoPgRO, read-only)"
fi

cat <<EOF
Demo ready in $run:
  database:   $where
  counts:     $summary
  settings:   $run/profile/Linkmend.INI (operator cataloger, test run of the proxy stem change)
  reports:    $run/reports/
Run Linkmend on it after:  . $run/env.sh
EOF
