#!/usr/bin/env python3
"""The installed program: cmake --install into a temporary prefix, the demo made with the installed
generator and run headless by the installed linkmend; its manual page and desktop entry; and the .deb
CPack builds from the same rules.  install_test.py BUILD_DIR CLASS"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

BUILD = os.path.abspath(sys.argv.pop(1))
CMAKE_DIR = os.path.dirname(shutil.which("cmake") or "/usr/bin/cmake")


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
        desktop = os.path.join(share, "applications", "linkmend.desktop")
        self.assertEqual(run(["desktop-file-validate", desktop])[1:], ("", ""))
        with open(desktop) as f:
            entry = f.read()
        self.assertEqual(re.findall(r"^(Type|Exec)=(.*)$", entry, re.M),
                         [("Type", "Application"), ("Exec", os.path.basename(program))])


class Package(unittest.TestCase):
    def test_the_deb_declares_its_dependencies_and_holds_the_installed_files(self):
        work = self.enterContext(tempfile.TemporaryDirectory(prefix="linkmend-package-test-"))
        code, out, err = run([os.path.join(CMAKE_DIR, "cpack"), "-G", "DEB", "-B", work,
                              "--config", os.path.join(BUILD, "CPackConfig.cmake")])
        self.assertEqual(code, 0, out + err)
        debs = [n for n in os.listdir(work) if n.endswith(".deb")]
        self.assertEqual(len(debs), 1, os.listdir(work))
        self.assertRegex(debs[0], r"^linkmend_\d+\.\d+\.\d+_amd64\.deb$")
        deb = os.path.join(work, debs[0])
        info = run(["dpkg-deb", "-f", deb, "Package", "Section", "Depends"])[1]
        fields = dict(line.split(": ", 1) for line in info.splitlines())
        self.assertEqual((fields["Package"], fields["Section"]), ("linkmend", "misc"))
        depends = {d.split()[0] for d in fields["Depends"].split(", ")}
        self.assertLessEqual({"unixodbc", "libsqliteodbc", "odbc-postgresql", "libc6", "libstdc++6"}, depends)
        self.assertTrue(any(d.startswith("libqt6widgets") for d in depends), depends)
        files = set(re.findall(r" \./(\S+)$", run(["dpkg-deb", "-c", deb])[1], re.M))
        self.assertLessEqual({"usr/bin/linkmend", "usr/lib/linkmend/linkmend_sqlite.so",
                              "usr/share/man/man1/linkmend.1", "usr/share/applications/linkmend.desktop",
                              "usr/share/linkmend/tools/demo/generate.py",
                              "usr/share/linkmend/demo/templates/odbc-sqlite.ini.in"}, files)


if __name__ == "__main__":
    unittest.main()
