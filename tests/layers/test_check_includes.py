#!/usr/bin/env python3
"""The include check on small trees made for each case."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_includes  # noqa: E402

TABLE = """# layer qt paths : rests on
base    -  base            :
engine  -  engine          : base
files   -  files           : base
reports -  reports         : engine
tool    -  reports/tool.cpp : reports files
gui     qt gui             : reports
"""


class IncludeCheckTest(unittest.TestCase):
    def tree(self, files, table=TABLE):
        """A checkout with src/layers.txt and the given files (path: text)."""
        root = tempfile.TemporaryDirectory()
        self.addCleanup(root.cleanup)
        contents = {"src/layers.txt": table, "src/base/A.h": "", "src/engine/B.h": "", "src/files/C.h": "",
                    "src/reports/D.h": "", "src/reports/tool.cpp": "", "src/gui/E.h": ""}
        contents.update(files)
        for path, text in contents.items():
            full = os.path.join(root.name, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as file:
                file.write(text)
        return root.name

    def faults(self, files, table=TABLE):
        faults, _ = check_includes.check(self.tree(files, table))
        return faults

    def test_includes_downward_and_within_a_layer_pass(self):
        self.assertEqual(self.faults({
            "src/reports/D.cpp": '#include "reports/D.h"\n#include "engine/B.h"\n#include "base/A.h"\n',
            "src/engine/B.cpp": '#include "B.h"\n#include "moc_B.cpp"\n',  # beside it; a generated file
            "src/reports/tool.cpp": '#include "files/C.h"\n#include "reports/D.h"\n',
            "src/gui/E.cpp": "#include <QWidget>\n#include \"reports/D.h\"\n",
        }), [])

    def test_an_upward_include_names_the_file_the_line_and_the_include(self):
        faults = self.faults({"src/engine/B.cpp": '#include "engine/B.h"\n\n#include "reports/D.h"\n'})
        self.assertEqual(len(faults), 1)
        self.assertTrue(faults[0].startswith('src/engine/B.cpp:3: #include "reports/D.h": engine may not include '
                                             "reports"), faults[0])

    def test_a_sideways_include_fails(self):
        faults = self.faults({"src/engine/B.cpp": '#include "files/C.h"\n'})
        self.assertEqual(len(faults), 1)
        self.assertIn("engine may not include files", faults[0])

    def test_a_relative_include_is_resolved_before_it_is_judged(self):
        faults = self.faults({"src/base/A.cpp": '#include "../engine/B.h"\n'})
        self.assertEqual(len(faults), 1)
        self.assertIn("base may not include engine (src/engine/B.h)", faults[0])

    def test_a_file_named_in_the_table_belongs_to_its_own_layer(self):
        # reports/tool.cpp may use files; the rest of reports may not.
        faults = self.faults({"src/reports/tool.cpp": '#include "files/C.h"\n',
                              "src/reports/D.cpp": '#include "files/C.h"\n'})
        self.assertEqual(len(faults), 1)
        self.assertTrue(faults[0].startswith("src/reports/D.cpp:1:"), faults[0])
        # and nothing may include the tool's layer from below it
        faults = self.faults({"src/reports/D.cpp": '#include "reports/tool.cpp"\n'})
        self.assertEqual(len(faults), 1)
        self.assertIn("reports may not include tool", faults[0])

    def test_qt_only_in_the_qt_layers(self):
        faults = self.faults({"src/engine/B.cpp": "#include <vector>\n#include <QString>\n",
                              "src/files/C.cpp": "#include <QtCore/QObject>\n"})
        self.assertEqual(len(faults), 2)
        self.assertIn("src/engine/B.cpp:2", faults[0])
        self.assertIn("src/files/C.cpp:1", faults[1])

    def test_a_file_outside_every_layer_fails(self):
        faults = self.faults({"src/extra/F.cpp": ""})
        self.assertEqual(faults, ["src/extra/F.cpp: belongs to no layer of src/layers.txt"])

    def test_the_table_must_point_one_way_and_keep_qt_above(self):
        cyclic = TABLE.replace("base    -  base            :", "base    -  base            : reports")
        self.assertTrue(any("base rests on itself" in fault for fault in self.faults({}, cyclic)))
        unknown = TABLE.replace("files   -  files           : base", "files   -  files           : basis")
        self.assertTrue(any("files rests on basis, which is not a layer" in f for f in self.faults({}, unknown)))
        qt_below = TABLE.replace("files   -  files           : base", "files   -  files           : gui")
        self.assertTrue(any("files has no Qt but rests on the Qt layer gui" in f for f in self.faults({}, qt_below)))
        missing = TABLE + "extra   -  extra           : base\n"
        self.assertTrue(any("names src/extra, which does not exist" in f for f in self.faults({}, missing)))


if __name__ == "__main__":
    unittest.main()
