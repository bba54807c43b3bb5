#!/usr/bin/env python3
"""The change report of the demo job against the records themselves. On a fresh demo database the
856 fields of every record are read from the tables (segments joined, ISO 2709 parsed here), the demo
job runs as a test run and then as a production run, and the 856 fields are read again. Each field
that differs must be a row of both runs' Changes.csv (read with Python's csv module), with its
display text before and after and the codes of the subfields that changed, and there must be no
other row; the report's counter says how many rows there are.

  demo_changes.py BUILD_DIR [--postgres STATEFILE]
"""
import argparse
import collections
import csv
import glob
import io
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile

import golden

KINDS = (("BIB", "B"), ("MFHD", "H"), ("AUTH", "A"))
HEADER = ["Record type", "Record id", "Tag", "Occurrence", "Before", "After", "Subfields changed"]


def records_sqlite(path):
    db = sqlite3.connect("file:" + path + "?mode=ro", uri=True)
    out = collections.defaultdict(bytes)
    for table, letter in KINDS:
        for rid, segment in db.execute("SELECT %s_ID, RECORD_SEGMENT FROM %s_DATA ORDER BY 1, SEQNUM" % (table, table)):
            out[(letter, str(rid))] += bytes(segment)
    db.close()
    return out


def records_postgres(state, database):
    psql, host, port = golden.cluster(state)
    out = collections.defaultdict(bytes)
    for table, letter in KINDS:
        sql = "COPY (SELECT %s_ID, encode(RECORD_SEGMENT, 'hex') FROM linkmend_db.%s_DATA ORDER BY 1, SEQNUM) TO STDOUT" % (
            table, table)
        done = subprocess.run([psql, "-X", "-q", "-h", host, "-p", port, "-U", "linkmend_owner", "-d", database,
                               "-c", sql], env=dict(os.environ, PGPASSWORD="linkmend-owner-secret"),
                              stdout=subprocess.PIPE, check=True)
        for line in done.stdout.decode().splitlines():
            rid, hexed = line.split("\t")
            out[(letter, rid)] += bytes.fromhex(hexed)
    return out


def fields_856(record):
    """(indicators, [(code, text)]) of each 856 in directory order; texts as str (the demo's are ASCII)."""
    base = int(record[12:17])
    fields = []
    for at in range(24, base - 1, 12):
        entry = record[at:at + 12]
        if entry[:3] != b"856":
            continue
        length, start = int(entry[3:7]), int(entry[7:12])
        data = record[base + start:base + start + length - 1].decode("utf-8")
        parts = data[2:].split("\x1f")[1:]
        fields.append((data[:2], [(p[0], p[1:]) for p in parts]))
    return fields


def display(field):
    indicators, subfields = field
    return "856 " + indicators + " " + " ".join("|" + code + " " + text for code, text in subfields)


def changed_codes(before, after):
    codes = []
    for code, _ in before[1] + after[1]:
        if code not in codes:
            codes.append(code)
    texts = lambda field, code: [t for c, t in field[1] if c == code]
    return " ".join("$" + c for c in codes if texts(before, c) != texts(after, c))


def expected_rows(before, after):
    rows = []
    for key in sorted(after):
        old, new = fields_856(before[key]), fields_856(after[key])
        if old == new:
            continue
        assert len(old) == len(new), "the demo job changes links, it deletes none: %s" % (key,)
        for i, (was, now) in enumerate(zip(old, new)):
            if was != now:
                rows.append((key[0], key[1], "856", str(i + 1), display(was), display(now), changed_codes(was, now)))
    return rows


def report_rows(folder):
    [path] = glob.glob(os.path.join(folder, "LINKMEND.*.Changes.csv"))
    with open(path, encoding="utf-8", newline="") as f:
        text = f.read()
    assert text.endswith("\r\n"), "every row ends in CR LF"
    table = list(csv.reader(io.StringIO(text, newline="")))
    assert table[0] == HEADER, table[0]
    [report] = glob.glob(os.path.join(folder, "LINKMEND.*.Report.txt"))
    with open(report, encoding="utf-8") as f:
        counted = [int(line[:8]) for line in f if line[9:].rstrip("\r\n") == "rows in the change report"]
    return [tuple(row) for row in table[1:]], counted


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("build")
    p.add_argument("--postgres", metavar="STATEFILE")
    a = p.parse_args()
    build = os.path.abspath(a.build)
    run = tempfile.mkdtemp(prefix="linkmend-changes-")
    database = "demo_changes"
    try:
        setup = ["sh", os.path.join(golden.SOURCE, "demo", "setup-demo.sh"), build, "--run", run, "--bibs", "600"]
        if a.postgres:
            setup += ["--pg-cluster", a.postgres, "--pg-database", database]
        subprocess.run(setup, check=True, stdout=subprocess.DEVNULL)
        read = (lambda: records_postgres(a.postgres, database)) if a.postgres else (
            lambda: records_sqlite(os.path.join(run, "linkmend-demo.db")))
        before = read()
        got = {}
        for label, production in (("test", False), ("production", True)):
            folder = os.path.join(run, "reports-" + label)
            files = golden.run_program(build, run, folder, production)
            assert files["exit-status"] == b"0\n", files["stderr"]
            got[label] = report_rows(folder)
        want = expected_rows(before, read())
        assert want, "the demo job changes some links"
        problems = 0
        for label, (rows, counted) in got.items():
            if sorted(rows) != sorted(want):
                problems += 1
                print("%s run: %d rows, %d expected; first differences:" % (label, len(rows), len(want)))
                for row in sorted(set(rows) ^ set(want))[:10]:
                    print("  %s %s" % ("unexpected" if row in rows else "missing", row))
            if counted != [len(rows)]:
                problems += 1
                print("%s run: the report counts %s rows, the file holds %d" % (label, counted, len(rows)))
        print("%d rows expected from %d records; %d problems" % (len(want), len(before), problems))
        return 1 if problems else 0
    finally:
        shutil.rmtree(run, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
