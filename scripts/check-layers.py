#!/usr/bin/env python3
"""Checks that every include points down the program's layers.

The program: app -> viewer -> transfer -> dao -> jet, with grid -> editors ->
afx beside it (the viewer and transfer fill the grid; dao speaks afx's strings
and variants). The engine: its folders are numbered layers (jet/README.md),
and a file may include its own layer and the ones below it. Only the engine's
file layer may include a platform's headers.

Prints each include that breaks a rule and exits 1; prints a count and exits
0 when there is none. Run from anywhere: the repository is this file's
parent's parent, unless a folder is given.
"""
import os
import re
import sys

# What each folder of the program may include besides itself.
PROGRAM = {
    "app": {"viewer", "transfer", "dao", "grid", "editors", "afx", "res"},
    "viewer": {"transfer", "dao", "grid", "editors", "afx", "res"},
    "transfer": {"dao", "grid", "afx"},
    "dao": {"jet", "afx"},
    "grid": {"editors", "afx"},
    "editors": {"afx"},
    "afx": set(),
    "res": set(),
    "jet": set(),
    "tools": {"jet"},
}

# The engine's layers, lowest first; jet/jet.h above them all.
ENGINE = ["base", "sharing", "pages", "rows", "reading", "writing", "database", "compaction"]

# Headers of an operating system, which the engine keeps in its file layer.
PLATFORM = re.compile(
    r"^(windows|winbase|winnt|io|direct|commctrl|commdlg|oleauto|tchar|mbstring|psapi|"
    r"unistd|fcntl|spawn|dirent|poll|pthread|sys/[a-z_]+)\.h$"
)
PLATFORM_FILES = {"jet/base/file_posix.cpp", "jet/base/file_win32.cpp"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE = (".h", ".hpp", ".cpp", ".c", ".rc", ".inl")


def engine_rank(path):
    """The layer number of a path under jet/, or None for jet/jet.h."""
    parts = path.split("/")
    if len(parts) == 2:
        return len(ENGINE)  # the umbrella header sits above every layer
    if parts[1] in ENGINE:
        return ENGINE.index(parts[1])
    return -1  # a folder the check does not know: reported


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    headers = {}  # a bare header name -> the program folders that have it
    files = []
    for top in sorted(PROGRAM):
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in sorted(names):
                if not name.endswith(SOURCE):
                    continue
                rel = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
                files.append(rel)
                if top != "jet":
                    headers.setdefault(name, set()).add(top)

    faults = []
    includes = 0
    for rel in files:
        top = rel.split("/")[0]
        with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as text:
            lines = text.readlines()
        for number, line in enumerate(lines, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            includes += 1
            quote, name = match.groups()
            where = f"{rel}:{number}: {name}"
            if quote == "<":
                if top == "jet" and PLATFORM.match(name) and rel not in PLATFORM_FILES:
                    faults.append(f"{where}: a platform's header outside the engine's file layer")
                continue
            if name.startswith("jet/"):
                target = "jet"
            elif name.startswith("tools/"):
                target = "tools"
            elif os.path.exists(os.path.join(root, os.path.dirname(rel), name)):
                target = top
            else:
                owners = headers.get(os.path.basename(name), set())
                if len(owners) != 1:
                    faults.append(f"{where}: no single folder has this header ({sorted(owners)})")
                    continue
                target = next(iter(owners))
            if target != top and target not in PROGRAM[top]:
                faults.append(f"{where}: {top}/ may not include {target}/")
            if top == "jet" and target == "jet":
                if not name.startswith("jet/"):
                    faults.append(f"{where}: the engine names its headers with their layer (jet/LAYER/...)")
                    continue
                mine, theirs = engine_rank(rel), engine_rank(name)
                if mine < 0 or theirs < 0:
                    faults.append(f"{where}: not in one of the engine's layers ({', '.join(ENGINE)})")
                elif theirs > mine:
                    faults.append(f"{where}: {rel.split('/')[1]} may not include the higher layer "
                                  f"{name.split('/')[1]}")
    for fault in faults:
        print(fault)
    print(f"{len(files)} files, {includes} includes, {len(faults)} against the layers")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
