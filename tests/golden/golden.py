#!/usr/bin/env python3
"""Golden outputs of whole runs: the demo database, four jobs, a test run and a production run of
each, through the real program. Everything a run leaves is kept: standard output and error, the
exit status, every report and list file, the run log (Debug=True), and after the production run a
dump of every record segment, history row, master row's dates and link-index row.

  golden.py capture BUILD_DIR ARCHIVE [--postgres STATEFILE]
  golden.py check   BUILD_DIR ARCHIVE [--postgres STATEFILE]

ARCHIVE is a .tar.xz holding a folder per database (sqlite/, postgres/) with the normalised outputs
of each job; capture replaces that database's folder in it (the other stays), check captures afresh
and compares, printing the first differing lines of each file that differs. Normalised: date-times the runs themselves wrote (any year from 2025 on), the
stamp in report file names, the scratch work list's path and the temporary folders. Anything else
that changes is a change of behaviour.
"""
import argparse
import difflib
import io
import hashlib
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tarfile
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
OLD_STEM = "http://ezproxy.demo-university.edu/login?url="

# Each job: the settings it changes in the demo's Linkmend.INI ([section] key -> value).
JOBS = {
    # The demo job itself: change the proxy stem.
    "demo": {},
    # Add a suffix; replace $x and $z, delete $y and $3; the site option; a bib limit.
    "subfields": {
        ("UrlStem", "New"): "&linkmend=1",
        ("UrlStem", "UrlActions"): "243430",
        ("UrlStem", "NewSubfieldX"): "Checked by the link job",
        ("UrlStem", "NewSubfieldZ"): "Off-campus: sign in first",
        ("UrlStem", "BibLimit"): "120",
        ("General", "HLD"): "True",
    },
    # Delete the matching field, limited to one location, as an operator with bibliographic rights only.
    "deletefield": {
        ("UrlStem", "UrlActions"): "000003",
        ("General", "LimitByLocation"): "True",
        ("General", "LimitingLocation"): "ONLINE",
        ("Write", "UID"): "bibcat",
        ("Write", "PWD"): "bibcat-demo",
    },
    # Match at the right end of the URL.
    "rightend": {
        ("UrlStem", "Old"): ".html",
        ("UrlStem", "New"): ".htm",
        ("UrlStem", "MatchEnd"): "1",
    },
}

RUN_DATE = re.compile(rb"(\d{4})-(\d\d)-(\d\d)[ T](\d\d):(\d\d):(\d\d)")
STAMP = re.compile(rb"LINKMEND\.\d{8}\.\d{6}\.")


def set_ini(path, changes):
    """Replaces or appends keys in their sections of an INI file (the demo's files are simple)."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for (section, key), value in changes.items():
        current, placed, at_end = None, False, None
        for i, line in enumerate(lines):
            s = line.strip()
            if s.startswith("[") and s.endswith("]"):
                if current == section.lower():
                    at_end = i
                current = s[1:-1].lower()
            elif current == section.lower() and "=" in s and s.split("=", 1)[0].strip().lower() == key.lower():
                lines[i] = key + "=" + value
                placed = True
                break
        if not placed:
            if at_end is None and current == section.lower():
                at_end = len(lines)
            if at_end is None:
                lines += ["[" + section + "]", key + "=" + value]
            else:
                lines.insert(at_end, key + "=" + value)
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


def normalise(data, folders):
    def date(m):
        return b"<RUN-DATE>" if int(m.group(1)) >= 2025 else m.group(0)
    data = RUN_DATE.sub(date, data)
    data = STAMP.sub(b"LINKMEND.<STAMP>.", data)
    data = re.sub(rb"Record IDs will be written to [^\r\n]*", b"Record IDs will be written to <SCRATCH>", data)
    for name, folder in folders.items():
        data = data.replace(folder.encode(), name.encode())
    return data


def environment(run):
    env = dict(os.environ)
    env.update({"ODBCSYSINI": run, "ODBCINI": os.path.join(run, "odbc.ini"),
                "LINKMEND_PROFILE_DIR": os.path.join(run, "profile"), "LANG": "C.UTF-8",
                # A temporary folder of the run's own: runs of other tests may be going on beside it.
                "TMPDIR": run})
    env.pop("LINKMEND_CLOCK", None)
    return env


def run_program(build, run, reports, production):
    os.makedirs(reports)
    set_ini(os.path.join(run, "profile", "Linkmend.INI"), {("Folders", "FolderForReports"): reports + "/"})
    args = [os.path.join(build, "src", "app", "linkmend"), "--batch"]
    if production:
        args += ["--production", "--list-changed"]
    done = subprocess.run(args, env=environment(run), stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
    files = {"exit-status": str(done.returncode).encode() + b"\n", "stdout": done.stdout, "stderr": done.stderr}
    for name in sorted(os.listdir(reports)):
        with open(os.path.join(reports, name), "rb") as f:
            files[STAMP.sub(b"LINKMEND.<STAMP>.", name.encode()).decode()] = f.read()
    return files


# The tables a production run touches, with the columns dumped and the order of their rows.
DUMP = [
    ("BIB_DATA", "BIB_ID, SEQNUM, {hex}(RECORD_SEGMENT)", "BIB_ID, SEQNUM"),
    ("MFHD_DATA", "MFHD_ID, SEQNUM, {hex}(RECORD_SEGMENT)", "MFHD_ID, SEQNUM"),
    ("AUTH_DATA", "AUTH_ID, SEQNUM, {hex}(RECORD_SEGMENT)", "AUTH_ID, SEQNUM"),
    ("BIB_HISTORY", "BIB_ID, {date}(ACTION_DATE), OPERATOR_ID, LOCATION_ID, ACTION_TYPE_ID, ENCODING_LEVEL, "
     "SUPPRESS_IN_OPAC", "BIB_ID, 2, 3, 4, 5"),
    ("MFHD_HISTORY", "MFHD_ID, {date}(ACTION_DATE), OPERATOR_ID, LOCATION_ID, ACTION_TYPE_ID", "MFHD_ID, 2, 3, 4, 5"),
    ("AUTH_HISTORY", "AUTH_ID, {date}(ACTION_DATE), OPERATOR_ID, LOCATION_ID, ACTION_TYPE_ID", "AUTH_ID, 2, 3, 4, 5"),
    ("BIB_MASTER", "BIB_ID, LIBRARY_ID, SUPPRESS_IN_OPAC, {date}(CREATE_DATE), {date}(UPDATE_DATE)", "BIB_ID"),
    ("MFHD_MASTER", "MFHD_ID, LOCATION_ID, SUPPRESS_IN_OPAC, {date}(CREATE_DATE), {date}(UPDATE_DATE)", "MFHD_ID"),
    ("AUTH_MASTER", "AUTH_ID, {date}(CREATE_DATE), {date}(UPDATE_DATE)", "AUTH_ID"),
    # Link ids are the database's own numbering; the rows of a record keep their order.
    ("ELINK_INDEX", "RECORD_TYPE, RECORD_ID, LINK_SUBTYPE, LINK, LINK_TEXT", "RECORD_TYPE, RECORD_ID, LINK_ID"),
]


def dump_sqlite(path):
    db = sqlite3.connect("file:" + path + "?mode=ro", uri=True)
    db.text_factory = bytes
    db.create_function("hexof", 1, lambda b: None if b is None else segment(bytes(b)))
    db.create_function("dateof", 1, lambda d: d)
    out = {}
    for table, columns, order in DUMP:
        sql = "SELECT %s FROM %s ORDER BY %s" % (columns.format(hex="hexof", date="dateof"), table, order)
        rows = db.execute(sql).fetchall()
        out["db." + table] = b"".join(b"\t".join(cell_bytes(c) for c in row) + b"\n" for row in rows)
    db.close()
    return out


def segment(octets):
    """A record segment as its length and digest: the dumps stay small, and any changed octet shows."""
    return "%d:%s" % (len(octets), hashlib.sha1(octets).hexdigest())


def changes(before, after):
    """The rows a run added and removed, table by table ("-" before, "+" after), in dump order."""
    out = {}
    for table in after:
        old, new = before[table].splitlines(keepends=True), after[table].splitlines(keepends=True)
        out[table] = b"".join(diff_rows(old, new))
    return out


def diff_rows(old, new):
    matcher = difflib.SequenceMatcher(None, old, new, autojunk=False)
    for op, a1, a2, b1, b2 in matcher.get_opcodes():
        if op == "equal":
            continue
        for line in old[a1:a2]:
            yield b"-" + line
        for line in new[b1:b2]:
            yield b"+" + line


def cell_bytes(c):
    if c is None:
        return b"NULL"
    if isinstance(c, bytes):
        return c
    return str(c).encode()


def dump_postgres(state, database):
    psql, host, port = cluster(state)
    env = dict(os.environ, PGPASSWORD="linkmend-owner-secret")
    out = {}
    for table, columns, order in DUMP:
        cols = columns.format(hex="upper(encode", date="to_char")
        cols = re.sub(r"upper\(encode\((\w+)\)", r"encode(\1, 'hex')", cols)
        cols = re.sub(r"to_char\((\w+)\)", r"to_char(\1, 'YYYY-MM-DD HH24:MI:SS')", cols)
        sql = "COPY (SELECT %s FROM linkmend_db.%s ORDER BY %s) TO STDOUT WITH (NULL 'NULL')" % (cols, table, order)
        done = subprocess.run([psql, "-X", "-q", "-h", host, "-p", port, "-U", "linkmend_owner", "-d", database,
                               "-c", sql], env=env, stdout=subprocess.PIPE, check=True)
        if "encode(" in cols:
            rows = []
            for line in done.stdout.splitlines(keepends=True):
                cells = line.rstrip(b"\n").split(b"\t")
                cells[2] = b"NULL" if cells[2] == b"NULL" else segment(bytes.fromhex(cells[2].decode())).encode()
                rows.append(b"\t".join(cells) + b"\n")
            out["db." + table] = b"".join(rows)
        else:
            out["db." + table] = done.stdout
    return out


def cluster(state):
    values = {}
    with open(state) as f:
        for line in f:
            if "=" in line:
                k, v = line.rstrip("\n").split("=", 1)
                values[k] = v
    if values.get("status") != "running":
        raise SystemExit("golden.py: no running PostgreSQL cluster in " + state)
    return os.path.join(values["bindir"], "psql"), values["folder"], values["port"]


def capture(build, out, pg_state):
    """Runs every job on a fresh demo database; adds the normalised outputs to `out` (name -> octets)."""
    kind = "postgres" if pg_state else "sqlite"
    build = os.path.abspath(build)
    work = tempfile.mkdtemp(prefix="linkmend-golden-")
    try:
        for job, settings in JOBS.items():
            run = os.path.join(work, job)
            setup = ["sh", os.path.join(SOURCE, "demo", "setup-demo.sh"), build, "--run", run, "--bibs", "800"]
            if pg_state:
                setup += ["--pg-cluster", pg_state, "--pg-database", "golden_" + job]
            subprocess.run(setup, check=True, stdout=subprocess.DEVNULL)
            settings = dict(settings)
            settings[("General", "Debug")] = "True"
            set_ini(os.path.join(run, "profile", "Linkmend.INI"), settings)
            dump = (lambda: dump_postgres(pg_state, "golden_" + job)) if pg_state else (
                lambda: dump_sqlite(os.path.join(run, "linkmend-demo.db")))
            before = dump()
            files = {}
            for label, production in (("test", False), ("production", True)):
                for name, data in run_program(build, run, os.path.join(run, "reports-" + label), production).items():
                    files[label + "/" + name] = data
            files.update(("production-changed/" + k, v) for k, v in changes(before, dump()).items())
            folders = {"<RUN>": run, "<BUILD>": build}
            for name, data in files.items():
                out[kind + "/" + job + "/" + name] = normalise(data, folders)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return out


def read_archive(path):
    files = {}
    if os.path.exists(path):
        with tarfile.open(path, "r:xz") as tar:
            for member in tar.getmembers():
                if member.isfile():
                    files[member.name] = tar.extractfile(member).read()
    return files


def write_archive(path, files):
    with tarfile.open(path + ".new", "w:xz", preset=9) as tar:
        for name in sorted(files):
            info = tarfile.TarInfo(name)
            info.size, info.mtime, info.mode = len(files[name]), 0, 0o644
            tar.addfile(info, io.BytesIO(files[name]))
    os.replace(path + ".new", path)


def check(build, archive, pg_state):
    kind = "postgres" if pg_state else "sqlite"
    got = capture(build, {}, pg_state)
    want = {k: v for k, v in read_archive(archive).items() if k.startswith(kind + "/")}
    problems = 0
    for name in sorted(set(want) | set(got)):
        if name not in got:
            print("missing: " + name)
        elif name not in want:
            print("unexpected: " + name)
        elif want[name] != got[name]:
            print("differs: " + name)
            diff = difflib.unified_diff(want[name].decode("latin-1").splitlines(),
                                        got[name].decode("latin-1").splitlines(), "expected", "got", lineterm="", n=1)
            for i, line in enumerate(diff):
                if i >= 40:
                    print("  ...")
                    break
                print("  " + line[:300])
        else:
            continue
        problems += 1
    print("%d of %d files differ" % (problems, len(set(want) | set(got))))
    return 1 if problems else 0


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("mode", choices=["capture", "check"])
    p.add_argument("build")
    p.add_argument("folder", metavar="archive")
    p.add_argument("--postgres", metavar="STATEFILE")
    a = p.parse_args()
    if a.mode == "capture":
        kind = "postgres/" if a.postgres else "sqlite/"
        files = {k: v for k, v in read_archive(a.folder).items() if not k.startswith(kind)}
        write_archive(a.folder, capture(a.build, files, a.postgres))
        return 0
    return check(a.build, a.folder, a.postgres)


if __name__ == "__main__":
    sys.exit(main())
