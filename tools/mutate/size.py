#!/usr/bin/env python3
"""Test size against code size: lines of tests/ code files (.cpp .h .py .cmake CMakeLists.txt .pl .sh;
not the golden data archive) and of the hand-written sources under src/ (.cpp .h .c, not
src/marc/generated/).

  tools/mutate/size.py [TREE]      (default: this checkout)
"""
import os
import sys

TEST_SUFFIXES = (".cpp", ".h", ".py", ".cmake", ".pl", ".sh")
CODE_SUFFIXES = (".cpp", ".h", ".c")


def count(top, wanted, skip=None):
    files = lines = 0
    for folder, dirs, names in os.walk(top):
        dirs.sort()
        if skip and os.path.abspath(folder).startswith(os.path.abspath(skip)):
            continue
        for name in names:
            if wanted(name):
                with open(os.path.join(folder, name), "rb") as f:
                    lines += f.read().count(b"\n")
                files += 1
    return files, lines


def main():
    tree = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.dirname(
        os.path.abspath(__file__))))
    test_files, test_lines = count(os.path.join(tree, "tests"),
                                   lambda n: n.endswith(TEST_SUFFIXES) or n == "CMakeLists.txt")
    code_files, code_lines = count(os.path.join(tree, "src"), lambda n: n.endswith(CODE_SUFFIXES),
                                   skip=os.path.join(tree, "src", "marc", "generated"))
    print("tests/: %d lines in %d files" % (test_lines, test_files))
    print("src/ (not generated): %d lines in %d files" % (code_lines, code_files))
    print("test/code line ratio: %.2f" % (test_lines / code_lines))


if __name__ == "__main__":
    main()
