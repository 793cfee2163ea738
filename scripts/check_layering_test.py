#!/usr/bin/env python3
"""The layering check on a small tree: what it lets through and what it stops."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layering  # noqa: E402


class LayeringCheck(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.root = self.tmp.name
        self.write("src/low/low.h", "#pragma once\n")
        self.write("src/low/low.cpp", '#include "low/low.h"\n')
        self.write("src/mid/mid.h", '#pragma once\n#include "low/low.h"\n')
        self.write("src/mid/mid.cpp", '#include "mid/mid.h"\n')
        self.write("src/top/ui/top.h", '#pragma once\n#include <QWidget>\n#include "mid/mid.h"\n')
        self.write("src/top/ui/top.cpp", '#include "top/ui/top.h"\n#include "low/low.h"\n')
        self.write("tests/top/ui/fixture.h", '#pragma once\n#include "top/ui/top.h"\n')
        self.write("tests/mid/mid_test.cpp", '#include "mid/mid.h"\n')
        self.targets = {
            "lumivane_low": ("STATIC_LIBRARY", "src/low", "low.cpp", "", ""),
            "lumivane_mid": ("STATIC_LIBRARY", "src/mid", "mid.cpp", "lumivane_low", "lumivane_low"),
            "lumivane_top_ui": ("STATIC_LIBRARY", "src/top/ui", "top.cpp", "lumivane_mid;Qt6::Widgets",
                                "lumivane_mid;Qt6::Widgets"),
            "mid_tests": ("EXECUTABLE", "tests/mid", "mid_test.cpp", "lumivane_mid;GTest::gtest", ""),
        }

    def tearDown(self):
        self.tmp.cleanup()

    def write(self, rel, text):
        path = os.path.join(self.root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)

    def problems(self):
        lines = "".join(f"{n}|{k}|{os.path.join(self.root, d)}|{s}|{l}|{i}\n"
                        for n, (k, d, s, l, i) in self.targets.items())
        self.write("targets.txt", lines)
        return check_layering.check(self.root, check_layering.parse_targets(os.path.join(self.root, "targets.txt")))

    def test_includes_of_linked_libraries_pass_directly_and_transitively(self):
        self.assertEqual(self.problems(), [])

    def test_upward_and_unlinked_includes_fail(self):
        cases = [
            ("src/low/low.h", '#pragma once\n#include "mid/mid.h"\n', "src/low/low.h", "lumivane_mid"),
            ("src/mid/mid.cpp", '#include "top/ui/top.h"\n', "src/mid/mid.cpp", "lumivane_top_ui"),
            ("tests/mid/mid_test.cpp", '#include "../top/ui/fixture.h"\n', "tests/top/ui/fixture.h",
             "lumivane_top_ui"),
        ]
        for path, text, culprit, library in cases:
            with self.subTest(path=path):
                self.setUp()
                self.write(path, text)
                problems = self.problems()
                self.assertEqual(len(problems), 1, problems)
                self.assertTrue(problems[0].startswith(culprit), problems)
                self.assertIn(library, problems[0])

    def test_plain_library_with_a_qt_header_fails(self):
        self.write("src/mid/mid.cpp", '#include <QString>\n#include "mid/mid.h"\n')
        self.assertEqual(self.problems(), ["src/mid/mid.cpp: plain library lumivane_mid includes Qt header <QString>"])

    def test_two_libraries_in_one_folder_fail(self):
        self.targets["lumivane_low_extra"] = ("STATIC_LIBRARY", "src/low", "low.cpp", "", "")
        self.assertTrue(any("holds two libraries" in p for p in self.problems()))

    def test_private_links_of_a_dependency_do_not_reach_its_users(self):
        self.targets["lumivane_mid"] = ("STATIC_LIBRARY", "src/mid", "mid.cpp", "lumivane_low",
                                        "$<LINK_ONLY:lumivane_low>")
        self.write("src/mid/mid.h", "#pragma once\n")
        self.write("tests/mid/mid_test.cpp", '#include "mid/mid.h"\n#include "low/low.h"\n')
        problems = self.problems()
        self.assertTrue(any(p.startswith("tests/mid/mid_test.cpp") and "lumivane_low" in p for p in problems),
                        problems)

if __name__ == "__main__":
    unittest.main()
