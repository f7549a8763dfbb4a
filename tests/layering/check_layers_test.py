#!/usr/bin/env python3
"""Self-test of scripts/check_layers.py on small fixture trees: a sound tree passes, and each kind of
wrong-way dependency makes the check fail with a line that names the culprit."""

import json
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check_layers.py")

# Three layers: base, then net, then app. net has a portable library and a Win32 one on top of it.
SOUND_FILES = {
    "src/base/text.h": "#pragma once\nint length(const char*);\n",
    "src/base/text.cpp": '#include "base/text.h"\nint length(const char*) { return 0; }\n',
    "src/net/rules.h": '#pragma once\n#include "base/text.h"\n',
    "src/net/rules.cpp": '#include "net/rules.h"\n#include <string>\n',
    "src/net/socket.h": '#pragma once\n#include <windows.h>\n#include "net/rules.h"\n',
    "src/net/socket_win32.cpp": '#include "net/socket.h"\n#include "local.h"\n',
    "src/net/local.h": "#pragma once\n",
    "src/app/main.cpp": '#include "net/socket.h"\n#include "base/text.h"\n',
}


def library(name, folder, sources, depends=(), portable=False, platform=()):
    return {"name": name, "dir": folder, "portable": portable, "sources": list(sources),
            "platform_sources": list(platform), "depends": list(depends), "include_dirs": ["src"]}


def sound_libraries():
    return [
        library("base", "src/base", ["src/base/text.h", "src/base/text.cpp"], portable=True),
        library("net_portable", "src/net", ["src/net/rules.h", "src/net/rules.cpp"], ["base"], portable=True),
        library("net", "src/net", ["src/net/socket.h", "src/net/socket_win32.cpp", "src/net/local.h"],
                ["net_portable"]),
        library("app", "src/app", ["src/app/main.cpp"], ["net"]),
    ]


class CheckLayersTest(unittest.TestCase):
    def run_check(self, files=None, libraries=None, layers=None):
        files = dict(SOUND_FILES if files is None else files)
        with tempfile.TemporaryDirectory() as root:
            for path, text in files.items():
                os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
                with open(os.path.join(root, path), "w", encoding="utf-8") as handle:
                    handle.write(text)
            record = {"root": root, "scan": ["src"],
                      "layers": layers or [["src/base"], ["src/net"], ["src/app"]],
                      "libraries": libraries if libraries is not None else sound_libraries()}
            path = os.path.join(root, "layers.json")
            with open(path, "w", encoding="utf-8") as handle:
                json.dump(record, handle)
            result = subprocess.run([sys.executable, SCRIPT, path], capture_output=True, text=True)
            return result.returncode, result.stdout

    def test_sound_tree_passes(self):
        code, out = self.run_check()
        self.assertEqual(code, 0, out)
        self.assertIn("every include goes downward", out)

    def test_wrong_way_include_fails(self):
        files = dict(SOUND_FILES)
        files["src/base/text.cpp"] = '#include "base/text.h"\n#include "net/rules.h"\n'
        code, out = self.run_check(files)
        self.assertEqual(code, 1, out)
        self.assertIn('src/base/text.cpp:2: base includes "net/rules.h" of net_portable, which it does not depend on', out)

    def test_include_of_an_undeclared_lower_library_fails(self):
        # app declares nothing: both its includes are caught, the one of a lower layer included.
        libraries = sound_libraries()
        libraries[3]["depends"] = []
        code, out = self.run_check(libraries=libraries)
        self.assertEqual(code, 1, out)
        self.assertIn('src/app/main.cpp:1: app includes "net/socket.h" of net', out)
        self.assertIn('src/app/main.cpp:2: app includes "base/text.h" of base', out)

    def test_declared_dependency_against_the_layer_order_fails(self):
        libraries = sound_libraries()
        libraries[0]["depends"] = ["net_portable"]  # base on a higher layer: also a cycle
        code, out = self.run_check(libraries=libraries)
        self.assertEqual(code, 1, out)
        self.assertIn("base depends on net_portable (src/net), which sits in a higher layer than src/base", out)
        self.assertIn("dependency cycle: net_portable -> base -> net_portable", out)

        peers = [["src/base"], ["src/net", "src/app"]]
        code, out = self.run_check(layers=peers)
        self.assertEqual(code, 1, out)
        self.assertIn("app depends on net (src/net), which sits in the same layer as src/app", out)

    def test_portable_library_stays_off_win32(self):
        files = dict(SOUND_FILES)
        files["src/net/rules.cpp"] = '#include "net/rules.h"\n#  include <Windows.h>\n'
        libraries = sound_libraries()
        libraries[1]["depends"] = ["base", "net"]
        code, out = self.run_check(files, libraries)
        self.assertEqual(code, 1, out)
        self.assertIn("src/net/rules.cpp:2: portable net_portable includes <Windows.h>", out)
        self.assertIn("portable net_portable depends on the Win32 library net", out)

        # A platform implementation file of a portable interface may include it.
        files["src/net/rules_win32.cpp"] = "#include <windows.h>\n"
        libraries = sound_libraries()
        libraries[1]["sources"].append("src/net/rules_win32.cpp")
        libraries[1]["platform_sources"] = ["src/net/rules_win32.cpp"]
        files["src/net/rules.cpp"] = SOUND_FILES["src/net/rules.cpp"]
        code, out = self.run_check(files, libraries)
        self.assertEqual(code, 0, out)

    def test_inner_layers_of_one_folder_are_kept_apart(self):
        # A folder whose sub-folders are layers of their own, as the toolkit's model is: the
        # longest layer folder decides where a library sits, so a sub-folder library sits above
        # or below its siblings, and its parent folder's layer still holds the rest.
        files = {
            "src/kit/model/core/object.h": "#pragma once\n",
            "src/kit/model/core/object.cpp": '#include "kit/model/core/object.h"\n',
            "src/kit/model/docking/pane.h": '#pragma once\n#include "kit/model/core/object.h"\n',
            "src/kit/model/menus/menu.h": '#pragma once\n#include "kit/model/core/object.h"\n',
            "src/kit/win32/backend.cpp": '#include "kit/model/docking/pane.h"\n',
        }
        layers = [["src/kit/model/core"], ["src/kit/model/docking", "src/kit/model/menus"], ["src/kit"]]

        def kit(core_depends=()):
            return [
                library("core", "src/kit/model/core", ["src/kit/model/core/object.h", "src/kit/model/core/object.cpp"],
                        core_depends, portable=True),
                library("docking", "src/kit/model/docking", ["src/kit/model/docking/pane.h"], ["core"], portable=True),
                library("menus", "src/kit/model/menus", ["src/kit/model/menus/menu.h"], ["core"], portable=True),
                library("win32", "src/kit/win32", ["src/kit/win32/backend.cpp"], ["docking"]),
            ]

        code, out = self.run_check(files, kit(), layers)
        self.assertEqual(code, 0, out)

        # core includes a docking header: the upward include is named with both libraries.
        upward = dict(files)
        upward["src/kit/model/core/object.cpp"] = '#include "kit/model/core/object.h"\n#include "kit/model/docking/pane.h"\n'
        code, out = self.run_check(upward, kit(), layers)
        self.assertEqual(code, 1, out)
        self.assertIn('src/kit/model/core/object.cpp:2: core includes "kit/model/docking/pane.h" of docking, which it '
                      "does not depend on (declared: nothing)", out)

        # Declaring the dependency does not help: docking sits above core.
        code, out = self.run_check(upward, kit(core_depends=["docking"]), layers)
        self.assertEqual(code, 1, out)
        self.assertIn("core depends on docking (src/kit/model/docking), which sits in a higher layer than "
                      "src/kit/model/core", out)

        # Two peers of one inner layer do not see each other.
        sideways = dict(files)
        sideways["src/kit/model/menus/menu.h"] = '#pragma once\n#include "kit/model/docking/pane.h"\n'
        code, out = self.run_check(sideways, kit(), layers)
        self.assertEqual(code, 1, out)
        self.assertIn('src/kit/model/menus/menu.h:2: menus includes "kit/model/docking/pane.h" of docking', out)

    def test_unlisted_and_unresolved_files_fail(self):
        files = dict(SOUND_FILES)
        files["src/net/forgotten.h"] = "#pragma once\n"
        files["src/app/main.cpp"] = '#include "net/forgotten.h"\n#include "net/missing.h"\n'
        libraries = sound_libraries()
        libraries.append(library("stray", "src/lost", ["src/app/main.cpp"]))
        code, out = self.run_check(files, libraries)
        self.assertEqual(code, 1, out)
        self.assertIn("src/net/forgotten.h: belongs to no library", out)
        self.assertIn('src/app/main.cpp:1: "net/forgotten.h" (src/net/forgotten.h) belongs to no library', out)
        self.assertIn('src/app/main.cpp:2: "net/missing.h" is not found', out)
        self.assertIn("src/app/main.cpp: listed by both app and stray", out)
        self.assertIn("src/lost: stray is in no layer", out)


if __name__ == "__main__":
    unittest.main()
