#!/usr/bin/env python3
"""The include check on small trees made for each case: what it must pass and what it must
refuse (a circle, an include upwards or between peers, a folder left out of LAYERS, a stale
tolerance)."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_layers.py")

# The base tree: editor/model/LAYERS orders low below high; high/B includes low/A.
BASE = {
    "editor/model/LAYERS": "low\nhigh\n",
    "editor/model/low/A.h": "#pragma once\n#include <vector>\n#include \"Bitra5.h\"\n",
    "editor/model/low/A.cpp": "#include \"A.h\"\n",
    "editor/model/high/B.h": "#pragma once\n#include \"A.h\"\n",
    "editor/model/high/B.cpp": "#include \"B.h\"\n",
    "imagelib/include/Bitra5.h": "#pragma once\n",
}

CASES = [
    # name, files added or replaced, expected exit code, text the output must hold
    ("layered tree passes", {}, 0, "layering kept"),
    ("include from a lower folder to a higher one",
     {"editor/model/low/A.cpp": "#include \"A.h\"\n#include \"B.h\"\n"}, 1,
     "editor/model/low/A.cpp:2: includes editor/model/high/B.h, in a higher folder"),
    ("include between peers on one line",
     {"editor/model/LAYERS": "low high\n"}, 1, "in a peer folder"),
    ("circle between two units of one folder",
     {"editor/model/low/C.h": "#pragma once\n",
      "editor/model/low/C.cpp": "#include \"C.h\"\n#include \"A.h\"\n",
      "editor/model/low/A.cpp": "#include \"A.h\"\n#include \"C.h\"\n"}, 1,
     "include circle between editor/model/low/A, editor/model/low/C"),
    ("circle through three units in a folder without LAYERS",
     {"editor/shell/P.h": "#include \"Q.h\"\n", "editor/shell/Q.h": "#include \"R.h\"\n",
      "editor/shell/R.h": "#pragma once\n", "editor/shell/R.cpp": "#include \"P.h\"\n"}, 1,
     "include circle between editor/shell/P, editor/shell/Q, editor/shell/R"),
    ("folder with code missing from LAYERS",
     {"editor/model/extra/D.cpp": "#include \"A.h\"\n"}, 1,
     "folder editor/model/extra holds code but is not listed"),
    ("listed folder that does not exist",
     {"editor/model/LAYERS": "low\nhigh\ngone\n"}, 1, "listed folder editor/model/gone"),
    ("tolerated circle is a note",
     {"editor/LAYERS": "tolerate-circle-through shell/P\n",
      "editor/shell/P.h": "#include \"Q.h\"\n", "editor/shell/Q.h": "#pragma once\n",
      "editor/shell/Q.cpp": "#include \"P.h\"\n"}, 0,
     "note: tolerated include circle between editor/shell/P, editor/shell/Q"),
    ("tolerance of a circle that is gone",
     {"editor/LAYERS": "tolerate-circle-through shell/P\n", "editor/shell/P.h": "\n"}, 1,
     "no circle holds it any more"),
    ("a tree without LAYERS is not read",
     {"imagelib/core/X.h": "#include \"Y.h\"\n", "imagelib/core/Y.h": "#include \"X.h\"\n"}, 0,
     "layering kept"),
]


def make_tree(root, files):
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as handle:
            handle.write(text)


class CheckLayersTest(unittest.TestCase):
    def test_cases(self):
        for name, changes, expected_code, expected_text in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                make_tree(root, {**BASE, **changes})
                run = subprocess.run([sys.executable, CHECK, root], capture_output=True,
                                     text=True, check=False)
                self.assertEqual(run.returncode, expected_code, run.stdout + run.stderr)
                self.assertIn(expected_text, run.stdout)


if __name__ == "__main__":
    unittest.main()
