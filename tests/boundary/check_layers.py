#!/usr/bin/env python3
"""Checks the include structure of the source trees that carry a LAYERS file.

A unit is a header and its source of one name in one folder (FrameObject.h, FrameObject.cpp).
Unit A depends on unit B when a file of A includes a header of B. The check fails on

- a circle: units that depend on each other, directly or through others;
- an include against the layering: a LAYERS file lists the folders beside it, lowest first, one
  level a line; a folder may include its own files and those of the folders on lower lines,
  never those of a higher line nor of another folder on its own line. Every folder beside a
  LAYERS file that holds code must be listed in it.

A LAYERS line `tolerate-circle-through UNIT` (a unit's path without ending, relative to the
LAYERS file) names a circle that is known and left for later: the circle that holds that unit is
printed as a note rather than a fault. Any other circle still fails, and so does a named unit
that is in no circle any more (the line is then to be removed).

Only the top-level folders of the root that hold a LAYERS file somewhere are checked; the
includes of the other folders (and of tests, fuzz targets and benchmarks) are not. Includes are
bare names found through include paths (`#include "FrameObject.h"`, `#include "text/TextFont.h"`),
so a name is resolved to the source file whose path ends with it: one in the including file's
folder first, then one in its tree, then any. Names that resolve to no file of the root (system,
Qt, generated headers) are passed over.

Usage: check_layers.py ROOT
"""

import os
import re
import sys
from collections import defaultdict

SOURCE_ENDINGS = (".h", ".hpp", ".c", ".cc", ".cpp", ".inc")
PRODUCT_TREES = ("editor", "imagelib", "platform", "plugins", "resources", "tools")
SKIPPED_FOLDERS = {".git", "build", "tests", "fuzz", "bench"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def source_files(root, tree):
    """Every source file below root/tree, as paths relative to root."""
    found = []
    for folder, subfolders, files in os.walk(os.path.join(root, tree)):
        subfolders[:] = sorted(d for d in subfolders if d not in SKIPPED_FOLDERS)
        for name in sorted(files):
            if name.endswith(SOURCE_ENDINGS):
                found.append(os.path.relpath(os.path.join(folder, name), root))
    return found


def read_includes(root, path):
    """The quoted includes of one file as (line number, name)."""
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as handle:
        return [(number, match.group(1))
                for number, line in enumerate(handle, 1)
                if (match := INCLUDE.match(line))]


def tree_of(path):
    return path.split(os.sep, 1)[0]


class Resolver:
    """Finds the file a bare include name stands for."""

    def __init__(self, files):
        self.by_name = defaultdict(list)
        for path in files:
            self.by_name[os.path.basename(path)].append(path)

    def resolve(self, including, name):
        name = os.path.normpath(name)
        candidates = [path for path in self.by_name.get(os.path.basename(name), [])
                      if path == name or path.endswith(os.sep + name)]
        if not candidates:
            return None
        for narrower in (lambda p: os.path.dirname(p) == os.path.dirname(including),
                         lambda p: tree_of(p) == tree_of(including)):
            preferred = [p for p in candidates if narrower(p)]
            if preferred:
                candidates = preferred
                break
        return candidates[0] if len(candidates) == 1 else None


def unit_of(path):
    stem = os.path.splitext(path)[0]
    return stem


def find_circles(edges):
    """Strongly connected components of more than one unit (Tarjan, iterative)."""
    index, low, on_stack, stack, circles = {}, {}, set(), [], []
    counter = 0
    for start in sorted(edges):
        if start in index:
            continue
        work = [(start, iter(sorted(edges[start])))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, successors = work[-1]
            advanced = False
            for successor in successors:
                if successor not in index:
                    index[successor] = low[successor] = counter
                    counter += 1
                    stack.append(successor)
                    on_stack.add(successor)
                    work.append((successor, iter(sorted(edges.get(successor, ())))))
                    advanced = True
                    break
                if successor in on_stack:
                    low[node] = min(low[node], index[successor])
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
                    circles.append(sorted(component))
    return circles


TOLERATE = "tolerate-circle-through"


def read_layers(root, layers_path):
    """One LAYERS file: its levels (folder relative to root -> level, lowest 0) and the units
    whose circles are tolerated."""
    base = os.path.dirname(layers_path)
    levels, tolerated = {}, []
    with open(os.path.join(root, layers_path), encoding="utf-8") as handle:
        for line in handle:
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            if words[0] == TOLERATE:
                tolerated += [os.path.normpath(os.path.join(base, word)) for word in words[1:]]
                continue
            level = len(set(levels.values()))
            for word in words:
                levels[os.path.normpath(os.path.join(base, word))] = level
    return levels, tolerated


def folder_holds_code(root, folder):
    for _, subfolders, files in os.walk(os.path.join(root, folder)):
        subfolders[:] = [d for d in subfolders if d not in SKIPPED_FOLDERS]
        if any(name.endswith(SOURCE_ENDINGS) for name in files):
            return True
    return False


def listed_folder(levels, path):
    """The listed folder that holds path, or None."""
    for folder in levels:
        if path.startswith(folder + os.sep):
            return folder
    return None


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    root = os.path.abspath(argv[1])
    trees = [tree for tree in PRODUCT_TREES if os.path.isdir(os.path.join(root, tree))]
    all_files = [path for tree in trees for path in source_files(root, tree)]
    resolver = Resolver(all_files)

    layers_files = sorted(os.path.relpath(os.path.join(folder, "LAYERS"), root)
                          for tree in trees
                          for folder, subfolders, files in os.walk(os.path.join(root, tree))
                          if "LAYERS" in files)
    checked_trees = sorted({tree_of(path) for path in layers_files})
    if not checked_trees:
        print("no LAYERS file below " + root)
        return 1

    faults = []
    edges = defaultdict(set)
    reasons = defaultdict(list)
    layerings, tolerated = [], set()
    for path in layers_files:
        levels, tolerated_here = read_layers(root, path)
        layerings.append((path, levels))
        tolerated.update(tolerated_here)
    for layers_path, levels in layerings:
        base = os.path.dirname(layers_path)
        for name in sorted(os.listdir(os.path.join(root, base))):
            folder = os.path.join(base, name)
            if (levels and os.path.isdir(os.path.join(root, folder))
                    and name not in SKIPPED_FOLDERS
                    and folder not in levels and folder_holds_code(root, folder)):
                faults.append(f"{layers_path}: folder {folder} holds code but is not listed")
        for folder in levels:
            if not os.path.isdir(os.path.join(root, folder)):
                faults.append(f"{layers_path}: listed folder {folder} does not exist")

    checked_files = [path for path in all_files if tree_of(path) in checked_trees]
    for path in checked_files:
        for line, name in read_includes(root, path):
            target = resolver.resolve(path, name)
            if target is None or target == path:
                continue
            source_unit, target_unit = unit_of(path), unit_of(target)
            if source_unit != target_unit:
                edges[source_unit].add(target_unit)
                reasons[(source_unit, target_unit)].append(f"{path}:{line}")
            for layers_path, levels in layerings:
                own, other = listed_folder(levels, path), listed_folder(levels, target)
                if own is None or other is None or own == other:
                    continue
                if levels[other] >= levels[own]:
                    where = "a higher" if levels[other] > levels[own] else "a peer"
                    faults.append(f"{path}:{line}: includes {target}, in {where} folder than "
                                  f"{own} ({layers_path})")

    notes = []
    circled = set()
    for circle in find_circles(edges):
        members = set(circle)
        circled |= members
        links = [f"    {a} -> {b} ({', '.join(reasons[(a, b)])})"
                 for a in circle for b in sorted(edges[a]) if b in members]
        text = "include circle between " + ", ".join(circle)
        if members & tolerated:
            notes.append(f"note: tolerated {text}")
        else:
            faults.append(text + ":\n" + "\n".join(links))
    for unit in sorted(tolerated - circled):
        faults.append(f"{TOLERATE} {unit}: no circle holds it any more; remove the line")

    for note in notes:
        print(note)
    for fault in faults:
        print(fault)
    files_read = len(checked_files)
    print(f"{'layering broken' if faults else 'layering kept'}: {len(faults)} faults in "
          f"{files_read} files of {', '.join(checked_trees)}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
