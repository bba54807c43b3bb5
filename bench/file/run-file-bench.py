#!/usr/bin/env python3
"""The file-mode benchmark, all in one run on one file: linkmend --file as a test run and as a
production run, `yaz-marcdump -i marc -o marc` copying the same file, and the MARC::Record peer
(peer-rewrite.pl) making the same change. The commands take turns, RUNS rounds; each figure is the
median of its rounds (wall and processor seconds, peak resident set from /usr/bin/time). Then the
production run's OUT is compared with the peer's, octet for octet.

  run-file-bench.py [--build DIR] [--records N] [--runs R] [--work DIR] [--memory N,N,...]

--memory: production runs on files of those sizes (e.g. 100000,1000000), one each, for peak memory."""
import argparse
import filecmp
import os
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OLD, NEW = "http://old.example.org/", "https://new.example.org/"


def timed(command, stdout=subprocess.DEVNULL):
    """Wall, processor seconds and peak memory (KB) of one run, from /usr/bin/time."""
    out = os.path.join(args.work, "time.out")
    done = subprocess.run(["/usr/bin/time", "-o", out, "-f", "%e %U %S %M"] + command, stdout=stdout,
                          stderr=subprocess.DEVNULL, env=env)
    if done.returncode != 0:
        sys.exit("failed (%d): %s" % (done.returncode, " ".join(command)))
    wall, user, system, peak = open(out).read().split()[-4:]
    return float(wall), float(user) + float(system), int(peak)


def make_file(records):
    path = os.path.join(args.work, "bench-%d.mrc" % records)
    if not os.path.exists(path):
        subprocess.run([sys.executable, os.path.join(HERE, "make-marc-file.py"), str(records), path], check=True)
    return path


parser = argparse.ArgumentParser()
parser.add_argument("--build", default=os.path.join(HERE, "..", "..", "build"))
parser.add_argument("--records", type=int, default=50000)
parser.add_argument("--runs", type=int, default=3)
parser.add_argument("--work", default="/tmp/linkmend-file-bench")
parser.add_argument("--memory", default="")
args = parser.parse_args()
program = os.path.join(os.path.abspath(args.build), "src", "app", "linkmend")
os.makedirs(os.path.join(args.work, "reports"), exist_ok=True)
with open(os.path.join(args.work, "Linkmend.INI"), "w") as f:
    f.write("[Folders]\nFolderForReports=%s/reports\n[UrlStem]\nOld=%s\nNew=%s\nUrlActions=100000\nBibLimit=0\n"
            % (args.work, OLD, NEW))
# Changed UTF-8 records keep their precomposed letters, as the peer keeps them.
with open(os.path.join(args.work, "Catalog.ini"), "w") as f:
    f.write("[Preferences]\nBypassAutoDecompose=TRUE\n")
env = dict(os.environ, LINKMEND_PROFILE_DIR=args.work, TMPDIR=args.work)

source = make_file(args.records)
out = {name: os.path.join(args.work, name + ".mrc") for name in ("linkmend", "yaz", "peer")}
commands = {
    "linkmend test run": [program, "--batch", "--file", source, "--out", out["linkmend"]],
    "linkmend production run": [program, "--batch", "--file", source, "--out", out["linkmend"], "--production"],
    "yaz-marcdump -i marc -o marc": ["yaz-marcdump", "-i", "marc", "-o", "marc", source],
    "MARC::Record peer": ["perl", os.path.join(HERE, "peer-rewrite.pl"), source, out["peer"], OLD, NEW],
}
figures = {name: [] for name in commands}
print("load average before: %s" % open("/proc/loadavg").read().split()[:3])
print("file: %s, %d records, %d octets" % (source, args.records, os.path.getsize(source)))
for _ in range(args.runs):
    for name, command in commands.items():
        if name.startswith("yaz"):
            with open(out["yaz"], "wb") as copy:
                figures[name].append(timed(command, stdout=copy))
        else:
            figures[name].append(timed(command))
print("load average after:  %s" % open("/proc/loadavg").read().split()[:3])
medians = {}
print("%-30s %9s %9s %9s" % ("median of %d" % args.runs, "wall s", "cpu s", "peak MB"))
for name, runs in figures.items():
    medians[name] = [statistics.median(r[i] for r in runs) for i in range(3)]
    wall, cpu, peak = medians[name]
    print("%-30s %9.2f %9.2f %9.1f" % (name, wall, cpu, peak / 1024))
prod, yaz, peer = (medians[n] for n in ("linkmend production run", "yaz-marcdump -i marc -o marc", "MARC::Record peer"))
print("production / yaz-marcdump copy: wall %.2fx, cpu %.2fx" % (prod[0] / yaz[0], prod[1] / yaz[1]))
print("MARC::Record peer / production: wall %.1fx, cpu %.1fx" % (peer[0] / prod[0], peer[1] / prod[1]))
print("yaz-marcdump copy identical to IN: %s" % filecmp.cmp(source, out["yaz"], shallow=False))
print("production OUT identical to the peer's: %s" % filecmp.cmp(out["linkmend"], out["peer"], shallow=False))

for records in filter(None, args.memory.split(",")):
    path = make_file(int(records))
    wall, cpu, peak = timed([program, "--batch", "--file", path, "--out", out["linkmend"], "--production"])
    print("production run, %s records (%d octets): wall %.1f s, cpu %.1f s, peak %.1f MB"
          % (records, os.path.getsize(path), wall, cpu, peak / 1024))
