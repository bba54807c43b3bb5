#!/usr/bin/env python3
"""The ODBC boundary: only src/odbc reaches the ODBC headers.

  odbc_boundary.py SRC

Follows #include "..." from every file under SRC outside src/odbc (looked up beside the including
file, then under SRC) and fails, printing the chain, when one reaches an ODBC header. As a check of
the check, the engine's internal header must reach one.
"""
import re
import sys
from pathlib import Path

ODBC_HEADERS = {"sql.h", "sqlext.h", "sqltypes.h", "sqlucode.h", "odbcinst.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)


def odbc_chain(path, src, memo, visiting=()):
    """The include chain from path to an ODBC header, or None."""
    if path not in memo and path not in visiting:
        memo[path] = None
        for kind, name in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            if kind == "<":
                rest = ["<" + name + ">"] if name in ODBC_HEADERS else None
            else:
                target = next((c.resolve() for c in (path.parent / name, src / name) if c.is_file()), None)
                rest = target and odbc_chain(target, src, memo, visiting + (path,))
            if rest:
                memo[path] = [str(path.relative_to(src))] + rest
                break
    return memo.get(path)


def main():
    src = Path(sys.argv[1]).resolve()
    odbc, memo = src / "odbc", {}
    if not odbc_chain((odbc / "OdbcHandles.h").resolve(), src, memo):
        print("odbc/OdbcHandles.h does not reach an ODBC header: the check itself is broken")
        return 1
    files = [p for p in sorted(src.rglob("*")) if p.suffix in (".h", ".cpp") and odbc not in p.parents]
    failures = [" -> ".join(c) for c in (odbc_chain(p.resolve(), src, memo) for p in files) if c]
    for failure in failures:
        print("ODBC header outside src/odbc: " + failure)
    print("%d files outside src/odbc checked, %d reach an ODBC header" % (len(files), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
