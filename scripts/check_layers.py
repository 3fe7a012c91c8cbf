#!/usr/bin/python3
"""Fails when a source file includes a header of a folder its own folder
may not use (ARCHITECTURE.md gives the rule and its reasons).

  /usr/bin/python3 scripts/check_layers.py [--edges]

A quoted include is looked up as the compiler would: beside the including
file first, then by its path under include/, then by its file name among
the headers of the tree (each name belongs to one folder, except that a
folder's own header wins). --edges prints which folder uses which.
"""
import collections
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Folder -> the folders whose headers it may include (besides its own).
# The lower a folder, the fewer it may use; tests, benchmarks, fuzzers and
# tools sit on top and may use anything below them.
PUBLIC = {"include/tarnix"}
COMMON = PUBLIC | {"common"}
ENGINE_API = COMMON | {"engines"}
RULES = {
    "include/tarnix": set(),
    "common": PUBLIC,
    "engines": COMMON,
    "engines/lexmill": ENGINE_API,
    "engines/extend_kvr": ENGINE_API,
    "classify": ENGINE_API,
    "rootword": ENGINE_API,
    "candidates": ENGINE_API | {"rootword"},
    "output": ENGINE_API | {"rootword", "candidates"},
    "api": ENGINE_API | {"classify", "rootword", "candidates", "output"},
    "cli": COMMON,
}
# Code that tests or measures the layers may reach into any of them.
TOP = ("tests", "bench", "fuzz", "soak", "windows")
SOURCE = re.compile(r"\.(c|cc|h|inc)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SKIP = re.compile(r"^(build[^/]*|\.git)(/|$)")


def files():
    for top, dirs, names in os.walk(ROOT):
        rel = os.path.relpath(top, ROOT)
        if rel != "." and SKIP.match(rel):
            dirs[:] = []
            continue
        for n in names:
            if SOURCE.search(n):
                yield os.path.normpath(os.path.join(rel, n))


def top(folder):
    return folder.split("/")[0] in TOP


def allowed_of(path):
    """The folders a file may include from: its folder's rule, and for a
    test or its support code also the scripted engines the tests share."""
    allowed = RULES.get(os.path.dirname(path), set())
    if "test" in os.path.basename(path):
        allowed = allowed | {"tests/scripted"}
    return allowed


def main():
    paths = sorted(files())
    by_name = collections.defaultdict(set)
    for p in paths:
        by_name[os.path.basename(p)].add(os.path.dirname(p))
    edges = collections.defaultdict(set)
    bad = []
    for p in paths:
        folder = os.path.dirname(p)
        with open(os.path.join(ROOT, p), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for header in INCLUDE.findall(text):
            if os.path.exists(os.path.join(ROOT, folder, header)):
                target = os.path.dirname(os.path.normpath(os.path.join(folder, header)))
            elif os.path.exists(os.path.join(ROOT, "include", header)):
                target = os.path.dirname(os.path.join("include", header))
            elif os.path.exists(os.path.join(ROOT, header)):
                target = os.path.dirname(os.path.normpath(header))
            else:
                owners = by_name.get(os.path.basename(header), set())
                # A name two folders use is the one of the folder on the
                # includer's path (cli/text.h and common/text.h).
                usable = owners & allowed_of(p) if len(owners) > 1 else owners
                if len(usable) != 1:
                    if not top(folder):
                        bad.append("%s: cannot tell which \"%s\" it means" % (p, header))
                    continue
                target = next(iter(usable))
            if target == folder:
                continue
            edges[folder].add(target)
            if top(folder):
                continue
            if folder not in RULES:
                bad.append("%s: folder %s has no rule in scripts/check_layers.py" % (p, folder))
            elif target not in allowed_of(p):
                bad.append("%s includes \"%s\" (%s), which %s may not use" % (p, header, target, folder))
    if "--edges" in sys.argv:
        for f in sorted(edges):
            print("%s -> %s" % (f, ", ".join(sorted(edges[f]))))
    for b in bad:
        print(b)
    if bad:
        sys.exit(1)
    print("layers: %d files, every include within its folder's rule" % len(paths))


if __name__ == "__main__":
    main()
