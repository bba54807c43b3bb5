#!/usr/bin/env python3
"""Creates the Linkmend demo database: a Voyager-like catalogue of N bibliographic records with their
holdings, items, a few authorities, links, history, operators and permissions. The same N, seed and
matching share always give the same rows.

  generate.py --sqlite FILE [options]          a new SQLite file (or an existing one with the schema
                                               and no rows)
  generate.py --postgres CONNINFO [options]    a PostgreSQL database (libpq connection string, the
                                               password from PGPASSWORD or ~/.pgpass); the schema
                                               script is run when the schema linkmend_db is missing

Options: --bibs N (default 2000, at most 1000000), --seed S (default 1), --matching PERCENT (default
20: the share of bibliographic records with the old proxy stem in a link of their own), --summary FILE
(the counts as JSON), --replace (overwrite the file / empty the database first), --psql PATH,
--grant-select ROLE (PostgreSQL: let a read-only role read the tables; may be repeated).
"""
import argparse
import json
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from builder import MAX_BIBS, Builder  # noqa: E402
from sinks import GeneratorError, PostgresSink, SqliteSink  # noqa: E402

SCHEMA_DIR = os.path.join(HERE, "..", "..", "demo")


def parse(argv):
    p = argparse.ArgumentParser(prog="generate.py", description=__doc__.split("\n\n")[0],
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    where = p.add_mutually_exclusive_group(required=True)
    where.add_argument("--sqlite", metavar="FILE")
    where.add_argument("--postgres", metavar="CONNINFO")
    p.add_argument("--bibs", type=int, default=2000)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--matching", default="20", metavar="PERCENT")
    p.add_argument("--summary", metavar="FILE")
    p.add_argument("--replace", action="store_true")
    p.add_argument("--psql", default="psql")
    p.add_argument("--grant-select", action="append", default=[], metavar="ROLE")
    args = p.parse_args(argv)
    if not 1 <= args.bibs <= MAX_BIBS:
        p.error("--bibs must be 1 to %d, not %d" % (MAX_BIBS, args.bibs))
    try:
        matching = float(args.matching)
    except ValueError:
        matching = -1.0
    if not 0 <= matching <= 100:
        p.error("--matching must be a percentage from 0 to 100, not %s" % args.matching)
    for role in args.grant_select:
        if not role.replace("_", "").isalnum():
            p.error("--grant-select takes a plain role name, not %s" % role)
    return args


def main(argv):
    args = parse(argv)
    started = time.monotonic()
    builder = Builder(args.bibs, args.seed, args.matching)
    try:
        if args.sqlite:
            sink = SqliteSink(args.sqlite, os.path.join(SCHEMA_DIR, "schema-sqlite.sql"), args.replace)
        else:
            sink = PostgresSink(args.postgres, args.psql, os.path.join(SCHEMA_DIR, "schema-postgresql.sql"),
                                args.replace, args.grant_select)
    except GeneratorError as e:
        print("generate.py: " + str(e), file=sys.stderr)
        return 1
    try:
        summary = builder.build(sink)
        sink.finish()
    except BaseException as e:
        sink.abandon()
        if isinstance(e, GeneratorError):
            print("generate.py: " + str(e), file=sys.stderr)
            return 1
        raise
    summary["seconds"] = round(time.monotonic() - started, 1)
    if args.summary:
        with open(args.summary, "w", encoding="utf-8") as f:
            json.dump(summary, f, indent=1, sort_keys=True)
            f.write("\n")
    print("%d bibliographic records (%d with the old stem), %d holdings, %d items, %d authorities, %d links "
          "in %.1f s" % (summary["bibs"], summary["bibs_matching"], summary["holdings"], summary["items"],
                         summary["authorities"], summary["links"], summary["seconds"]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
