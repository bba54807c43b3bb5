#!/usr/bin/env python3
"""The demo tools as a user runs them. generate.py: impossible arguments refused before anything is
written, a file or database that is not an empty demo left as it was, and rows that hold together
(records MARC::Record reads without complaint, a link index that is exactly their 856 $u, the asked
share with the old stem, operators whose passwords verify, history that agrees with the records).
setup-demo.sh: one folder whose database and settings work together, nothing written outside it.
Whole runs of the program on the demo (SQLite and PostgreSQL, the same rows for the same seed) are the
golden tests' (tests/golden).

  demo_test.py BUILD_DIR
"""
import json
import os
import re
import sqlite3
import stat
import subprocess
import sys
import tempfile
import unittest
import warnings
from unittest import mock

with warnings.catch_warnings():  # glibc's crypt, as the demo's operators' hashes are made for it
    warnings.simplefilter("ignore", DeprecationWarning)
    import crypt

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else os.path.join(SOURCE, "build")
OLD_STEM = b"http://ezproxy.demo-university.edu/login?url="
# The operators demo/README.md documents: password, CAT_PROFILE rights in the reader's order, location.
OPERATORS = {"cataloger": ("cataloger-demo", "YYYYYYYYYYYY", 5), "bibcat": ("bibcat-demo", "YYNNNNNNNNNN", 5),
             "holdcat": ("holdcat-demo", "NNNYYNNNNNNN", 8), "guest": ("guest-demo", "", None)}
# Each MARC record as Perl's MARC::Record decodes it: "ok", or what it found wrong.
MARC_RECORD = ("binmode STDIN; local $/ = \"\\x1d\"; while (my $raw = <STDIN>) { my @w; local $SIG{__WARN__} = "
               "sub { push @w, @_ }; my $r = MARC::File::USMARC->decode($raw); push @w, $r ? $r->warnings() : "
               "'not decoded'; chomp @w; print @w ? join(' | ', @w) : 'ok', \"\\n\" }")


def run(args, env=None, stdin=None):
    done = subprocess.run(args, env=dict(os.environ, **(env or {})), input=stdin, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT)
    return done.returncode, done.stdout


def generate(*args):
    code, out = run([sys.executable, os.path.join(SOURCE, "tools", "demo", "generate.py")] + list(args))
    return code, out.decode(errors="replace")


def fields(record):
    """An ISO 2709 record's fields by its directory: (tag, data without the terminator)."""
    base = int(record[12:17])
    return [(record[d:d + 3].decode(), record[base + int(record[d + 7:d + 12]):][:int(record[d + 3:d + 7]) - 1])
            for d in range(24, base - 1, 12)]


def subfields(data):
    return [(s[:1].decode(), s[1:]) for s in data.split(b"\x1f")[1:]]


def first_u_has_old_stem(record):
    """Whether the first $u of some 856 starts with the old stem exactly, as the job tests it."""
    return any(us[0].startswith(OLD_STEM) for tag, data in fields(record) if tag == "856"
               for us in [[t for c, t in subfields(data) if c == "u"]] if us)


def octets(value):
    return value.encode() if isinstance(value, str) else None if value is None else bytes(value)


def records(db, table, key):
    out = {}
    for rid, seq, segment in db.execute("SELECT %s, SEQNUM, RECORD_SEGMENT FROM %s ORDER BY 1, 2" % (key, table)):
        out.setdefault(rid, []).append(bytes(segment))
        assert seq == len(out[rid]), "%s %d: SEQNUM out of order" % (table, rid)
    return out


def read_ini(path):
    values, section = {}, ""
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                section = line[1:-1].lower()
            elif "=" in line and not line.startswith(";"):
                key, value = line.split("=", 1)
                values[section + "/" + key.strip().lower()] = value.strip()
    return values


def unscramble(text):
    """A stored password read back: number 5 is the length + 70, the others the characters -5, +5, ..."""
    numbers = [int(n) for n in text.split()]
    length = numbers[4] - 70
    chars = [chr(n - 5 if i % 2 == 0 else n + 5) for i, n in enumerate(numbers[:4])]
    chars += [chr(n + 5 if i % 2 == 0 else n - 5) for i, n in enumerate(numbers[5:])]
    return "".join(chars)[-length:] if length < 10 else "".join(chars)


class InFolder(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(prefix="linkmend-demo-test-")
        self.addCleanup(self.dir.cleanup)

    def file(self, name):
        return os.path.join(self.dir.name, name)


class DemoGenerator(InFolder):
    def test_impossible_arguments_are_refused_before_anything_is_written(self):
        db = self.file("demo.db")
        percentage = "--matching must be a percentage from 0 to 100, not "
        for code, args, message in [
                (2, ["--sqlite", db, "--bibs", "0"], "--bibs must be 1 to 1000000, not 0"),
                (2, ["--sqlite", db, "--bibs", "1000001"], "--bibs must be 1 to 1000000, not 1000001"),
                (2, ["--sqlite", db, "--bibs", "many"], "--bibs: invalid int value: 'many'"),
                (2, ["--sqlite", db, "--matching", "100.5"], percentage + "100.5"),
                (2, ["--sqlite", db, "--matching", "half"], percentage + "half"),
                (2, ["--bibs", "10"], "one of the arguments --sqlite --postgres is required"),
                (2, ["--sqlite", db, "--postgres", "x"], "argument --postgres: not allowed with argument --sqlite"),
                (2, ["--postgres", "x", "--grant-select", "x; DROP TABLE y"], "--grant-select takes a plain role"),
                (1, ["--postgres", "host=127.0.0.1 port=1 dbname=nothing user=nobody connect_timeout=5"],
                 "generate.py: psql failed: ")]:
            status, out = generate(*args)
            self.assertEqual((status, message in out, "Traceback" in out), (code, True, False), out)
            self.assertFalse(os.path.exists(db), message)

    def test_a_file_that_is_not_an_empty_demo_database_is_left_as_it_was(self):
        text, empty, db = self.file("notes.db"), self.file("empty.db"), self.file("demo.db")
        for path, content, message in [
                (text, b"Shelf list, not a database\n", text + " is not an SQLite database"),
                (empty, b"", empty + " exists but lacks the demo schema (no table AUTH_DATA); nothing was changed")]:
            with open(path, "wb") as f:
                f.write(content)
            status, out = generate("--sqlite", path, "--bibs", "10")
            self.assertEqual((status, message in out), (1, True), out)
            with open(path, "rb") as f:
                self.assertEqual(f.read(), content)
        self.assertEqual(generate("--sqlite", db, "--bibs", "40")[0], 0)
        with open(db, "rb") as f:
            before = f.read()
        status, out = generate("--sqlite", db, "--bibs", "60")
        self.assertEqual(status, 1)
        self.assertIn("already holds rows (table BIB_MASTER); nothing was changed", out)
        with open(db, "rb") as f:
            self.assertEqual(f.read(), before)
        for bibs, percent, matching in [(60, "20", 12), (7, "50", 4), (9, "100", 9), (10, "0", 0), (3, "33.4", 1)]:
            self.assertEqual(generate("--sqlite", db, "--bibs", str(bibs), "--matching", percent, "--replace",
                                      "--summary", self.file("s.json"))[0], 0)  # rounded to the nearest record
            stored = records(sqlite3.connect(db), "BIB_DATA", "BIB_ID")
            found = sum(first_u_has_old_stem(b"".join(r)) for r in stored.values())
            with open(self.file("s.json")) as f:
                self.assertEqual((len(stored), found, json.load(f)["bibs_matching"]), (bibs, matching, matching))

    def test_the_rows_hold_together(self):
        db = self.file("demo.db")
        self.assertEqual(generate("--sqlite", db, "--bibs", "300", "--seed", "11", "--summary", self.file("s.json")),
                         (0, mock.ANY))
        with open(self.file("s.json")) as f:
            summary = json.load(f)
        c = sqlite3.connect(db)
        index, exact = [], set()
        for kind, key, size in [("BIB", "B", 990), ("MFHD", "M", 300), ("AUTH", "A", 990)]:
            stored = records(c, kind + "_DATA", kind + "_ID")
            ids = [r for (r,) in c.execute("SELECT %s_ID FROM %s_MASTER ORDER BY 1" % (kind, kind))]
            self.assertEqual(sorted(stored), ids)
            whole = {rid: b"".join(segments) for rid, segments in stored.items()}
            self.assertTrue(all(len(s) == size for segments in stored.values() for s in segments[:-1]), kind)
            code, verdicts = run(["perl", "-MMARC::File::USMARC", "-e", MARC_RECORD], stdin=b"".join(whole.values()))
            self.assertEqual(verdicts.decode().split("\n")[:-1], ["ok"] * len(whole), kind)
            history = {}
            for rid, action, date in c.execute("SELECT %s_ID, ACTION_TYPE_ID, ACTION_DATE FROM %s_HISTORY ORDER BY 1, 3"
                                               % (kind, kind)):
                history.setdefault(rid, []).append((action, date))
            for rid, record in whole.items():
                f = dict(fields(record))
                self.assertEqual((int(record[:5]), f["001"]), (len(record), str(rid).encode()), kind)
                self.assertEqual([a for a, d in history[rid]], [1] + [2] * (len(history[rid]) - 1), (kind, rid))
                self.assertEqual(f["005"], "".join(ch for ch in history[rid][-1][1] if ch.isdigit()).encode() + b".0")
                self.assertEqual(record[5:6], b"c" if len(history[rid]) > 1 else b"n")
                if first_u_has_old_stem(record):
                    exact.add((key, rid))
                for tag, data in fields(record):
                    subs = subfields(data) if tag == "856" else []
                    text = next((t for code in "yz3" for c2, t in subs if c2 == code), None)
                    for u in (t for c2, t in subs if c2 == "u"):
                        scheme = re.match(rb"([A-Za-z][A-Za-z0-9+.-]*):", u)
                        index.append((key, rid, scheme.group(1).upper() if scheme else b"", u, text))
        rows = c.execute("SELECT RECORD_TYPE, RECORD_ID, LINK_SUBTYPE, LINK, LINK_TEXT FROM ELINK_INDEX "
                         "WHERE RECORD_TYPE <> 'I'").fetchall()
        self.assertEqual(sorted((t, r, octets(s), octets(link), octets(text)) for t, r, s, link, text in rows),
                         sorted(index))
        self.assertEqual(sum(k == "B" for k, r in exact), 60)  # 20% of 300
        self.assertEqual((summary["bibs_matching"], summary["records_to_change"]), (60, len(exact)))
        found = {(t, r) for t, r in c.execute("SELECT RECORD_TYPE, RECORD_ID FROM ELINK_INDEX WHERE UPPER(LINK) "
                                             "LIKE ? AND RECORD_TYPE = 'B'", (OLD_STEM.decode().upper() + "%",))}
        decoys = len(found - exact)  # records the link query finds but the job must leave alone
        self.assertEqual(decoys, summary["bibs_case_variant"] + summary["bibs_second_u"])
        self.assertGreaterEqual(decoys, 2)
        for op, (password, rights, location) in OPERATORS.items():
            (hash_,), = c.execute("SELECT PASSWORD_HASH FROM OPERATOR WHERE OPERATOR_ID = ?", (op,))
            self.assertEqual([crypt.crypt(p, hash_) == hash_ for p in (password, password + "x", "")],
                             [True, False, False], op)
            got = c.execute("SELECT T2.BIB_ADD || T2.BIB_UPDATE || T2.BIB_DELETE || T2.HOLD_ADD || T2.HOLD_UPDATE || "
                            "T2.HOLD_DELETE || T2.ITEM_ADD || T2.ITEM_UPDATE || T2.ITEM_DELETE || T2.AUTH_ADD || "
                            "T2.AUTH_UPDATE || T2.AUTH_DELETE FROM CAT_OPERATOR T1, CAT_PROFILE T2 WHERE "
                            "T1.OPERATOR_ID = ? AND T2.CAT_PROFILE_ID = T1.CAT_PROFILE_ID", (op,)).fetchall()
            self.assertEqual(got[0][0] if got else "", rights, op)
            places = {r for (r,) in c.execute("SELECT T2.LOCATION_ID FROM CAT_OPERATOR T1, CAT_SECURITY_LOCS T2, "
                                              "CAT_POLICY_LOCS T3 WHERE T1.OPERATOR_ID = ? AND T2.CAT_PROFILE_ID = "
                                              "T1.CAT_PROFILE_ID AND T3.LOCATION_ID = T2.LOCATION_ID AND "
                                              "T3.CATALOGING_LOCATION = 'Y'", (op,))}
            self.assertEqual(location in places if location else not places, True, op)


class DemoSetup(InFolder):
    def setUp(self):
        super().setUp()
        self.run_dir, self.home = self.file("run"), self.file("home")
        os.mkdir(self.home)

    def setup_demo(self, *args):
        return run(["sh", os.path.join(SOURCE, "demo", "setup-demo.sh"), BUILD] + list(args),
                   {"HOME": self.home, "XDG_CONFIG_HOME": self.home + "/.config"})

    def sql(self, dsn, uid, pwd, statement):
        env = {"ODBCSYSINI": self.run_dir, "ODBCINI": self.run_dir + "/odbc.ini"}
        return run(["isql", "-b", "-v", "-d|", dsn, uid, pwd], env, statement.encode() + b"\n")[1].decode()

    def test_the_sqlite_demo_works_with_both_accounts_and_stays_in_its_folder(self):
        code, out = self.setup_demo("--bibs", "150", "--seed", "3", "--run", self.run_dir)
        self.assertEqual(code, 0, out)
        self.assertIn(b"Demo ready in " + self.run_dir.encode(), out)
        self.assertEqual(os.listdir(self.home), [], "nothing may go to the user's own home or ~/.config")
        self.assertTrue(os.path.isdir(self.run_dir + "/reports"))
        ini = read_ini(self.run_dir + "/profile/Linkmend.INI")
        expected = {"connection/dsn": "LinkmendDemoRO", "connection/tnp": "main.", "read/uid": "dbread",
                    "connection/voyagerpath": self.run_dir + "/profile/", "write/uid": "cataloger",
                    "folders/folderforreports": self.run_dir + "/reports/", "miscellaneous/happening": "5",
                    "miscellaneous/owninglibrarystring": "1 2 3", "urlstem/old": OLD_STEM.decode(),
                    "urlstem/new": "https://login.proxy.demo-university.edu/login?qurl=",
                    "urlstem/urlactions": "100000", "general/limitbylocation": "False"}
        self.assertEqual({k: ini.get(k) for k in expected}, expected)
        self.assertEqual((unscramble(ini["read/pwd"]), unscramble(ini["write/pwd"])), ("dbread-demo", "cataloger-demo"))
        self.assertNotEqual(ini["read/pwd"], "dbread-demo", "passwords are stored scrambled")
        self.assertEqual(stat.S_IMODE(os.stat(self.run_dir + "/profile/Linkmend.INI").st_mode), 0o600)
        voyager = read_ini(self.run_dir + "/profile/Voyager.INI")
        reader = read_ini(self.run_dir + "/profile/VGERREAD.INI")
        self.assertEqual((voyager["database/dsn"], voyager["database/uid"], voyager["database/pwd"]),
                         ("LinkmendDemo", "dbwrite", "dbwrite-demo"))
        self.assertEqual((reader["login/dsn"], reader["tables/tablenameprefix$"]), ("LinkmendDemoRO", "main."))
        code, env = run(["sh", "-c", '. "$RUN/env.sh" && echo "$ODBCSYSINI|$ODBCINI|$LINKMEND_PROFILE_DIR"'],
                        {"RUN": self.run_dir})
        self.assertEqual(env.decode().strip(), "|".join([self.run_dir, self.run_dir + "/odbc.ini",
                                                         self.run_dir + "/profile"]))
        # The read-only source reads segments through the built extension's RAWTOHEX and cannot write.
        ro = ("LinkmendDemoRO", "dbread", "dbread-demo")
        self.assertIn("3030", self.sql(*ro, "SELECT RAWTOHEX(RECORD_SEGMENT) FROM main.BIB_DATA WHERE BIB_ID = 1 "
                                            "AND SEQNUM = 1"))
        self.assertIn("attempt to write a readonly database",
                      self.sql(*ro, "INSERT INTO main.LIBRARY (LIBRARY_ID) VALUES (99)"))
        self.sql("LinkmendDemo", "dbwrite", "dbwrite-demo", "INSERT INTO main.LIBRARY (LIBRARY_ID) VALUES (99)")
        self.assertEqual(self.sql(*ro, "SELECT COUNT(*) FROM main.LIBRARY").split(), ["4"])
        code, out = self.setup_demo("--bibs", "120", "--run", self.run_dir)  # a second setup starts afresh
        self.assertEqual(code, 0, out)
        self.assertEqual(self.sql(*ro, "SELECT COUNT(*) FROM main.BIB_MASTER").split(), ["120"])
        self.assertEqual(self.sql(*ro, "SELECT COUNT(*) FROM main.LIBRARY").split(), ["3"])
        self.assertEqual(os.listdir(self.home), [])

    def test_bad_options_and_a_missing_demo_are_refused(self):
        for args, message in [(["--bibs"], b"setup-demo.sh: --bibs needs a value"),
                              (["--postgress", "--run", self.run_dir], b"setup-demo.sh: unknown option --postgress"),
                              (["--bibs", "0", "--run", self.run_dir], b"--bibs must be 1 to 1000000, not 0")]:
            status, out = self.setup_demo(*args)
            self.assertEqual((status, message in out), (2, True), out)
        self.assertFalse(os.path.exists(self.run_dir + "/profile/Linkmend.INI"))
        status, out = run(["sh", os.path.join(SOURCE, "demo", "run-demo.sh"), BUILD, "--run", self.run_dir])
        self.assertEqual(status, 1)
        self.assertIn(b"run-demo.sh: no demo in " + self.run_dir.encode() + b": run demo/setup-demo.sh first", out)


if __name__ == "__main__":
    unittest.main()
