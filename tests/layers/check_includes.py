#!/usr/bin/env python3
"""Checks every quoted include under src/ against the layers of src/layers.txt.

Usage: check_includes.py [ROOT]   (ROOT: the project's checkout, default ".")

A file belongs to the layer of the longest path of the table that contains it.
It may include files of its own layer and of the layers below it (those its
layer rests on, and theirs). An include is resolved as the compiler does:
first beside the including file, then under src/; includes of generated files
(found nowhere under src/) are not checked. Layers not marked "qt" may not
include Qt headers. The table itself must name existing paths, rest only on
layers it lists, point one way (no cycle), and keep the layers without Qt off
the Qt layers.

Prints one line per fault, naming the file, the line and the include, then a
summary; exits 1 when there is a fault, 0 otherwise.
"""
import os
import re
import sys

SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc")
QUOTED = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
QT_HEADER = re.compile(r"^\s*#\s*include\s+<(Q[A-Za-z]*|Qt[A-Za-z]*/[^>]*)>")
LINE = re.compile(r"^([A-Za-z0-9_-]+)\s+(qt|-)\s+([^:]+):(.*)$")


class Layer:
    def __init__(self, name, qt, paths, below, line):
        self.name, self.qt, self.paths, self.below, self.line = name, qt, paths, below, line


def read_table(path, faults):
    layers = {}
    with open(path, encoding="utf-8") as table:
        for number, text in enumerate(table, 1):
            text = text.strip()
            if not text or text.startswith("#"):
                continue
            match = LINE.match(text)
            if not match:
                faults.append(f"{path}:{number}: cannot read the line \"{text}\"")
                continue
            name, qt, paths, below = match.groups()
            if name in layers:
                faults.append(f"{path}:{number}: the layer {name} is listed twice")
            layers[name] = Layer(name, qt == "qt", paths.split(), below.split(), number)
    return layers


def closure(layers, name, faults, table):
    """The layers below name (not name itself); a cycle is a fault."""
    seen, stack = set(), list(layers[name].below)
    while stack:
        other = stack.pop()
        if other in seen:
            continue
        if other not in layers:
            faults.append(f"{table}:{layers[name].line}: {name} rests on {other}, which is not a layer")
            continue
        seen.add(other)
        stack.extend(layers[other].below)
    if name in seen:
        faults.append(f"{table}:{layers[name].line}: {name} rests on itself through the layers below it")
        seen.discard(name)
    return seen


def layer_of(rel, owner):
    """The layer of the longest table path holding rel (a path under src/)."""
    best, best_len = None, -1
    for path, name in owner.items():
        if (rel == path or rel.startswith(path + "/")) and len(path) > best_len:
            best, best_len = name, len(path)
    return best


def check(root):
    faults = []
    src = os.path.join(root, "src")
    table = os.path.join(src, "layers.txt")
    if not os.path.isfile(table):
        return [f"{table}: missing"], 0
    layers = read_table(table, faults)
    owner = {}
    for layer in layers.values():
        for path in layer.paths:
            if not os.path.exists(os.path.join(src, path)):
                faults.append(f"{table}:{layer.line}: {layer.name} names src/{path}, which does not exist")
            if path in owner:
                faults.append(f"{table}:{layer.line}: src/{path} is named by {owner[path]} and {layer.name}")
            owner[path] = layer.name
    allowed = {name: closure(layers, name, faults, table) for name in layers}
    for name, below in allowed.items():
        if not layers[name].qt:
            for other in sorted(below):
                if layers[other].qt:
                    faults.append(f"{table}:{layers[name].line}: {name} has no Qt but rests on the Qt layer {other}")

    files = []
    for folder, _, names in os.walk(src):
        for file_name in names:
            if file_name.endswith(SOURCE_ENDINGS):
                files.append(os.path.relpath(os.path.join(folder, file_name), src).replace(os.sep, "/"))
    known = set(files)
    for rel in sorted(files):
        mine = layer_of(rel, owner)
        if mine is None:
            faults.append(f"src/{rel}: belongs to no layer of src/layers.txt")
            continue
        with open(os.path.join(src, rel), encoding="utf-8", errors="replace") as source:
            lines = source.read().splitlines()
        for number, text in enumerate(lines, 1):
            if not layers[mine].qt and QT_HEADER.match(text):
                faults.append(f"src/{rel}:{number}: {text.strip()}: {mine} is plain C++ and may not use Qt")
                continue
            match = QUOTED.match(text)
            if not match:
                continue
            name = match.group(1)
            beside = os.path.normpath(os.path.join(os.path.dirname(rel), name)).replace(os.sep, "/")
            under = os.path.normpath(name).replace(os.sep, "/")
            target = beside if beside in known else under if under in known else None
            if target is None:
                continue  # a generated file
            theirs = layer_of(target, owner)
            if theirs is None or theirs == mine or theirs in allowed[mine]:
                continue
            below = ", ".join(sorted(allowed[mine])) or "nothing"
            faults.append(f'src/{rel}:{number}: #include "{name}": {mine} may not include {theirs} '
                          f"(src/{target}); {mine} rests on {below}")
    return faults, len(files)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    faults, count = check(root)
    for fault in faults:
        print(fault)
    print(f"{count} files, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
