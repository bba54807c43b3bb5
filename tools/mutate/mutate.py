#!/usr/bin/env python3
"""Mutation testing of Linkmend's C++ sources: how many small seeded faults do the tests catch?

  tools/mutate/mutate.py [--count N] [--seed S] [--only src/DIR] [--jobs J] [--label L] [--list]

Picks mutation sites in the compiled sources under src/ (not src/marc/generated/, not src/odbc/sqlite/),
applies each mutant to a scratch copy of the tree (build-mutate/wJ/src), rebuilds the test programs of
the mutant's folder in that copy's build tree (build-mutate/wJ/build) and runs their CTest tests,
stopping at the first failure. The tests of src/X/ are those under tests/X/; mutants in the folders of
GOLDEN_FOLDERS also run the whole-run golden tests (tests/golden). A mutant that survives them meets the
whole-program tests (tests/golden and tests/app, but the packaging ones) as a second stage, unless
--folder-only is given (the figures before 2026-12-06 evening were taken that way). The real tree is
never written.
Each result line goes to tools/mutate/results-LABEL.txt as it comes; survivors follow with their diff.
"""
import argparse
import bisect
import difflib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SKIP_DIRS = ("src/marc/generated/", "src/odbc/sqlite/")
GOLDEN_FOLDERS = {"job", "voyager", "catalog", "app"}
GOLDEN_TARGETS = ["linkmend", "linkmend_sqlite", "linkmend_pgcluster"]
# The second stage: tests of the whole program, which every library's code runs under. Building and
# installing a package catches nothing a run does not and takes as long as the rest.
WHOLE_PROGRAM_FOLDERS = ("golden", "app")
WHOLE_PROGRAM_SKIP = re.compile(r"^app_(Package|Install)$")
KINDS = ["compare", "constant", "drop", "return", "andor"]
DEFAULT_SEED = 8560
CONFIGURE = ["-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_FLAGS_DEBUG=-O0", "-DCMAKE_C_FLAGS_DEBUG=-O0",
             "-DLINKMEND_BUILD_BENCH=OFF", "-DLINKMEND_BUILD_UI=ON", "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON",
             "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache",
             "-DLINKMEND_SHARED_DATA_DIR=" + os.path.join(os.path.dirname(ROOT), "shared", "data")]
TEST_ENV = {"QT_QPA_PLATFORM": "offscreen", "LINKMEND_REQUIRE_POSTGRES": "1"}

# ---- Finding mutation sites ----

TOKEN = re.compile(r"""
  (?P<pp>(?m:^)[ \t]*\#(?:\\\n|[^\n])*)
 |(?P<ws>[ \t]+|\n)
 |(?P<comment>//[^\n]*|/\*.*?\*/)
 |(?P<string>(?:u8|u|U|L)?R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)"
    |(?:u8|u|U|L)?"(?:\\.|[^"\\\n])*"|(?:u8|u|U|L)?'(?:\\.|[^'\\\n])*')
 |(?P<number>\.?\d(?:[eEpP][+-]|[\w.'])*)
 |(?P<ident>[A-Za-z_]\w*)
 |(?P<punct><=>|<<=|>>=|::|->|\+\+|--|<<|>>|&&|\|\||[-+*/%&|^!=<>]=|.)""", re.S | re.X)
INTEGER = re.compile(r"(0[xX][0-9a-fA-F']+|0|[1-9][0-9']*)([uUlLzZ]*)$")
FLIP = {"==": "!=", "!=": "==", "<": ">=", ">=": "<", "<=": ">", ">": "<="}
ASSIGN = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="}
EXPR_NEXT = {"(", ".", "->", "[", "++", "--", "<<"} | ASSIGN
NOT_EXPR = {"return", "if", "else", "for", "while", "do", "switch", "case", "default", "break", "continue",
            "goto", "throw", "const", "constexpr", "static", "auto", "using", "typedef", "namespace", "class",
            "struct", "enum", "union", "template", "typename", "friend", "virtual", "explicit", "inline",
            "extern", "delete", "new", "try", "catch", "operator", "public", "private", "protected",
            "static_assert", "co_return", "co_await", "co_yield", "bool", "char", "int", "long", "short",
            "unsigned", "signed", "float", "double", "void", "this"}
FUNC_BODY_AFTER = {")", "const", "override", "noexcept", "final", "mutable"}


class Tok:
    __slots__ = ("kind", "text", "start", "end")

    def __init__(self, kind, text, start):
        self.kind, self.text, self.start, self.end = kind, text, start, start + len(text)


def tokenize(text):
    toks, pos = [], 0
    while pos < len(text):
        m = TOKEN.match(text, pos)
        kind = m.lastgroup if m.lastgroup != "delim" else "string"
        if kind not in ("pp", "ws", "comment"):
            toks.append(Tok(kind, m.group(), pos))
        pos = m.end()
    return toks


class SiteFinder:
    """Walks one file's tokens: operator and constant sites anywhere in code, statement sites in
    function bodies (a block opened after ')', 'const', 'override', ... or a lambda's)."""

    def __init__(self, text):
        self.text, self.toks, self.sites = text, tokenize(text), []
        self.toks.append(Tok("eof", "", len(text)))

    def t(self, i):
        return self.toks[i].text

    def spaced(self, tok):
        return self.text[tok.start - 1:tok.start] in (" ", "\n") and self.text[tok.end:tok.end + 1] in (" ", "\n")

    def add(self, kind, start, end, new):
        self.sites.append((kind, start, end, new))

    def operators(self, rng):
        for i, tok in enumerate(self.toks[:-1]):
            prev = self.t(i - 1) if i else ""
            if prev in ("operator", "template"):
                continue
            if tok.text in FLIP and (tok.text not in ("<", ">") or self.spaced(tok)):
                self.add("compare", tok.start, tok.end, FLIP[tok.text])
            elif tok.text in ("&&", "||") and self.spaced(tok):
                self.add("andor", tok.start, tok.end, "||" if tok.text == "&&" else "&&")
            elif tok.kind == "number" and INTEGER.match(tok.text):
                if prev == "=" and self.t(i + 1) == ";" and self.t(i - 2) in FUNC_BODY_AFTER:
                    continue  # "= 0;" of a pure virtual function
                digits, suffix = INTEGER.match(tok.text).groups()
                value = int(digits.replace("'", ""), 0)
                step = 1 if value == 0 or rng.random() < 0.5 else -1
                if digits[:2] in ("0x", "0X"):  # same width and letter case
                    new = digits[:2] + ("%0*X" % (len(digits) - 2, value + step))
                    new = new if digits == digits[:2] + digits[2:].upper() else new[:2] + new[2:].lower()
                else:
                    new = str(value + step)
                self.add("constant", tok.start, tok.end, new + suffix)

    def match(self, i):
        """Index of the bracket closing the one at i."""
        depth = 0
        for j in range(i, len(self.toks)):
            if self.t(j) in ("(", "[", "{"):
                depth += 1
            elif self.t(j) in (")", "]", "}"):
                depth -= 1
                if depth == 0:
                    return j
        return len(self.toks) - 1

    def declarations(self):
        i = 0
        while self.toks[i].kind != "eof":
            if self.t(i) == "{" and i and self.t(i - 1) in FUNC_BODY_AFTER:
                i = self.block(i + 1, False)
            else:
                i += 1

    def block(self, i, nested):
        """Statements of a code block from i; returns the index after its '}'."""
        while self.t(i) not in ("}", "") and self.toks[i].kind != "eof":
            i = self.statement(i, nested)
        return i + 1

    def statement(self, i, nested):
        word = self.t(i)
        if word == "{":
            return self.block(i + 1, nested)
        if word in ("case", "default"):
            while self.t(i) != ":" and self.toks[i].kind != "eof":
                i += 1
            return i + 1
        if word in ("if", "while", "for", "switch"):
            j = i + 1 + (self.t(i + 1) == "constexpr")
            j = self.statement(self.match(j) + 1, True)
            return self.statement(j + 1, True) if word == "if" and self.t(j) == "else" else j
        if word == "do":
            j = self.statement(i + 1, True)
            return self.match(j + 1) + 2
        if word == "try":
            j = self.block(i + 2, nested)
            while self.t(j) == "catch":
                j = self.block(self.match(j + 1) + 2, True)
            return j
        # A simple statement: up to its ';', with lambda bodies inside taken as code blocks.
        j, depth = i, 0
        while self.toks[j].kind != "eof":
            text = self.t(j)
            if text == "{":
                if self.t(j - 1) in (")", "]", "mutable"):
                    j = self.block(j + 1, False)
                else:
                    j = self.match(j) + 1
                continue
            if text in ("(", "["):
                depth += 1
            elif text in (")", "]"):
                depth -= 1
            elif (text == ";" and depth == 0) or depth < 0 or text == "}":
                break
            j += 1
        if self.t(j) == ";":
            self.simple(i, j, nested)
        return j + 1 if self.t(j) == ";" else max(j, i + 1)

    def simple(self, i, j, nested):
        start, end = self.toks[i].start, self.toks[j].end
        if self.t(i) == "return" and j > i + 1:
            expr = self.text[self.toks[i + 1].start:self.toks[j].start]
            if expr in ("true", "false"):
                self.add("return", start, end, "return %s;" % ("false" if expr == "true" else "true"))
            elif self.boolean(i + 1, j):
                self.add("return", start, end, "return !(%s);" % expr)
            if nested:
                self.add("drop", start, end, ";")
            return
        if self.toks[i].kind != "ident" or self.t(i) in NOT_EXPR:
            return
        k = i + 1
        while self.t(k) == "::" and self.toks[k + 1].kind == "ident":
            k += 2
        if self.t(k) in EXPR_NEXT:
            self.add("drop", start, end, ";")

    def boolean(self, i, j):
        """A return expression that is a comparison, a logical operation or a negation at its top level."""
        if self.t(i) == "!" and self.t(i + 1) != "=":
            return True
        depth, top = 0, []
        for k in range(i, j):
            tok = self.toks[k]
            depth += {"(": 1, "[": 1, "{": 1, ")": -1, "]": -1, "}": -1}.get(tok.text, 0)
            if depth == 0:
                top.append(tok)
        return "?" not in [t.text for t in top] and any(
            t.text in ("==", "!=", "<=", ">=", "&&", "||") or (t.text in ("<", ">") and self.spaced(t)) for t in top)


def find_sites(path, text, rng):
    finder = SiteFinder(text)
    finder.operators(rng)
    finder.declarations()
    lines = [0] + [m.end() for m in re.finditer("\n", text)]
    return [dict(path=path, line=bisect.bisect_right(lines, s), kind=k, start=s, end=e, new=n)
            for k, s, e, n in finder.sites]


def compiled_sources(build):
    """The .cpp files the build compiles and every header under src/, as paths relative to the tree."""
    with open(os.path.join(build, "compile_commands.json")) as f:
        files = {os.path.relpath(e["file"], os.path.join(os.path.dirname(build), "src")) for e in json.load(f)}
    for folder, _, names in os.walk(os.path.join(ROOT, "src")):
        files |= {os.path.relpath(os.path.join(folder, n), ROOT) for n in names if n.endswith(".h")}
    return sorted(p for p in files if p.startswith("src/") and not p.startswith(SKIP_DIRS)
                  and p.endswith((".cpp", ".h", ".c")))


def choose(files, seed, only):
    """Every site in a deterministic order: by seed, a kind drawn evenly, then a site of that kind."""
    rng = random.Random(seed)
    by_kind = {k: [] for k in KINDS}
    for path in files:
        if only and not path.startswith(only.rstrip("/") + "/"):
            continue
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="surrogateescape") as f:
            for site in find_sites(path, f.read(), rng):
                by_kind[site["kind"]].append(site)
    for sites in by_kind.values():
        rng.shuffle(sites)
    order = []
    while any(by_kind.values()):
        kind = rng.choice([k for k in KINDS if by_kind[k]])
        order.append(by_kind[kind].pop())
    return order


def mutant_text(site):
    with open(os.path.join(ROOT, site["path"]), encoding="utf-8", errors="surrogateescape") as f:
        text = f.read()
    return text, text[:site["start"]] + site["new"] + text[site["end"]:]


def diff(site):
    old, new = mutant_text(site)
    return "".join(difflib.unified_diff(old.splitlines(True), new.splitlines(True),
                                        "a/" + site["path"], "b/" + site["path"], n=1))

# ---- Running mutants ----


class Stopped(Exception):
    pass


STOP = threading.Event()


def run(args, cwd=None, timeout=None, env=None, stoppable=True):
    """Runs a command in its own process group; returns (exit status or None on timeout, output).
    A stop request ends it at once unless it is not stoppable (a build: Ninja puts each compiler in a
    group of its own, which could write a mutant's object after the source was restored)."""
    proc = subprocess.Popen(args, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            start_new_session=True)
    out = []
    reader = threading.Thread(target=lambda: out.append(proc.stdout.read()), daemon=True)
    reader.start()
    deadline = time.monotonic() + timeout if timeout else None
    while proc.poll() is None:
        if (stoppable and STOP.is_set()) or (deadline and time.monotonic() > deadline):
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
            reader.join()
            if STOP.is_set():
                raise Stopped()
            return None, out[0].decode(errors="replace") if out else ""
        time.sleep(0.2)
    reader.join()
    return proc.returncode, out[0].decode(errors="replace")


def sync_copy(dest):
    """Makes dest a copy of the tree (its own build folders and .git left out), copying only files
    whose content differs, so that the scratch build stays incremental."""
    for folder, dirs, names in os.walk(ROOT):
        rel = os.path.relpath(folder, ROOT)
        dirs[:] = [d for d in dirs if not (rel == "." and (d.startswith("build") or d == ".git"))]
        os.makedirs(os.path.join(dest, rel), exist_ok=True)
        for name in names:
            src, dst = os.path.join(folder, name), os.path.join(dest, rel, name)
            with open(src, "rb") as f:
                data = f.read()
            if os.path.exists(dst):
                with open(dst, "rb") as f:
                    if f.read() == data:
                        continue
            shutil.copy2(src, dst)


class Worker:
    def __init__(self, number, work):
        self.dir = os.path.join(work, "w%d" % number)
        self.src, self.build = os.path.join(self.dir, "src"), os.path.join(self.dir, "build")
        self.state = os.path.join(self.build, "tests", "db", "pg-cluster.state")
        self.env = dict(os.environ, CCACHE_BASEDIR=work, LINKMEND_PG_STATE=self.state, **TEST_ENV)
        self.cluster = False

    def prepare(self):
        sync_copy(self.src)
        status, out = run(["cmake", "-S", self.src, "-B", self.build] + CONFIGURE, env=self.env)
        if status == 0:
            status, out = run(["cmake", "--build", self.build, "-j2"], env=self.env)
        if status != 0:
            sys.exit("%s: the unmutated tree does not build:\n%s" % (self.dir, out[-3000:]))

    def start_cluster(self):
        status, out = run([os.path.join(self.build, "tests", "db", "linkmend_pgcluster"), "start", self.state],
                          env=self.env)
        if status != 0:
            sys.exit("the PostgreSQL test cluster does not start:\n" + out)
        self.cluster = True

    def stop_cluster(self):
        """Starts stopping the cluster (removing its folder of test databases takes a while)."""
        if not self.cluster:
            return None
        return subprocess.Popen([os.path.join(self.build, "tests", "db", "linkmend_pgcluster"), "stop", self.state],
                                env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def tests(self):
        """Test folder -> (CTest names, build targets): the folder under tests/ a test runs in, or else
        the one that declared it."""
        status, out = run(["ctest", "--test-dir", self.build, "--show-only=json-v1"], env=self.env)
        data = json.loads(out[out.index("{"):])
        graph, folders = data["backtraceGraph"], {}
        for test in data["tests"]:
            where = [p["value"] for p in test.get("properties", []) if p["name"] == "WORKING_DIRECTORY"]
            if "backtrace" in test:
                where.append(graph["files"][graph["nodes"][test["backtrace"]]["file"]])
            for path, base in ((p, b) for p in where for b in (self.build, self.src)):
                rel = os.path.relpath(path, base).split(os.sep)
                if rel[0] == "tests" and len(rel) > 1:
                    names, targets = folders.setdefault(rel[1], ([], set()))
                    names.append(test["name"])
                    exe = test.get("command", [""])[0]
                    targets.update([os.path.basename(exe)] if exe.startswith(self.build) else GOLDEN_TARGETS)
                    break
        return folders

    def build_and_test(self, names, targets, timeout):
        """'not viable', 'killed', 'timeout' or 'survived', with a detail."""
        status, out = run(["cmake", "--build", self.build, "-j1", "--target"] + sorted(targets), env=self.env,
                          timeout=1800, stoppable=False)
        if STOP.is_set():
            raise Stopped()
        if status != 0:
            if "Error running test executable" in out:  # the test list crashed while CTest read it
                return "killed", "test listing failed"
            return "not viable", ""
        regex = "^(%s)$" % "|".join(re.sub(r"([][.*+?^$(){}|\\])", r"\\\1", n) for n in names)
        began = time.monotonic()
        status, out = run(["ctest", "--test-dir", self.build, "-R", regex, "-FA", ".*", "--stop-on-failure"],
                          env=self.env, timeout=timeout)
        self.test_seconds = time.monotonic() - began
        if status is None:
            return "timeout", ""
        if status == 0:
            return "survived", ""
        failed = re.findall(r"^\s*\d+ - (.*?)(?:  #.*)? \([^()]*\)$", out.split("tests FAILED:")[-1], re.M)
        return "killed", failed[0] if failed else "ctest status %d" % status


class Campaign:
    def __init__(self, opts, order, folders, results):
        self.opts, self.order, self.folders, self.results = opts, order, folders, results
        self.lock, self.next, self.in_flight, self.viable = threading.Lock(), 0, 0, 0
        self.done, self.baseline, self.failure = {}, {}, None

    def take(self):
        with self.lock:
            while self.next < len(self.order) and self.viable + self.in_flight < self.opts.count:
                number, site = self.next, self.order[self.next]
                self.next += 1
                key = "%s:%d:%s:%d" % (site["path"], site["line"], site["kind"], site["start"])
                if key in self.done:  # resumed from an earlier run
                    self.viable += self.done[key] != "not viable"
                    continue
                self.in_flight += 1
                return number, key, site
            return None

    def tests_for(self, site):
        """The folder and its stages: (key, CTest names, build targets), cheapest first."""
        folder = site["path"].split("/")[1]
        names, targets = list(self.folders.get(folder, ([], set()))[0]), set(self.folders.get(folder, ([], set()))[1])
        if folder in GOLDEN_FOLDERS and "golden" in self.folders:
            names += self.folders["golden"][0]
            targets |= self.folders["golden"][1]
        stages = [(folder, names, targets)] if names else []
        if not self.opts.folder_only:
            later, later_targets = [], set()
            for other in WHOLE_PROGRAM_FOLDERS:
                chosen = [n for n in self.folders.get(other, ([], set()))[0]
                          if n not in names and not WHOLE_PROGRAM_SKIP.match(n)]
                if chosen:
                    later += chosen
                    later_targets |= self.folders[other][1]
            if later:
                stages.append((folder + "+program", later, later_targets))
        return folder, stages

    def timeout_for(self, worker, folder, names, targets):
        """Three times the unmutated run of a stage's tests (measured once, by the first worker to need it)."""
        with self.lock:
            entry = self.baseline.setdefault(folder, {"event": threading.Event(), "seconds": None})
            mine = "owner" not in entry
            entry["owner"] = True
        if mine:
            outcome = worker.build_and_test(names, targets, 3600)
            entry["seconds"] = worker.test_seconds if outcome[0] != "not viable" else 0
            if outcome[0] != "survived":
                self.failure = "the unmutated tests of src/%s fail: %s %s" % (folder, *outcome)
                STOP.set()
            self.log("# baseline src/%s: %d tests, %.1fs" % (folder, len(names), entry["seconds"]))
            entry["event"].set()
        entry["event"].wait()
        return 3 * entry["seconds"] + 30

    def log(self, line):
        with self.lock:
            print(line, flush=True)
            with open(self.results, "a") as f:
                f.write(line + "\n")

    def work(self, worker):
        try:
            self.mutants(worker)
        except Stopped:
            pass

    def mutants(self, worker):
        while not STOP.is_set():
            job = self.take()
            if job is None:
                return
            number, key, site = job
            folder, stages = self.tests_for(site)
            if not stages:
                outcome = ("survived", "no tests")
                seconds = 0.0
            else:
                timeouts = [self.timeout_for(worker, *stage) for stage in stages]
                path = os.path.join(worker.src, site["path"])
                original, mutated = mutant_text(site)
                began = time.monotonic()
                try:
                    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                        f.write(mutated)
                    for (_, names, targets), timeout in zip(stages, timeouts):
                        outcome = worker.build_and_test(names, targets, timeout)
                        if outcome[0] != "survived":
                            break
                finally:
                    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                        f.write(original)
                seconds = time.monotonic() - began
            with self.lock:
                self.in_flight -= 1
                self.viable += outcome[0] != "not viable"
                self.done[key] = outcome[0]
            self.log("#%d %s:%d %s %s %.1fs %s | %s" % (number, site["path"], site["line"], site["kind"],
                                                        outcome[0].replace(" ", "-"), seconds, outcome[1], key))


def summary(order, done):
    sites = {"%s:%d:%s:%d" % (s["path"], s["line"], s["kind"], s["start"]): s for s in order}
    rows, lines, survivors = {}, [], []
    for key, status in done.items():
        if status == "not viable" or key not in sites:
            continue
        folder = "src/" + sites[key]["path"].split("/")[1]
        row = rows.setdefault(folder, [0, 0])
        row[0] += 1
        row[1] += status != "survived"
        if status == "survived":
            survivors.append(sites[key])
    viable, killed = sum(r[0] for r in rows.values()), sum(r[1] for r in rows.values())
    lines.append("viable %d, killed %d (timeouts included), survived %d, kill rate %.1f%%, not viable %d"
                 % (viable, killed, viable - killed, 100.0 * killed / max(viable, 1),
                    sum(s == "not viable" for s in done.values())))
    for folder in sorted(rows):
        lines.append("  %-14s viable %3d  killed %3d  rate %5.1f%%" % (folder, rows[folder][0], rows[folder][1],
                                                                      100.0 * rows[folder][1] / rows[folder][0]))
    lines.append("")
    lines.append("Survivors:")
    for site in sorted(survivors, key=lambda s: (s["path"], s["line"])):
        lines.append("%s:%d %s" % (site["path"], site["line"], site["kind"]))
        lines.append(diff(site))
    return "\n".join(lines)


def interrupted(*_):
    raise KeyboardInterrupt()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--count", type=int, default=150, help="viable mutants to run (default 150)")
    parser.add_argument("--seed", type=int, default=DEFAULT_SEED)
    parser.add_argument("--only", help="a source folder, e.g. src/marc")
    parser.add_argument("--jobs", type=int, default=2, help="scratch trees working at once (default 2)")
    parser.add_argument("--work", default=os.path.join(ROOT, "build-mutate"), help="scratch folder")
    parser.add_argument("--label", default="run", help="results go to tools/mutate/results-LABEL.txt")
    parser.add_argument("--resume", action="store_true", help="keep the results already in the results file")
    parser.add_argument("--folder-only", action="store_true",
                        help="no second stage: a mutant meets only its folder's tests (and the golden ones)")
    parser.add_argument("--list", action="store_true", help="print the first COUNT mutants' diffs and stop")
    opts = parser.parse_args()
    work = os.path.abspath(opts.work)
    workers = [Worker(n, work) for n in range(opts.jobs)]
    began = time.monotonic()
    print("preparing %d scratch tree(s) in %s" % (opts.jobs, work), flush=True)
    for w in workers:
        w.prepare()
    order = choose(compiled_sources(workers[0].build), opts.seed, opts.only)
    if opts.list:
        for site in order[:opts.count]:
            print("%s:%d %s\n%s" % (site["path"], site["line"], site["kind"], diff(site)))
        return
    results = os.path.join(ROOT, "tools", "mutate", "results-%s.txt" % opts.label)
    campaign = Campaign(opts, order, workers[0].tests(), results)
    if opts.resume and os.path.exists(results):
        with open(results) as f:
            for line in f:
                m = re.match(r"#\d+ \S+ \S+ (\S+) .* \| (\S+)$", line.rstrip("\n"))
                if m:
                    campaign.done[m.group(2)] = m.group(1).replace("-", " ")
    else:
        open(results, "w").close()
    campaign.log("# mutate.py --count %d --seed %d%s%s: %d sites, %d worker(s), %s"
                 % (opts.count, opts.seed, " --only " + opts.only if opts.only else "",
                    " --folder-only" if opts.folder_only else "", len(order), opts.jobs,
                    time.strftime("%Y-%m-%d %H:%M")))
    signal.signal(signal.SIGTERM, interrupted)
    threads = []
    try:
        for w in workers:
            w.start_cluster()
            threads.append(threading.Thread(target=campaign.work, args=(w,)))
            threads[-1].start()
        while any(t.is_alive() for t in threads):
            for t in threads:
                t.join(timeout=0.5)
    except KeyboardInterrupt:
        STOP.set()
        for t in threads:
            t.join()
        print("stopped; the scratch copies are restored", file=sys.stderr)
        return 130
    finally:
        for stopping in [w.stop_cluster() for w in workers]:
            if stopping:
                stopping.wait()
    if campaign.failure:
        sys.exit(campaign.failure)
    campaign.log("# wall time %.0f s" % (time.monotonic() - began))
    campaign.log(summary(order, campaign.done))
    return 0


if __name__ == "__main__":
    sys.exit(main())
