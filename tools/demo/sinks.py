"""Where the generated rows go: an SQLite file (through Python's sqlite3) or a PostgreSQL database
(through psql's \\copy). Both take rows as tuples in the column order of COLUMNS; values are int,
str, bytes (octets kept exactly) or None."""
import os
import re
import shutil
import sqlite3
import subprocess
import tempfile

COLUMNS = {
    "VERSIONS": ["MODULE", "VERSION"],
    "BASE_CURRENCY": ["BASE_COUNTRY_NAME", "BASE_CURRENCY_CODE", "BASE_CURRENCY_NAME", "BASE_DECIMALS",
                      "DECIMAL_DELIMITER"],
    "LIBRARY": ["LIBRARY_ID", "LIBRARY_NAME", "LIBRARY_DISPLAY_NAME", "NUC_CODE"],
    "LOCATION": ["LOCATION_ID", "LOCATION_CODE", "LOCATION_NAME", "LOCATION_DISPLAY_NAME", "LOCATION_SPINE_LABEL",
                 "LIBRARY_ID", "SUPPRESS_IN_OPAC"],
    "CAT_POLICY_LOCS": ["LOCATION_ID", "CATALOGING_LOCATION"],
    "CAT_PROFILE": ["CAT_PROFILE_ID", "CAT_PROFILE_NAME", "BIB_ADD", "BIB_UPDATE", "BIB_DELETE", "HOLD_ADD",
                    "HOLD_UPDATE", "HOLD_DELETE", "ITEM_ADD", "ITEM_UPDATE", "ITEM_DELETE", "AUTH_ADD",
                    "AUTH_UPDATE", "AUTH_DELETE"],
    "CAT_SECURITY_LOCS": ["CAT_PROFILE_ID", "LOCATION_ID"],
    "OPERATOR": ["OPERATOR_ID", "LAST_NAME", "FIRST_NAME", "PASSWORD_HASH"],
    "CAT_OPERATOR": ["OPERATOR_ID", "CAT_PROFILE_ID"],
    "ITEM_TYPE": ["ITEM_TYPE_ID", "ITEM_TYPE_CODE", "ITEM_TYPE_NAME", "ITEM_TYPE_DISPLAY"],
    "ITEM_STATUS_TYPE": ["ITEM_STATUS_TYPE", "ITEM_STATUS_DESC"],
    "ITEM_NOTE_TYPE": ["NOTE_TYPE", "NOTE_DESC"],
    "CALL_NO_TYPE": ["CALL_NO_TYPE", "CALL_NO_CODE"],
    "BIB_MASTER": ["BIB_ID", "LIBRARY_ID", "SUPPRESS_IN_OPAC", "CREATE_DATE", "UPDATE_DATE", "EXPORT_OK"],
    "BIB_DATA": ["BIB_ID", "SEQNUM", "RECORD_SEGMENT"],
    "BIB_HISTORY": ["BIB_ID", "ACTION_DATE", "OPERATOR_ID", "LOCATION_ID", "ACTION_TYPE_ID", "ENCODING_LEVEL",
                    "SUPPRESS_IN_OPAC"],
    "MFHD_MASTER": ["MFHD_ID", "LOCATION_ID", "SUPPRESS_IN_OPAC", "NORMALIZED_CALL_NO", "DISPLAY_CALL_NO",
                    "CALL_NO_TYPE", "CREATE_DATE", "UPDATE_DATE"],
    "MFHD_DATA": ["MFHD_ID", "SEQNUM", "RECORD_SEGMENT"],
    "MFHD_HISTORY": ["MFHD_ID", "ACTION_DATE", "OPERATOR_ID", "LOCATION_ID", "ACTION_TYPE_ID"],
    "AUTH_MASTER": ["AUTH_ID", "CREATE_DATE", "UPDATE_DATE"],
    "AUTH_DATA": ["AUTH_ID", "SEQNUM", "RECORD_SEGMENT"],
    "AUTH_HISTORY": ["AUTH_ID", "ACTION_DATE", "OPERATOR_ID", "LOCATION_ID", "ACTION_TYPE_ID"],
    "BIB_MFHD": ["BIB_ID", "MFHD_ID"],
    "ELINK_INDEX": ["LINK_ID", "RECORD_ID", "RECORD_TYPE", "LINK_SUBTYPE", "LINK", "LINK_TEXT"],
    "ITEM": ["ITEM_ID", "PERM_LOCATION", "TEMP_LOCATION", "ITEM_TYPE_ID", "TEMP_ITEM_TYPE_ID", "COPY_NUMBER",
             "PIECES", "PRICE", "SPINE_LABEL", "MEDIA_TYPE_ID", "CREATE_DATE", "MODIFY_DATE", "CREATE_OPERATOR_ID",
             "MODIFY_OPERATOR_ID", "MAGNETIC_MEDIA", "SENSITIZE"],
    "BIB_ITEM": ["BIB_ID", "ITEM_ID", "ADD_DATE"],
    "MFHD_ITEM": ["MFHD_ID", "ITEM_ID", "ITEM_ENUM", "CHRON", "YEAR", "CAPTION", "FREETEXT"],
    "ITEM_BARCODE": ["ITEM_ID", "ITEM_BARCODE", "BARCODE_STATUS", "BARCODE_STATUS_DATE"],
    "ITEM_STATUS": ["ITEM_ID", "ITEM_STATUS", "ITEM_STATUS_DATE"],
    "ITEM_NOTE": ["ITEM_NOTE_ID", "ITEM_ID", "ITEM_NOTE", "ITEM_NOTE_TYPE"],
}

# Columns whose octets are text to the database (compared, upper-cased, LIKE-matched) even when
# they are not valid UTF-8: SQLite gets them as text, not as blobs.
_OCTET_TEXT_COLUMNS = {("ELINK_INDEX", "LINK"), ("ELINK_INDEX", "LINK_TEXT")}

_BATCH = 20000


class GeneratorError(Exception):
    """A problem the user can fix; the message says what and nothing has been lost."""


def _schema_statements(path):
    """The SQLite schema script as single statements, comments dropped."""
    with open(path, encoding="utf-8") as f:
        text = re.sub(r"--[^\n]*", "", f.read())
    return [s.strip() for s in text.split(";") if s.strip()]


class SqliteSink:
    """Fills a new SQLite file, or an existing one that has the schema and no rows. Tables are made
    first and indexes after the rows, for speed; the file ends in WAL journal mode."""

    def __init__(self, path, schema_path, replace):
        self.path = path
        self.rows = {}
        existing = os.path.exists(path)
        self.created = not existing or replace
        if existing and replace:
            for suffix in ("", "-wal", "-shm", "-journal"):
                if os.path.exists(path + suffix):
                    os.remove(path + suffix)
            existing = False
        try:
            self.db = sqlite3.connect(path, isolation_level=None)
        except sqlite3.Error as e:
            raise GeneratorError("cannot open %s: %s" % (path, e))
        self.indexes = []
        if existing:
            self._check_empty()
        statements = _schema_statements(schema_path) if not existing else []
        self.db.execute("PRAGMA synchronous = OFF")
        if not existing:
            self.db.execute("PRAGMA journal_mode = OFF")
        self.db.execute("BEGIN")
        for statement in statements:
            head = statement.split(None, 2)[:2]
            if head[0].upper() == "PRAGMA":
                continue
            if head[0].upper() == "CREATE" and head[1].upper() in ("INDEX", "UNIQUE"):
                self.indexes.append(statement)
            else:
                self.db.execute(statement)
        self.sql = {}
        for table, columns in COLUMNS.items():
            marks = ", ".join("CAST(? AS TEXT)" if (table, c) in _OCTET_TEXT_COLUMNS else "?" for c in columns)
            self.sql[table] = "INSERT INTO %s (%s) VALUES (%s)" % (table, ", ".join(columns), marks)
            self.rows[table] = []

    def _check_empty(self):
        try:
            tables = {r[0].upper() for r in self.db.execute("SELECT name FROM sqlite_master WHERE type = 'table'")}
        except sqlite3.DatabaseError as e:
            self.db.close()
            raise GeneratorError("%s is not an SQLite database (%s); nothing was changed" % (self.path, e))
        missing = sorted(set(COLUMNS) - tables)
        if missing:
            self.db.close()
            raise GeneratorError("%s exists but lacks the demo schema (no table %s); nothing was changed. "
                                 "Name a new file, or add --replace to overwrite it" % (self.path, missing[0]))
        for table in ("BIB_MASTER", "MFHD_MASTER", "AUTH_MASTER", "ELINK_INDEX", "LIBRARY", "OPERATOR"):
            if self.db.execute("SELECT 1 FROM %s LIMIT 1" % table).fetchone():
                self.db.close()
                raise GeneratorError("%s already holds rows (table %s); nothing was changed. Name a new "
                                     "file, or add --replace to overwrite it" % (self.path, table))

    def add(self, table, row):
        rows = self.rows[table]
        rows.append(row)
        if len(rows) >= _BATCH:
            self.db.executemany(self.sql[table], rows)
            rows.clear()

    def finish(self):
        for table, rows in self.rows.items():
            if rows:
                self.db.executemany(self.sql[table], rows)
                rows.clear()
        for statement in self.indexes:
            self.db.execute(statement)
        self.db.execute("COMMIT")
        self.db.execute("PRAGMA journal_mode = WAL")
        self.db.close()

    def abandon(self):
        """After a failure: an existing database keeps its state, a new file goes."""
        try:
            if self.db.in_transaction:
                self.db.execute("ROLLBACK")
            self.db.close()
        except sqlite3.ProgrammingError:
            pass  # already closed
        if self.created:
            for suffix in ("", "-wal", "-shm", "-journal"):
                if os.path.exists(self.path + suffix):
                    os.remove(self.path + suffix)


def _copy_value(value):
    """One value in COPY's text format, as octets."""
    if value is None:
        return b"\\N"
    if isinstance(value, int):
        return b"%d" % value
    if isinstance(value, str):
        value = value.encode("utf-8")
    return (value.replace(b"\\", b"\\\\").replace(b"\t", b"\\t").replace(b"\n", b"\\n")
            .replace(b"\r", b"\\r"))


class PostgresSink:
    """Fills the schema linkmend_db of a PostgreSQL database, which must be empty of rows (or is
    emptied first with replace). The schema script is run when the schema is missing. Rows go to
    one file per table and are loaded with psql's \\copy in one transaction."""

    def __init__(self, conninfo, psql, schema_path, replace, readers):
        self.conninfo = conninfo
        self.psql = psql
        self.readers = readers
        self.folder = tempfile.mkdtemp(prefix="linkmend-demo-copy-")
        self.files = {}
        self.binary = {}
        try:
            has_schema = self._query("SELECT count(*) FROM information_schema.schemata "
                                     "WHERE schema_name = 'linkmend_db'") == "1"
            if not has_schema:
                self._run(["-f", schema_path])
            elif replace:
                self._run(["-c", "TRUNCATE " + ", ".join("linkmend_db." + t for t in COLUMNS)])
            else:
                for table in ("BIB_MASTER", "MFHD_MASTER", "AUTH_MASTER", "ELINK_INDEX", "LIBRARY", "OPERATOR"):
                    if self._query("SELECT count(*) FROM (SELECT 1 FROM linkmend_db.%s LIMIT 1) t" % table) != "0":
                        raise GeneratorError("the database already holds rows (table %s); nothing was changed. "
                                             "Use a new database, or add --replace to empty it first" % table)
        except BaseException:
            shutil.rmtree(self.folder, ignore_errors=True)
            raise
        for table in COLUMNS:
            self.files[table] = open(os.path.join(self.folder, table.lower() + ".copy"), "wb")
            self.binary[table] = [c for c in COLUMNS[table] if c == "RECORD_SEGMENT"]

    def _run(self, args, capture=False):
        argv = [self.psql, "-X", "-q", "-v", "ON_ERROR_STOP=1", "-d", self.conninfo] + args
        # Octets pass unchanged only when the client encoding is SQL_ASCII, as the database's is.
        env = dict(os.environ, PGCLIENTENCODING="SQL_ASCII")
        try:
            r = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        except OSError as e:
            raise GeneratorError("cannot run %s: %s" % (self.psql, e))
        if r.returncode != 0:
            raise GeneratorError("psql failed: " + r.stderr.decode("utf-8", "replace").strip())
        return r.stdout.decode("utf-8", "replace") if capture else None

    def _query(self, sql):
        return self._run(["-At", "-c", sql], capture=True).strip()

    def add(self, table, row):
        if table.endswith("_DATA"):
            # RECORD_SEGMENT is bytea: hexadecimal input, its backslash doubled for COPY.
            line = b"%d\t%d\t\\\\x%s\n" % (row[0], row[1], row[2].hex().encode("ascii"))
        else:
            line = b"\t".join(_copy_value(v) for v in row) + b"\n"
        self.files[table].write(line)

    def finish(self):
        script = ["BEGIN;"]
        for table, f in self.files.items():
            f.close()
            script.append("\\copy linkmend_db.%s (%s) FROM '%s'" % (table, ", ".join(COLUMNS[table]), f.name))
        # Rows added later (by the write-back) take identity values after the demo's own.
        for table, column in (("elink_index", "link_id"), ("item_note", "item_note_id")):
            script.append("SELECT setval(pg_get_serial_sequence('linkmend_db.%s', '%s'), "
                          "GREATEST((SELECT max(%s) FROM linkmend_db.%s), 1));" % (table, column, column, table))
        for role in self.readers:
            script.append("GRANT USAGE ON SCHEMA linkmend_db TO %s;" % role)
            script.append("GRANT SELECT ON ALL TABLES IN SCHEMA linkmend_db TO %s;" % role)
        script.append("COMMIT;")
        script.append("ANALYZE;")
        path = os.path.join(self.folder, "load.sql")
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(script) + "\n")
        try:
            self._run(["-o", "/dev/null", "-f", path])
        finally:
            shutil.rmtree(self.folder, ignore_errors=True)

    def abandon(self):
        for f in self.files.values():
            f.close()
        shutil.rmtree(self.folder, ignore_errors=True)
