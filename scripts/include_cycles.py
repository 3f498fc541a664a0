#!/usr/bin/env python3
"""Reports include cycles between source folders; exits 1 when folders include each other.

Every `#include "..."` line in the project's C++ sources is resolved to a file, and each file
belongs to its folder (app, effects, tools/datagen, ...). A cycle between folders fails the run.
Cycles between modules inside one folder (x.h/x.cpp counted as one module) are listed too, as
information: they do not fail the run.
"""
import os
import re
import sys
from collections import defaultdict

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
SKIP = {".git", "docs", "data", "dist", "node_modules"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
# Include lines known to point against the folder order, each with the reason it is left; they
# are listed on every run but do not fail it. Keep this empty where possible.
TOLERATED = {}


def sources():
    for top in sorted(os.listdir(ROOT)):
        path = os.path.join(ROOT, top)
        if not os.path.isdir(path) or top in SKIP or top.startswith("build") or top.startswith("."):
            continue
        for folder, dirs, files in os.walk(path):
            dirs.sort()
            for name in sorted(files):
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(folder, name), ROOT)


def resolve(including, target):
    # The build's include path is the repository root and tests/; a name may also be local.
    for base in (ROOT, os.path.join(ROOT, "tests"), os.path.join(ROOT, os.path.dirname(including))):
        candidate = os.path.normpath(os.path.join(base, target))
        if os.path.isfile(candidate):
            return os.path.relpath(candidate, ROOT)
    return None


def cycles(edges):
    """Strongly connected components with more than one node (Tarjan, iterative)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = [0]
    nodes = sorted(set(edges) | {n for targets in edges.values() for n in targets})
    for start in nodes:
        if start in index:
            continue
        work = [(start, iter(sorted(edges.get(start, ()))))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter[0]
                    counter[0] += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(edges.get(child, ())))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))
    return sorted(found)


def main():
    folder_edges = defaultdict(set)
    module_edges = defaultdict(set)
    why = defaultdict(list)
    tolerated = []
    for source in sources():
        with open(os.path.join(ROOT, source), encoding="utf-8", errors="replace") as f:
            for line in f:
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = resolve(source, match.group(1))
                if target is None:
                    continue
                a, b = os.path.dirname(source), os.path.dirname(target)
                if (source, target) in TOLERATED:
                    tolerated.append(f"{source} -> {target}: {TOLERATED[(source, target)]}")
                elif a != b:
                    folder_edges[a].add(b)
                    why[(a, b)].append(f"{source} -> {target}")
                ma, mb = os.path.splitext(source)[0], os.path.splitext(target)[0]
                if ma != mb:
                    module_edges[ma].add(mb)

    for text in tolerated:
        print("tolerated: " + text)
    folder_cycles = cycles(folder_edges)
    for component in folder_cycles:
        print("include cycle between folders: " + " <-> ".join(component))
        members = set(component)
        for (a, b), lines in sorted(why.items()):
            if a in members and b in members:
                for text in lines:
                    print("  " + text)
    for component in cycles(module_edges):
        print("modules that include each other: " + " <-> ".join(component))
    if folder_cycles:
        return 1
    print("no include cycles between folders")
    return 0


if __name__ == "__main__":
    sys.exit(main())
