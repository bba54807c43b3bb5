#!/usr/bin/env python3
"""Runs one command and prints its wall time, processor time and peak memory (the largest resident set
of the command's process tree), then, for Linkmend, the counter lines of its report and the records read
per second:  measure.py LABEL COMMAND ARGS..."""
import resource
import subprocess
import sys
import time

label, command = sys.argv[1], sys.argv[2:]
start = time.monotonic()
done = subprocess.run(command, capture_output=True, text=True, errors="replace")
wall = time.monotonic() - start
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
line = "%-34s exit %d  wall %7.2f s  cpu %7.2f s  peak %4d MB" % (
    label, done.returncode, wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss // 1024)
out = done.stdout.strip().splitlines()
report = out[-1] if out and out[-1].endswith(".Report.txt") else ""
if report:
    counts = [l.rstrip("\r\n") for l in open(report, encoding="latin-1") if l[:8].strip().isdigit()]
    read = int(counts[0].split()[0]) if counts else 0
    print(line + "  %7.0f records/s" % (read / wall if wall else 0))
    for c in counts:
        print(" " * 36 + c)
else:
    print(line)
    if out:
        print(" " * 36 + out[-1])
