#!/usr/bin/env python3
"""Which test cases reach code that nothing else in the suite reaches?

  tools/mutate/overlap.py [--build build-cov] [--reuse]

Builds the tree with gcov counters (build-cov: Debug, -O0 --coverage, ccache), runs the whole-program
tests (tests/golden and tests/app but the packaging ones) once, then every other CTest test on its
own (both database variants of a case count as one case), and reads the lines and branches of src/
(not the generated tables) each one reached. It prints:

- the cases whose every line and branch is reached by the whole-program tests or by a case still
  kept (taken biggest first): the ones a cut could drop without leaving code unreached;
- the lines of src/ that only the cases reach, file by file.

Reaching a line is not checking it: a case on this list may still be the one that compares the
result with an independent oracle. It is a list to read, not a verdict. --reuse keeps the counts of
an earlier run (build-cov/overlap.pickle) and only prints.
"""
import argparse
import collections
import glob
import json
import os
import pickle
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WHOLE = re.compile(r"(^golden_|^demo_changes_|^app_crash$|Batch\.|BatchUsageTest\.|CommandLineTest\.|CliHostTest\.|FileRun\."
                   r"|Restore\.|RunGuards\.)")
NOT_A_CASE = re.compile(r"^(app_|linkmend_pg_cluster)")


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


def reached(build):
    """(lines, branches) of src/ with a count, from every .gcda under build/src."""
    src = os.path.join(ROOT, "src") + os.sep
    lines, branches = set(), set()
    by_folder = collections.defaultdict(list)
    for gcda in glob.glob(os.path.join(build, "src", "**", "*.gcda"), recursive=True):
        by_folder[os.path.dirname(gcda)].append(gcda)
    for folder, files in by_folder.items():
        for doc in run(["gcov", "-t", "-j", "-b", "-o", folder] + files, cwd=folder).stdout.splitlines():
            if not doc.startswith("{"):
                continue
            data = json.loads(doc)
            for f in data["files"]:
                path = os.path.normpath(os.path.join(data.get("current_working_directory", folder), f["file"]))
                if not path.startswith(src) or "/generated/" in path:
                    continue
                rel = path[len(src):]
                for line in f["lines"]:
                    if line["count"] > 0:
                        lines.add((rel, line["line_number"]))
                        branches.update((rel, line["line_number"], i)
                                        for i, b in enumerate(line.get("branches", [])) if b["count"] > 0)
    return lines, branches


def measure(build):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LINKMEND_REQUIRE_POSTGRES="1",
               LINKMEND_PG_STATE=os.path.join(build, "tests", "db", "pg-cluster.state"))
    if not os.path.exists(os.path.join(build, "build.ninja")):
        flags = "-O0 --coverage"
        status = run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                      "-DCMAKE_CXX_FLAGS_DEBUG=" + flags, "-DCMAKE_C_FLAGS_DEBUG=" + flags,
                      "-DCMAKE_EXE_LINKER_FLAGS=--coverage", "-DCMAKE_SHARED_LINKER_FLAGS=--coverage",
                      "-DLINKMEND_BUILD_BENCH=OFF", "-DLINKMEND_BUILD_UI=ON",
                      "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"])
        if status.returncode != 0:
            sys.exit(status.stdout + status.stderr)
    if run(["cmake", "--build", build, "-j2"]).returncode != 0:
        sys.exit("the coverage tree does not build")
    cluster = os.path.join(build, "tests", "db", "linkmend_pgcluster")
    if run([cluster, "start", env["LINKMEND_PG_STATE"]], env=env).returncode != 0:
        sys.exit("the PostgreSQL test cluster does not start")
    try:
        listing = json.loads(run(["ctest", "--test-dir", build, "--show-only=json-v1"]).stdout)
        names = [t["name"] for t in listing["tests"]]

        def counts(selected):
            for gcda in glob.glob(os.path.join(build, "**", "*.gcda"), recursive=True):
                os.unlink(gcda)
            regex = "^(%s)$" % "|".join(re.escape(n) for n in selected)
            status = run(["ctest", "--test-dir", build, "-R", regex, "-FA", ".*"], env=env).returncode
            if status != 0:
                print("failed: %s" % ", ".join(selected), file=sys.stderr)
            return reached(build)

        whole = counts([n for n in names if WHOLE.search(n)])
        cases = collections.defaultdict(list)
        for n in names:
            if not WHOLE.search(n) and not NOT_A_CASE.match(n):
                cases[re.sub(r"^\w+/|/\w+$", "", re.sub(r"\s+#.*$", "", n))].append(n)
        each = {}
        for case, selected in sorted(cases.items()):
            each[case] = counts(selected)
            print("measured %s" % case, file=sys.stderr, flush=True)
        return whole, each
    finally:
        run([cluster, "stop", env["LINKMEND_PG_STATE"]], env=env)


def case_sizes():
    sizes = {}
    for path in glob.glob(os.path.join(ROOT, "tests", "**", "*.cpp"), recursive=True):
        with open(path, errors="replace") as f:
            lines = f.read().split("\n")
        starts = [(i, m) for i, text in enumerate(lines)
                  for m in [re.match(r"^(?:TEST|TEST_F|TEST_P)\((\w+), *(\w+)", text)] if m]
        for k, (start, m) in enumerate(starts):
            end = starts[k + 1][0] if k + 1 < len(starts) else len(lines)
            sizes["%s.%s" % m.groups()] = (end - start, os.path.relpath(path, ROOT))
    return sizes


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(ROOT, "build-cov"))
    parser.add_argument("--reuse", action="store_true")
    opts = parser.parse_args()
    store = os.path.join(opts.build, "overlap.pickle")
    if opts.reuse:
        with open(store, "rb") as f:
            whole, each = pickle.load(f)
    else:
        whole, each = measure(opts.build)
        with open(store, "wb") as f:
            pickle.dump((whole, each), f)
    points = lambda lb: {("L",) + x for x in lb[0]} | {("B",) + x for x in lb[1]}
    whole_points, case_points = points(whole), {c: points(lb) for c, lb in each.items()}
    sizes = case_sizes()
    held = collections.Counter(p for ps in case_points.values() for p in ps)
    dropped = 0
    print("Cases that reach nothing the whole-program tests and the cases kept do not (biggest first):")
    for case in sorted((c for c in case_points if c in sizes), key=lambda c: -sizes[c][0]):
        if all(p in whole_points or held[p] > 1 for p in case_points[case]):
            held.subtract(case_points[case])
            size, where = sizes[case]
            dropped += size
            print("  %4d  %-40s %s" % (size, where, case))
    print("  %d lines in all" % dropped)
    only = collections.Counter(f for f, _ in set().union(*(lb[0] for lb in each.values())) - whole[0])
    print("\nLines of src/ only the cases reach: %d (the whole-program tests reach %d)" % (sum(only.values()),
                                                                                        len(whole[0])))
    for f, n in only.most_common(15):
        print("  %5d  src/%s" % (n, f))


if __name__ == "__main__":
    main()
