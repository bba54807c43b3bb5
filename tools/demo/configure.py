#!/usr/bin/env python3
"""Writes the demo's configuration into a run folder from the templates in demo/templates:

  RUN/odbc.ini, RUN/odbcinst.ini   the two data sources (read-write owner, read-only)
  RUN/profile/Linkmend.INI         connection profile and job settings (passwords scrambled)
  RUN/profile/Voyager.INI          the write-back's read-write account
  RUN/profile/VGERREAD.INI         the reader's settings
  RUN/env.sh                       ODBCSYSINI, ODBCINI and LINKMEND_PROFILE_DIR for the shell
  RUN/reports/                     the report folder

  configure.py --run DIR --sqlite DATABASE --extension SO [--sqlite-driver SO]
  configure.py --run DIR --postgres DATABASE --pg-port N [--pg-host HOST] [--pg-driver SO]
"""
import argparse
import os
import re
import sys
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import catalog  # noqa: E402
from scramble import Scrambler  # noqa: E402

TEMPLATES = os.path.join(HERE, "..", "..", "demo", "templates")
SQLITE_DRIVER = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so"
PG_DRIVER = "/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so"

# Accounts of the two databases. SQLite ignores them, but the reader and the write-back want one.
ACCOUNTS = {
    "sqlite": {"READ_DSN": "LinkmendDemoRO", "WRITE_DSN": "LinkmendDemo", "PREFIX": "main.",
               "READ_UID": "dbread", "READ_PLAIN_PWD": "dbread-demo", "WRITE_UID": "dbwrite",
               "WRITE_PWD": "dbwrite-demo"},
    "postgres": {"READ_DSN": "LinkmendDemoPgRO", "WRITE_DSN": "LinkmendDemoPg", "PREFIX": "linkmend_db.",
                 "READ_UID": "linkmend_reader", "READ_PLAIN_PWD": "linkmend-reader-secret",
                 "WRITE_UID": "linkmend_owner", "WRITE_PWD": "linkmend-owner-secret"},
}
# The operator the demo works as (see catalog.OPERATORS).
OPERATOR = catalog.OPERATORS[0]


def stored_password(scrambler, password):
    """The password as the settings file keeps it: scrambled when the scrambled text fits the 79
    characters Linkmend reads of a PWD value (passwords up to 19 characters always do), else
    plain, which Linkmend accepts as well."""
    scrambled = scrambler.scramble(password)
    return scrambled if len(scrambled) <= 79 else password


def fill(template, values):
    with open(os.path.join(TEMPLATES, template), encoding="utf-8") as f:
        text = f.read()
    for key, value in values.items():
        text = text.replace("@%s@" % key, value)
    leftover = re.search(r"@[A-Z_]+@", text)
    if leftover:
        raise SystemExit("configure.py: %s has an unknown placeholder %s" % (template, leftover.group(0)))
    return text


def write(path, text, mode=0o644):
    tmp = path + ".tmp"
    with open(tmp, "w", encoding="utf-8") as f:
        f.write(text)
    os.chmod(tmp, mode)
    os.replace(tmp, path)


def main(argv):
    p = argparse.ArgumentParser(prog="configure.py")
    p.add_argument("--run", required=True)
    where = p.add_mutually_exclusive_group(required=True)
    where.add_argument("--sqlite", metavar="DATABASE")
    where.add_argument("--postgres", metavar="DATABASE")
    p.add_argument("--extension")
    p.add_argument("--sqlite-driver", default=SQLITE_DRIVER)
    p.add_argument("--pg-driver", default=PG_DRIVER)
    p.add_argument("--pg-host", default="127.0.0.1")
    p.add_argument("--pg-port", type=int)
    args = p.parse_args(argv)
    run = os.path.abspath(args.run)
    for path in [run] + [v for v in (args.sqlite, args.extension) if v]:
        if any(c in path for c in "'\"\n\\"):
            p.error("paths with quotes, backslashes or line breaks cannot go into the settings: " + path)
    kind = "sqlite" if args.sqlite else "postgres"
    profile, reports = os.path.join(run, "profile"), os.path.join(run, "reports")
    os.makedirs(profile, exist_ok=True)
    os.makedirs(reports, exist_ok=True)
    values = dict(ACCOUNTS[kind], RUN_DIR=run, PROFILE_DIR=profile, REPORTS_DIR=reports,
                  OPERATOR=OPERATOR[0], HAPPENING=str(OPERATOR[5]), OLD_STEM=catalog.OLD_STEM,
                  NEW_STEM=catalog.NEW_STEM)
    scrambler = Scrambler()
    values["READ_PWD"] = stored_password(scrambler, values["READ_PLAIN_PWD"])
    values["OPERATOR_PWD"] = stored_password(scrambler, OPERATOR[3])
    if kind == "sqlite":
        if not args.extension:
            p.error("--sqlite needs --extension, the built linkmend_sqlite.so")
        database = os.path.abspath(args.sqlite)
        values.update(DATABASE=database, EXTENSION=os.path.abspath(args.extension),
                      SQLITE_DRIVER=args.sqlite_driver,
                      DATABASE_READ_ONLY_URI="file:" + urllib.parse.quote(database) + "?mode=ro")
        odbc = fill("odbc-sqlite.ini.in", values)
    else:
        if not args.pg_port:
            p.error("--postgres needs --pg-port")
        values.update(PG_DRIVER=args.pg_driver, PG_HOST=args.pg_host, PG_PORT=str(args.pg_port),
                      PG_DATABASE=args.postgres)
        odbc = fill("odbc-postgresql.ini.in", values)
    # Files that hold passwords are for the owner only.
    write(os.path.join(run, "odbc.ini"), odbc)
    write(os.path.join(run, "odbcinst.ini"), fill("odbcinst.ini.in", values))
    write(os.path.join(profile, "Linkmend.INI"), fill("Linkmend.INI.in", values), 0o600)
    write(os.path.join(profile, "Voyager.INI"), fill("Voyager.INI.in", values), 0o600)
    write(os.path.join(profile, "VGERREAD.INI"), fill("VGERREAD.INI.in", values), 0o600)
    write(os.path.join(run, "env.sh"), fill("env.sh.in", values))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
