#!/usr/bin/env python3
"""The layering check: every quoted #include of a layer library must name a file of that library or of
one it depends on (directly or through its dependencies), and the declared dependencies must follow
the layer order.

Reads the record CMake writes while configuring (tovalux_layers.json in the build folder, made by
tovalux_library and tovalux_program in cmake/Tovalux.cmake) and checks:

  - every library sits in a layer, and each of its declared dependencies lies in a lower layer or
    in its own folder (a folder's Win32 library on its portable one); no dependency cycles;
  - a portable library depends only on portable libraries and never includes a Win32 header
    (its platform implementation files excepted);
  - every C/C++ file under the scanned folders belongs to exactly one library or program;
  - every quoted include resolves (the including file's folder first, then the public include
    folders) to a file of the including library or of one below it that it depends on.

Exit status 0 when all holds; 1 with one line per fault (file:line: ...) otherwise.

    python3 scripts/check_layers.py build/native/tovalux_layers.json
"""

import argparse
import json
import os
import re
import sys

SOURCE_SUFFIXES = (".c", ".cc", ".cpp", ".h", ".hpp", ".inc")
WIN32_HEADERS = {
    "windows.h", "winuser.h", "wingdi.h", "winbase.h", "windef.h", "gdiplus.h", "shlwapi.h", "commctrl.h",
    "objbase.h", "ole2.h", "shellapi.h", "shlobj.h", "psapi.h", "tlhelp32.h",
}
INCLUDE = re.compile(r'^\s*#\s*include\s*(["<])([^">]+)[">]')


class Layering:
    def __init__(self, record):
        self.root = record["root"]
        self.scan = record.get("scan", [])
        self.layers = record["layers"]
        self.libraries = {lib["name"]: lib for lib in record["libraries"]}
        self.faults = []
        self.owner = {}  # absolute file -> library name
        self.include_dirs = []
        for lib in self.libraries.values():
            for source in lib["sources"]:
                path = self.absolute(source)
                if path in self.owner and self.owner[path] != lib["name"]:
                    self.fault(f"{source}: listed by both {self.owner[path]} and {lib['name']}")
                self.owner[path] = lib["name"]
            for folder in lib.get("include_dirs", []):
                folder = self.absolute(folder)
                if folder not in self.include_dirs:
                    self.include_dirs.append(folder)

    def absolute(self, path):
        return os.path.normpath(os.path.join(self.root, path))

    def relative(self, path):
        return os.path.relpath(path, self.root)

    def fault(self, text):
        self.faults.append(text)

    # --- the layer order --------------------------------------------------------------------

    def layer_of(self, folder):
        """(rank, layer folder) of the longest layer folder containing `folder`, or None."""
        best = None
        for rank, folders in enumerate(self.layers):
            for entry in folders:
                if folder == entry or folder.startswith(entry + "/"):
                    if best is None or len(entry) > len(best[1]):
                        best = (rank, entry)
        return best

    def check_dependencies(self):
        for lib in self.libraries.values():
            name = lib["name"]
            own = self.layer_of(lib["dir"])
            if own is None:
                self.fault(f"{lib['dir']}: {name} is in no layer; add its folder to the layer list "
                           "(tovalux_layers in src/CMakeLists.txt)")
                continue
            for dep in lib["depends"]:
                target = self.libraries.get(dep)
                if target is None:
                    self.fault(f"{lib['dir']}: {name} depends on {dep}, which is no layer library")
                    continue
                theirs = self.layer_of(target["dir"])
                if theirs is None:
                    continue  # reported for that library
                if lib["portable"] and not target["portable"]:
                    self.fault(f"{lib['dir']}: portable {name} depends on the Win32 library {dep}")
                if theirs[1] == own[1]:
                    continue  # one folder: its Win32 library on its portable one
                if theirs[0] >= own[0]:
                    where = "the same layer as" if theirs[0] == own[0] else "a higher layer than"
                    self.fault(f"{lib['dir']}: {name} depends on {dep} ({target['dir']}), which sits in {where} "
                               f"{own[1]}; a layer links only lower layers")
        self.check_cycles()

    def check_cycles(self):
        state = {}

        def visit(name, path):
            if state.get(name) == "done" or name not in self.libraries:
                return
            if state.get(name) == "open":
                cycle = path[path.index(name):] + [name]
                self.fault("dependency cycle: " + " -> ".join(cycle))
                return
            state[name] = "open"
            for dep in self.libraries[name]["depends"]:
                visit(dep, path + [name])
            state[name] = "done"

        for name in sorted(self.libraries):
            visit(name, [])

    def reachable(self, name):
        """The library and everything it depends on, directly or not."""
        seen, stack = set(), [name]
        while stack:
            current = stack.pop()
            if current in seen or current not in self.libraries:
                continue
            seen.add(current)
            stack.extend(self.libraries[current]["depends"])
        return seen

    # --- files ------------------------------------------------------------------------------

    def check_ownership(self):
        for folder in self.scan:
            top = self.absolute(folder)
            for base, dirs, files in os.walk(top):
                dirs.sort()
                for file in sorted(files):
                    path = os.path.join(base, file)
                    if file.endswith(SOURCE_SUFFIXES) and path not in self.owner:
                        self.fault(f"{self.relative(path)}: belongs to no library; list it in its folder's "
                                   "CMakeLists.txt")

    def resolve(self, including, name):
        for folder in [os.path.dirname(including)] + self.include_dirs:
            candidate = os.path.normpath(os.path.join(folder, name))
            if os.path.isfile(candidate):
                return candidate
        return None

    def check_includes(self):
        for path, name in sorted(self.owner.items()):
            lib = self.libraries[name]
            allowed = self.reachable(name)
            platform = {self.absolute(p) for p in lib.get("platform_sources", [])}
            try:
                with open(path, encoding="utf-8", errors="replace") as handle:
                    lines = handle.readlines()
            except OSError as error:
                self.fault(f"{self.relative(path)}: cannot be read ({error.strerror})")
                continue
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                kind, header = match.groups()
                where = f"{self.relative(path)}:{number}"
                if kind == "<":
                    if lib["portable"] and path not in platform and header.lower() in WIN32_HEADERS:
                        self.fault(f"{where}: portable {name} includes <{header}>")
                    continue
                target = self.resolve(path, header)
                if target is None:
                    self.fault(f'{where}: "{header}" is not found in the folder or any include folder')
                    continue
                owner = self.owner.get(target)
                if owner is None:
                    self.fault(f'{where}: "{header}" ({self.relative(target)}) belongs to no library')
                elif owner not in allowed:
                    self.fault(f'{where}: {name} includes "{header}" of {owner}, which it does not depend on '
                               f"(declared: {', '.join(lib['depends']) or 'nothing'})")

    def run(self):
        self.check_dependencies()
        self.check_ownership()
        self.check_includes()
        return self.faults


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("record", help="tovalux_layers.json from a configured build folder")
    args = parser.parse_args(argv)
    try:
        with open(args.record, encoding="utf-8") as handle:
            record = json.load(handle)
    except (OSError, ValueError) as error:
        print(f"check_layers: cannot read {args.record}: {error}", file=sys.stderr)
        return 2
    layering = Layering(record)
    faults = layering.run()
    for fault in faults:
        print(fault)
    files = len(layering.owner)
    if faults:
        print(f"check_layers: {len(faults)} fault(s) in {len(layering.libraries)} libraries, {files} files")
        return 1
    print(f"check_layers: {len(layering.libraries)} libraries, {files} files: every include goes downward")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
