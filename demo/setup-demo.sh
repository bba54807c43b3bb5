#!/bin/sh
# Builds the demo databases and their ODBC configuration in demo/run/ (never in /etc):
#   sh demo/setup-demo.sh [BUILD_DIR] [--postgres]
# BUILD_DIR (default: build) must hold a build of the project: the SQLite extension
# src/odbc/sqlite/linkmend_sqlite.so and, for --postgres, tests/db/linkmend_pgcluster.
# Then, in the shell that runs Linkmend:  export ODBCSYSINI=demo/run ODBCINI=demo/run/odbc.ini
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
postgres=no
[ "${2:-}" = "--postgres" ] && postgres=yes
run=$here/run
ext=$build/src/odbc/sqlite/linkmend_sqlite.so
[ -f "$ext" ] || { echo "No $ext: build the project first." >&2; exit 1; }
driver_dir=$(dirname "$(find /usr/lib /usr/local/lib -name libsqlite3odbc.so 2>/dev/null | head -n 1)")
sqlite_driver=$driver_dir/libsqlite3odbc.so
pg_driver=$(find /usr/lib /usr/local/lib -name psqlodbca.so 2>/dev/null | head -n 1)
[ -f "$sqlite_driver" ] || { echo "The SQLite ODBC driver (libsqliteodbc) is not installed." >&2; exit 1; }

mkdir -p "$run"
db=$run/linkmend-demo.db
rm -f "$db" "$db-wal" "$db-shm"
sqlite3 "$db" < "$here/schema-sqlite.sql" > /dev/null
python3 "$here/demo-data.py" sqlite | sqlite3 "$db"

cat > "$run/odbcinst.ini" <<INI
[ODBC]
Trace = No
INI
cat > "$run/odbc.ini" <<INI
[ODBC Data Sources]
LinkmendDemo = Linkmend demo database (SQLite, read-write)
LinkmendDemoRO = Linkmend demo database (SQLite, read-only)

[LinkmendDemo]
Driver = $sqlite_driver
Database = $db
JournalMode = WAL
Timeout = 10000
LoadExt = $ext

[LinkmendDemoRO]
Driver = $sqlite_driver
Database = file:$db?mode=ro
Timeout = 10000
LoadExt = $ext
INI
echo "SQLite demo database: $db (table-name prefix main.)"

if [ "$postgres" = yes ]; then
  [ -f "$pg_driver" ] || { echo "The PostgreSQL ODBC driver (odbc-postgresql) is not installed." >&2; exit 1; }
  state=$run/pg-cluster.state
  "$build/tests/db/linkmend_pgcluster" start "$state"
  folder=$(sed -n 's/^folder=//p' "$state")
  port=$(sed -n 's/^port=//p' "$state")
  bindir=$(sed -n 's/^bindir=//p' "$state")
  psql="$bindir/psql -X -q -v ON_ERROR_STOP=1 -h $folder -p $port -U linkmend_owner"
  $psql -d postgres -c "CREATE DATABASE linkmend_demo TEMPLATE linkmend_template"
  python3 "$here/demo-data.py" postgresql | $psql -d linkmend_demo > /dev/null
  for dsn in LinkmendDemoPg LinkmendDemoPgRO; do
    cat >> "$run/odbc.ini" <<INI

[$dsn]
Driver = $pg_driver
Servername = 127.0.0.1
Port = $port
Database = linkmend_demo
SSLmode = disable
ConnSettings = SET client_encoding TO 'SQL_ASCII'
INI
  done
  echo "PostgreSQL demo database: linkmend_demo on 127.0.0.1:$port (table-name prefix linkmend_db.)"
  echo "  LinkmendDemoPg: linkmend_owner / linkmend-owner-secret; LinkmendDemoPgRO: linkmend_reader / linkmend-reader-secret"
  echo "  stop it with: sh demo/stop-demo.sh $build"
fi
echo "export ODBCSYSINI=$run ODBCINI=$run/odbc.ini"
