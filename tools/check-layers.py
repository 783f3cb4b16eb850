#!/usr/bin/env python3
"""Checks that every source folder includes only the folders below it.

The layers, lowest first. A folder may include its own headers and those
of any layer before it; the platform's win32/ and posix/ halves belong to
the platform, the front-ends' halves to ui/. Prints each include that
reaches up or sideways and exits 1 if there is one.
"""
import os
import re
import sys

LAYERS = ["platform", "framework", "app", "batch", "site", "engine", "app/shell", "updater", "ui"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE = (".h", ".cpp", ".c")


def layer_of(path):
    """The layer a path below the checkout belongs to, or None."""
    best = None
    for name in LAYERS:
        if path == name or path.startswith(name + "/"):
            if best is None or len(name) > len(best):
                best = name
    return best


def violations(top):
    found = []
    for name in LAYERS:
        for folder, dirs, files in os.walk(os.path.join(top, name)):
            dirs.sort()
            for f in sorted(files):
                if not f.endswith(SOURCE):
                    continue
                path = os.path.join(folder, f)
                rel = os.path.relpath(path, top).replace(os.sep, "/")
                own = layer_of(rel)
                if own != name:
                    continue  # walked into a nested layer: checked on its own
                with open(path, encoding="utf-8", errors="replace") as src:
                    for number, line in enumerate(src, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = layer_of(m.group(1))
                        if target is None:
                            continue  # a header beside the file, or none of ours
                        if LAYERS.index(target) > LAYERS.index(own):
                            found.append(f"{rel}:{number}: {own} includes {m.group(1)} of {target}, a layer above it")
    return found


def main():
    top = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    found = violations(top)
    for v in found:
        print(v)
    if found:
        print(f"{len(found)} includes reach a higher layer; order: {' < '.join(LAYERS)}")
        return 1
    print(f"layers in order: {' < '.join(LAYERS)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
