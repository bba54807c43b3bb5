#!/usr/bin/env python3
"""The ODBC boundary: only src/odbc reaches the ODBC headers.

Follows #include "..." from every header and source file under SRC outside src/odbc (a quoted
name is looked up beside the including file, then under SRC) and fails, printing the chain of
includes, when one of them reaches <sql.h>, <sqlext.h>, <sqltypes.h>, <sqlucode.h> or
<odbcinst.h>. As a check of the check, the engine's internal header must reach them.

Usage: odbc_boundary.py SRC
"""
import re
import sys
from pathlib import Path

ODBC_HEADERS = {"sql.h", "sqlext.h", "sqltypes.h", "sqlucode.h", "odbcinst.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)


def includes(path):
    """(kind, name) of each #include of a file; kind is '<' or '"'."""
    return INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace"))


def resolve(name, including, src):
    for candidate in (including.parent / name, src / name):
        if candidate.is_file():
            return candidate.resolve()
    return None


def odbc_chain(path, src, memo, visiting=()):
    """The include chain from path to an ODBC header, or None when there is none."""
    if path in memo:
        return memo[path]
    if path in visiting:
        return None
    chain = None
    for kind, name in includes(path):
        if kind == "<":
            if name in ODBC_HEADERS:
                chain = [str(path.relative_to(src)), "<" + name + ">"]
                break
            continue
        target = resolve(name, path, src)
        if target is None:
            continue
        rest = odbc_chain(target, src, memo, visiting + (path,))
        if rest:
            chain = [str(path.relative_to(src))] + rest
            break
    memo[path] = chain
    return chain


def main():
    src = Path(sys.argv[1]).resolve()
    odbc = src / "odbc"
    memo = {}
    if not odbc_chain((odbc / "OdbcHandles.h").resolve(), src, memo):
        print("odbc/OdbcHandles.h does not reach an ODBC header: the check itself is broken")
        return 1
    failures = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or odbc in path.parents:
            continue
        chain = odbc_chain(path.resolve(), src, memo)
        if chain:
            failures.append(" -> ".join(chain))
    for failure in failures:
        print("ODBC header outside src/odbc: " + failure)
    print("%d files outside src/odbc checked, %d reach an ODBC header" %
          (sum(1 for p in src.rglob("*") if p.suffix in (".h", ".cpp") and odbc not in p.parents), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
