#!/usr/bin/env python3
"""The installed program: cmake --install into a temporary prefix, the demo made with the installed
generator and run headless by the installed linkmend; its manual page and desktop entry.
install_test.py BUILD_DIR CLASS"""
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

BUILD = os.path.abspath(sys.argv.pop(1))


def run(args, env=None, cwd=None):
    done = subprocess.run(args, env=dict(os.environ, **(env or {})), cwd=cwd, capture_output=True, timeout=120)
    return done.returncode, done.stdout.decode(errors="replace"), done.stderr.decode(errors="replace")


class Install(unittest.TestCase):
    def test_the_installed_program_runs_the_demo_and_documents_itself(self):
        work = self.enterContext(tempfile.TemporaryDirectory(prefix="linkmend-install-test-"))
        prefix, rundir = os.path.join(work, "prefix"), os.path.join(work, "run")
        code, out, err = run(["cmake", "--install", BUILD, "--prefix", prefix])
        self.assertEqual(code, 0, out + err)
        program, share = os.path.join(prefix, "bin", "linkmend"), os.path.join(prefix, "share")
        extension = os.path.join(prefix, "lib", "linkmend", "linkmend_sqlite.so")
        self.assertTrue(os.access(program, os.X_OK) and os.path.isfile(extension), os.listdir(prefix))

        demo = os.path.join(share, "linkmend", "tools", "demo")
        db, summary = os.path.join(work, "demo.db"), os.path.join(work, "summary.json")
        for script, args in [("generate.py", ["--sqlite", db, "--bibs", "120", "--summary", summary]),
                             ("configure.py", ["--run", rundir, "--sqlite", db, "--extension", extension])]:
            code, out, err = run([sys.executable, os.path.join(demo, script)] + args)
            self.assertEqual(code, 0, out + err)
        with open(os.path.join(rundir, "odbc.ini")) as f:
            self.assertEqual(re.findall(r"^LoadExt = (.*)$", f.read(), re.M), [extension] * 2)
        env = {"ODBCSYSINI": rundir, "ODBCINI": os.path.join(rundir, "odbc.ini"), "TMPDIR": work,
               "LINKMEND_PROFILE_DIR": os.path.join(rundir, "profile"), "LANG": "C.UTF-8"}
        code, out, err = run([program, "--batch"], env)
        self.assertEqual(code, 0, out + err)
        report = out.splitlines()[-1]
        self.assertRegex(report, "^" + re.escape(rundir) + r"/reports/LINKMEND\.\d{8}\.\d{6}\.Report\.txt$")
        with open(summary) as f:
            changes = json.load(f)["records_to_change"]
        with open(report, "rb") as f:
            counters = re.findall(rb"^ +(\d+) (records .*?)\r$", f.read(), re.M)
        self.assertEqual(counters[1:], [(b"%d" % changes, b"records needing the requested change"),
                                        (b"%d" % changes, b"records would have been updated")])

        page = os.path.join(share, "man", "man1", "linkmend.1")
        for check in (["groff", "-man", "-ww", "-z", page], ["man", "--warnings", "-l", page]):
            code, out, err = run(check, {"MANWIDTH": "80", "MANPAGER": "cat", "PAGER": "cat"})
            self.assertEqual((code, err), (0, ""), check)
        self.assertIn("--restore", out)
        self.assertIn("EXIT STATUS", out)
        with open(os.path.join(share, "applications", "linkmend.desktop")) as f:
            entry = f.read()
        self.assertEqual(re.findall(r"^(Type|Exec)=(.*)$", entry, re.M),
                         [("Type", "Application"), ("Exec", os.path.basename(program))])


if __name__ == "__main__":
    unittest.main()
