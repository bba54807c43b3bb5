#!/usr/bin/env python3
"""The demo tools as a user runs them: what the generator refuses and leaves alone, the database demo/README.md
promises, setup-demo.sh's one folder (whole runs on the demo are the golden tests').  demo_test.py BUILD_DIR CLASS"""
import json
import os
import pathlib
import re
import sqlite3
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.abspath(sys.argv.pop(1))
OLD_STEM = b"http://ezproxy.demo-university.edu/login?url="
# Each record as Perl's MARC::Record decodes it: "ok", or what it found wrong.
MARC_RECORD = ("binmode STDIN; local $/ = \"\\x1d\"; while (my $raw = <STDIN>) { my @w; local $SIG{__WARN__} = "
               "sub { push @w, @_ }; my $r = MARC::File::USMARC->decode($raw); push @w, $r ? $r->warnings() : "
               "'not decoded'; chomp @w; print @w ? join(' | ', @w) : 'ok', \"\\n\" }")
RIGHTS = " || ".join(k + a for k in ("BIB_", "HOLD_", "ITEM_", "AUTH_") for a in ("ADD", "UPDATE", "DELETE"))


def run(args, env=None, stdin=None):
    done = subprocess.run(args, env=dict(os.environ, **(env or {})), input=stdin, capture_output=True)
    return done.returncode, (done.stdout + done.stderr).decode(errors="replace")


def generate(*args):
    return run([sys.executable, os.path.join(SOURCE, "tools", "demo", "generate.py")] + list(args))


def links(record):
    """Each 856 of an ISO 2709 record (read by its directory) as its subfields (code, octets)."""
    base = int(record[12:17])
    return [[(s[:1], s[1:]) for s in record[base + int(record[d + 7:d + 12]):][:int(record[d + 3:d + 7]) - 1]
             .split(b"\x1f")[1:]] for d in range(24, base - 1, 12) if record[d:d + 3] == b"856"]


def matches(record):  # the first $u of some 856 starts with the old stem exactly, as the job tests it
    return any(us[0].startswith(OLD_STEM) for f in links(record) for us in [[t for c, t in f if c == b"u"]] if us)


def records(db, kind):
    out = {}
    for rid, segment in db.execute("SELECT %s_ID, RECORD_SEGMENT FROM %s_DATA ORDER BY 1, SEQNUM" % (kind, kind)):
        out[rid] = out.get(rid, b"") + bytes(segment)
    return out


class DemoGenerator(unittest.TestCase):
    def test_refusals_records_their_link_index_the_share_and_the_operators(self):
        work = self.enterContext(tempfile.TemporaryDirectory(prefix="linkmend-demo-test-"))
        db, summary = os.path.join(work, "demo.db"), os.path.join(work, "s.json")
        for code, args, message in [
                (2, ["--sqlite", db, "--bibs", "1000001"], "--bibs must be 1 to 1000000, not 1000001"),
                (2, ["--sqlite", db, "--matching", "half"], "--matching must be a percentage from 0 to 100"),
                (2, ["--postgres", "x", "--grant-select", "x; DROP TABLE y"], "--grant-select takes a plain role")]:
            status, out = generate(*args)
            self.assertEqual((status, message in out, "Traceback" in out), (code, True, False), out)
        self.assertFalse(os.path.exists(db))
        self.assertEqual(generate("--sqlite", db, "--bibs", "305", "--matching", "10", "--summary", summary)[0], 0)
        c, index, exact = sqlite3.connect(db), [], set()
        for kind in ("BIB", "MFHD", "AUTH"):
            whole = records(c, kind)
            verdicts = run(["perl", "-MMARC::File::USMARC", "-e", MARC_RECORD], stdin=b"".join(whole.values()))[1]
            self.assertEqual(verdicts.split("\n")[:-1], ["ok"] * len(whole), kind)
            for rid, record in whole.items():
                exact |= {(kind[0], rid)} if matches(record) else set()
                for f in links(record):  # the link index: a row per $u, its scheme, the first $y, $z or $3
                    text = next((t for want in (b"y", b"z", b"3") for code, t in f if code == want), None)
                    for u in (t for code, t in f if code == b"u"):
                        scheme = re.match(rb"([A-Za-z][A-Za-z0-9+.-]*):", u)
                        index.append((kind[0], rid, scheme.group(1).upper().decode() if scheme else "", u, text))
        rows = c.execute("SELECT RECORD_TYPE, RECORD_ID, LINK_SUBTYPE, CAST(LINK AS BLOB), CAST(LINK_TEXT AS BLOB) "
                         "FROM ELINK_INDEX WHERE RECORD_TYPE <> 'I'").fetchall()
        self.assertEqual(sorted(rows), sorted(index))
        counts = json.loads(pathlib.Path(summary).read_text())  # 10% of 305 rounded half up
        self.assertEqual([counts["bibs_matching"], sum(k == "B" for k, _ in exact), counts["records_to_change"]],
                         [31, 31, len(exact)])
        for op, rights, location in [("cataloger", "YYYYYYYYYYYY", 5), ("bibcat", "YYNNNNNNNNNN", 5),
                                     ("holdcat", "NNNYYNNNNNNN", 8), ("guest", None, None)]:
            (hash_,), = c.execute("SELECT PASSWORD_HASH FROM OPERATOR WHERE OPERATOR_ID = ?", (op,))
            verify = "print join ',', map { crypt($_, $ARGV[0]) eq $ARGV[0] ? 1 : 0 } @ARGV[1, 2]"
            self.assertEqual(run(["perl", "-e", verify, hash_, op + "-demo", op + "-demox"]), (0, "1,0"), op)
            got = c.execute("SELECT " + RIGHTS + " FROM CAT_OPERATOR NATURAL JOIN CAT_PROFILE NATURAL JOIN "
                            "CAT_SECURITY_LOCS NATURAL JOIN CAT_POLICY_LOCS WHERE OPERATOR_ID = ? AND LOCATION_ID = ? "
                            "AND CATALOGING_LOCATION = 'Y'", (op, location)).fetchall()
            self.assertEqual(got, [(rights,)] if rights else [], op)  # the happening location is one of its own
        before = pathlib.Path(db).read_bytes()
        self.assertIn("already holds rows (table BIB_MASTER); nothing was changed", generate("--sqlite", db)[1])
        self.assertEqual(pathlib.Path(db).read_bytes(), before)


class DemoSetup(unittest.TestCase):
    def test_the_sqlite_demo_lives_in_its_folder_and_the_read_only_source_cannot_write(self):
        work = self.enterContext(tempfile.TemporaryDirectory(prefix="linkmend-demo-test-"))
        rundir, home = os.path.join(work, "run"), os.path.join(work, "home")
        os.mkdir(home)

        def setup(*args):
            return run(["sh", os.path.join(SOURCE, "demo", "setup-demo.sh"), BUILD, "--run", rundir] + list(args),
                       {"HOME": home, "XDG_CONFIG_HOME": home + "/.config"})

        def sql(dsn, statement):  # SQLite ignores the account
            env = {"ODBCSYSINI": rundir, "ODBCINI": rundir + "/odbc.ini"}
            return run(["isql", "-b", "-v", "-d|", dsn, "u", "p"], env, statement.encode() + b"\n")[1]

        code, out = setup("--bibs", "150", "--seed", "3")
        self.assertEqual((code, "Demo ready in " + rundir in out), (0, True), out)
        ini = pathlib.Path(rundir + "/profile/Linkmend.INI").read_text()  # passwords stored scrambled
        self.assertEqual(re.findall(r"^(UID=.*|PWD=.*-demo)$", ini, re.M), ["UID=dbread", "UID=cataloger"])
        self.assertEqual(os.stat(rundir + "/profile/Linkmend.INI").st_mode & 0o777, 0o600)
        self.assertIn("attempt to write a readonly database",
                      sql("LinkmendDemoRO", "INSERT INTO main.LIBRARY (LIBRARY_ID) VALUES (99)"))
        self.assertEqual(setup("--bibs", "120")[0], 0)  # a second setup starts afresh
        self.assertEqual(sql("LinkmendDemoRO", "SELECT COUNT(*) FROM main.BIB_MASTER").split(), ["120"])
        self.assertEqual(os.listdir(home), [], "nothing may go to the user's own home or ~/.config")


if __name__ == "__main__":
    unittest.main()
