#!/usr/bin/env python3
"""Fails when a source includes a header of a library its target does not link.

Reads the target list written at configure time (cmake/LumivaneLayering.cmake): for each target its
folder, sources and links. Under src/ each folder is one library, so a header belongs to the library of
its folder. A target may include its own headers and those of every library it links, directly or
through the libraries it links; a plain library (not under a `ui/` folder) includes no Qt header.
Test-local headers are followed and checked against the target that includes them.
"""
import argparse
import os
import re
import sys

INCLUDE_RE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
QT_INCLUDE_RE = re.compile(r"^\s*#\s*include\s+<(Q[A-Za-z]*(?:/\w+)?)>", re.M)
GENEX_RE = re.compile(r"\$<BUILD_INTERFACE:([^>]*)>")
LINK_ONLY_RE = re.compile(r"\$<LINK_ONLY:[^>]*>")  # a private link of a static library: no headers
CODE_EXT = (".h", ".cpp")


def parse_targets(path):
    targets = {}
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                continue
            name, kind, source_dir, sources, links, ilinks = line.split("|")
            targets[name] = {
                "type": kind,
                "dir": os.path.normpath(source_dir),
                "sources": [s for s in sources.split(";") if s],
                "links": clean_links(links),
                "ilinks": clean_links(ilinks),
            }
    return targets


def clean_links(text):
    text = GENEX_RE.sub(r"\1", LINK_ONLY_RE.sub("", text))
    out = []
    for item in text.split(";"):
        item = re.sub(r"::@\(?[^;]*$", "", item).strip()
        if item and not item.startswith("$<"):
            out.append(item)
    return out


def link_closure(name, targets):
    seen, todo = set(), list(targets[name]["links"]) + list(targets[name]["ilinks"])
    while todo:
        t = todo.pop()
        if t in seen or t not in targets:
            continue
        seen.add(t)
        todo += targets[t]["ilinks"]
    return seen


def check(source_root, targets):
    src = os.path.join(source_root, "src")
    problems = []
    folder_lib = {}
    for name, t in targets.items():
        if t["type"].endswith("_LIBRARY") and os.path.commonpath([t["dir"], src]) == src and t["dir"] != src:
            if t["dir"] in folder_lib:
                problems.append(f"{os.path.relpath(t['dir'], source_root)}: holds two libraries, "
                                f"{folder_lib[t['dir']]} and {name}")
            folder_lib[t["dir"]] = name

    def owner(header):
        return folder_lib.get(os.path.dirname(header))

    def resolve(includer, inc):
        for base in (os.path.dirname(includer), src, os.path.join(source_root, "tests", "support"),
                     os.path.join(source_root, "tests")):
            p = os.path.normpath(os.path.join(base, inc))
            if os.path.isfile(p):
                return p
        return None

    for name, t in sorted(targets.items()):
        allowed = link_closure(name, targets) | {name}
        files = [os.path.normpath(s if os.path.isabs(s) else os.path.join(t["dir"], s)) for s in t["sources"]]
        files = [f for f in files if f.endswith(CODE_EXT)]
        plain = name in folder_lib.values() and os.path.basename(t["dir"]) != "ui"
        if name in folder_lib.values():
            files += [os.path.join(t["dir"], f) for f in sorted(os.listdir(t["dir"])) if f.endswith(".h")]
        seen = set()
        while files:
            f = files.pop()
            if f in seen or not os.path.isfile(f):
                continue
            seen.add(f)
            with open(f, encoding="utf-8", errors="replace") as fh:
                text = fh.read()
            rel = os.path.relpath(f, source_root)
            if plain:
                for m in QT_INCLUDE_RE.finditer(text):
                    problems.append(f"{rel}: plain library {name} includes Qt header <{m.group(1)}>")
            for m in INCLUDE_RE.finditer(text):
                header = resolve(f, m.group(1))
                if header is None:
                    continue
                lib = owner(header)
                if os.path.commonpath([header, src]) == src:
                    if lib is None:
                        problems.append(f"{rel}: includes \"{m.group(1)}\", a header of no library")
                    elif lib not in allowed:
                        problems.append(f"{rel}: includes \"{m.group(1)}\" of {lib}, which {name} does not link")
                elif os.path.commonpath([header, source_root]) == source_root:
                    files.append(header)  # a test-local header: checked as part of this target
    return sorted(set(problems))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--source-root", required=True)
    ap.add_argument("targets", help="the target list written at configure time")
    args = ap.parse_args()
    problems = check(os.path.abspath(args.source_root), parse_targets(args.targets))
    for p in problems:
        print(p)
    if problems:
        print(f"layering: {len(problems)} include(s) outside what the target links", file=sys.stderr)
        return 1
    print(f"layering: every include is within its target's links")
    return 0


if __name__ == "__main__":
    sys.exit(main())
