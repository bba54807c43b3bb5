#!/usr/bin/env python3
"""Production runs of the real program killed (SIGKILL) at seeded random points, on the demo
database in SQLite and in PostgreSQL (a cluster of this test's own). After every kill: each stored
record is whole (its segments join into a MARC record whose leader length is its length), and
every record the run's ChangedRecords.txt names differs from the record before the first run.
Then a run completes the job and a last one finds nothing left to change. On PostgreSQL the
completing run is followed by an immediate stop of the server: what it listed survives.

  crash.py BUILD_DIR [--kills N] [--seed S] [--bibs N] [--only sqlite|postgres]
"""
import argparse
import glob
import os
import pty
import random
import re
import select
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "golden"))
import golden  # noqa: E402  (set_ini, environment)

SOURCE = golden.SOURCE
TABLES = {"B": ("BIB_DATA", "BIB_ID"), "H": ("MFHD_DATA", "MFHD_ID"), "A": ("AUTH_DATA", "AUTH_ID")}
PSQL_ENV = dict(os.environ, PGPASSWORD="linkmend-owner-secret")


class Database:
    """The records of the demo database, kind -> {id: octets}, read straight from its tables."""

    def __init__(self, run, cluster=None, name=None):
        self.run, self.cluster, self.name = run, cluster, name

    def records(self):
        out = {}
        for kind, (table, key) in TABLES.items():
            rows = {}
            for rid, segment in self.rows("SELECT %s, RECORD_SEGMENT FROM %s ORDER BY %s, SEQNUM" % (key, table, key)):
                rows[rid] = rows.get(rid, b"") + segment
            out[kind] = rows
        return out

    def rows(self, sql):
        if not self.cluster:
            db = sqlite3.connect("file:%s/linkmend-demo.db?mode=ro" % self.run, uri=True)
            try:
                return [(str(r), bytes(s)) for r, s in db.execute(sql)]
            finally:
                db.close()
        sql = sql.replace("RECORD_SEGMENT", "encode(RECORD_SEGMENT, 'hex')").replace(" FROM ", " FROM linkmend_db.")
        done = subprocess.run(self.cluster.psql(self.name, "COPY (%s) TO STDOUT" % sql), env=PSQL_ENV,
                              stdout=subprocess.PIPE, check=True)
        return [(r.decode(), bytes.fromhex(s.decode())) for r, s in
                (line.split(b"\t") for line in done.stdout.splitlines())]


class Cluster:
    """A PostgreSQL cluster of the test's own, so that its server can be stopped at once."""

    def __init__(self, build, work):
        self.tool = os.path.join(build, "tests", "db", "linkmend_pgcluster")
        self.state = os.path.join(work, "pg.state")
        subprocess.run([self.tool, "start", self.state, "--durable"], check=True, stdout=subprocess.DEVNULL)
        values = dict(line.rstrip("\n").split("=", 1) for line in open(self.state) if "=" in line)
        self.running = values.get("status") == "running"
        self.folder, self.port, self.bindir = values.get("folder"), values.get("port"), values.get("bindir")

    def psql(self, database, sql):
        return [os.path.join(self.bindir, "psql"), "-X", "-q", "-h", self.folder, "-p", self.port,
                "-U", "linkmend_owner", "-d", database, "-c", sql]

    def crash_and_restart(self):
        as_server = ["runuser", "-u", "postgres", "--"] if os.geteuid() == 0 else []
        ctl = as_server + [os.path.join(self.bindir, "pg_ctl"), "-D", os.path.join(self.folder, "data"), "-w"]
        subprocess.run(ctl + ["-m", "immediate", "stop"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(ctl + ["-l", os.path.join(self.folder, "server.log"), "-o", "-p " + self.port, "start"],
                       check=True, stdout=subprocess.DEVNULL)

    def stop(self):
        subprocess.run([self.tool, "stop", self.state], stdout=subprocess.DEVNULL)


def run_program(build, run, reports, kill_after=None, production=True):
    """A production run listing its changes into `reports`; with kill_after (a count of changed
    records, 0: as soon as records are retrieved) it is killed when its progress shows that count.
    Returns (exit status or None when killed, the files it left by suffix)."""
    os.makedirs(reports)
    golden.set_ini(os.path.join(run, "profile", "Linkmend.INI"), {("Folders", "FolderForReports"): reports + "/"})
    # Standard error on a terminal: the progress line is rewritten for every record.
    master, slave = pty.openpty()
    options = ["--production", "--list-changed"] if production else []
    proc = subprocess.Popen([os.path.join(build, "src", "app", "linkmend"), "--batch"] + options,
                            env=golden.environment(run), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=slave)
    os.close(slave)
    seen, killed = b"", False
    while True:
        if select.select([master], [], [], 120)[0] == []:
            proc.kill()
            raise SystemExit("crash.py: the run printed nothing for two minutes")
        try:
            chunk = os.read(master, 65536)
        except OSError:
            break  # the run ended and closed its side
        if not chunk:
            break
        seen = (seen + chunk)[-4096:]
        if kill_after is not None and not killed:
            counts = re.findall(rb"Changed: (\d+)", seen)
            if (counts and int(counts[-1]) >= kill_after) or (kill_after == 0 and b"Retrieving records" in seen):
                proc.send_signal(signal.SIGKILL)
                killed = True
    os.close(master)
    status = proc.wait()
    files = {path.split(".")[-2]: open(path, "rb").read() for path in glob.glob(os.path.join(reports, "LINKMEND.*"))}
    return (None if killed else status), files


class Failed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failed(message)


def check(db, before, files, what):
    """Every record whole; every record listed as changed differs from before the first run."""
    now = db.records()
    for kind, records in now.items():
        for rid, octets in records.items():
            leader = octets[:5]
            whole = leader.isdigit() and int(leader) == len(octets) and octets.endswith(b"\x1d")
            expect(whole, "%s: %s record %s is not whole (%d octets, leader %r)" %
                   (what, kind, rid, len(octets), octets[:24]))
    # Only whole lines: a line the kill cut short names no record.
    for line in re.findall(rb"([BHA])\t(\d+)\r\n", files.get("ChangedRecords", b"")):
        kind, rid = line[0].decode(), line[1].decode()
        expect(now[kind].get(rid) != before[kind].get(rid), "%s: %s %s is listed but unchanged" % (what, kind, rid))
    return now


def updated(report, what=b"records updated"):
    m = re.search(rb"(\d+) " + what, report)
    return int(m.group(1)) if m else 0


def crash_database(build, kind, kills, rng, bibs, work):
    run = os.path.join(work, kind)
    setup = ["sh", os.path.join(SOURCE, "demo", "setup-demo.sh"), build, "--run", run, "--bibs", str(bibs)]
    cluster = None
    if kind == "postgres":
        cluster = Cluster(build, work)
        if not cluster.running:
            print("postgres: skipped, no PostgreSQL cluster (see %s)" % cluster.state)
            return
        setup += ["--pg-cluster", cluster.state, "--pg-database", "crash"]
    try:
        subprocess.run(setup, check=True, stdout=subprocess.DEVNULL)
        db = Database(run, cluster, "crash")
        before = db.records()
        _, files = run_program(build, run, os.path.join(run, "test"), production=False)
        to_change = updated(files["Report"], b"records would have been updated")
        changed = 0  # records changed so far, as the database holds them
        for k in range(kills):
            point = rng.randrange(0, max(1, to_change - changed))  # among the changes still to come
            status, files = run_program(build, run, os.path.join(run, "killed-%d" % k), point)
            now = check(db, before, files, "%s kill %d at %d" % (kind, k + 1, point))
            changed = sum(now[t][r] != before[t].get(r) for t in now for r in now[t])
            print("%s: kill %d after %d changes%s; %d records changed so far" %
                  (kind, k + 1, point, "" if status is None else " came too late (exit %d)" % status, changed))
        status, files = run_program(build, run, os.path.join(run, "complete"))
        expect(status == 0, "%s: the completing run ended with %s" % (kind, status))
        listed = len(re.findall(rb"\r\n", files.get("ChangedRecords", b"")))
        expect(listed == updated(files["Report"]), "%s: %d listed, report says otherwise" % (kind, listed))
        if cluster:
            cluster.crash_and_restart()
        check(db, before, files, kind + " completing run")
        status, files = run_program(build, run, os.path.join(run, "final"))
        expect(status == 0 and updated(files["Report"]) == 0, "%s: the final run still changed records" % kind)
        print("%s: the completing run changed %d records, the final run none" % (kind, listed))
    finally:
        if cluster:
            cluster.stop()


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("build")
    p.add_argument("--kills", type=int, default=5, help="kills per database (default 5)")
    p.add_argument("--seed", type=int, default=11)
    p.add_argument("--bibs", type=int, default=400)
    p.add_argument("--only", choices=["sqlite", "postgres"])
    a = p.parse_args()
    build = os.path.abspath(a.build)
    work = tempfile.mkdtemp(prefix="linkmend-crash-")
    try:
        for kind in ["sqlite", "postgres"]:
            if a.only in (None, kind):
                started = time.time()
                crash_database(build, kind, a.kills, random.Random("%d-%s" % (a.seed, kind)), a.bibs, work)
                print("%s: %.1f s" % (kind, time.time() - started))
    except Failed as e:
        print("FAILED: %s" % e)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
