#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The test command's source checks: which lines branch on the protocol, which folders form a loop."""
import importlib.util
import os
import tempfile
import unittest

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")


def load(name):
    where = importlib.util.spec_from_file_location(name.replace("-", "_"), os.path.join(SCRIPTS, name + ".py"))
    module = importlib.util.module_from_spec(where)
    where.loader.exec_module(module)
    return module


branches = load("protocol-branches")
cycles = load("folder-cycles")

HEADER = "struct PlanDevice {\n    bool onvif = false;\n};\nclass Page {\n    bool m_onvif = false;\n};\n"

# (case, a line of src/x/Page.cpp, whether it branches on the protocol)
LINES = [
    ("constant on the right", "if (record.protocol == VEXA_PROTOCOL_ONVIF) {", True),
    ("constant on the left", "return VEXA_PROTOCOL_ONVIF != r.protocol;", True),
    ("case label", "case VEXA_PROTOCOL_VEXA:", True),
    ("switch on the field", "switch (info->protocol) {", True),
    ("role compared", "if (id->data(ProtocolRole).toInt() == VEXA_PROTOCOL_ONVIF)", True),
    ("predicate call", "if (!isOnvif(record))", True),
    ("predicate definition", "bool isOnvif(const VEXA_DEVICE_MY_INFO& record) {", False),
    ("member flag read", "password = device.onvif ? QByteArray() : m_password;", True),
    ("member flag through a pointer", "if (target && target->onvif)", True),
    ("m_ flag read bare", "if (!m_onvif || enabled)", True),
    ("flag assigned a test", "d.onvif = record.protocol == VEXA_PROTOCOL_ONVIF;", True),
    ("flag assigned a constant", "m_onvif = false;", False),
    ("constant stored, not compared", "item->setData(VEXA_PROTOCOL_ONVIF, ProtocolRole);", False),
    ("field copied", "record.protocol = source.protocol;", False),
    ("socket protocol call", "if (parsed.protocol() != QAbstractSocket::IPv6Protocol)", False),
    ("in a comment", "// if (record.protocol == VEXA_PROTOCOL_ONVIF)", False),
    ("in a string", 'label = "isOnvif(x) == VEXA_PROTOCOL_ONVIF";', False),
    ("a record named like a flag", "store->remove(onvif);", False),
    ("an onvif-named map", "m_onvifByMac.clear();", False),
]


class ProtocolBranches(unittest.TestCase):
    def test_lines(self):
        for case, line, expected in LINES:
            with self.subTest(case):
                found = branches.count([("src/x/Page.h", HEADER), ("src/x/Page.cpp", "void f() {\n" + line + "\n}\n")])
                self.assertEqual([n for p, n in found if p.endswith(".cpp")], [2] if expected else [])

    def test_local_flag_scope(self):
        # A local flag is one only in its own block: the same name in the next function is a pointer.
        text = ("void a() {\n    const bool onvif = isOnvif(r);\n    if (onvif)\n        go();\n}\n"
                "void b() {\n    const QStandardItem* onvif = rows.value(k);\n    first = onvif ? onvif->row() : -1;\n}\n")
        self.assertEqual(branches.count([("src/x/Page.cpp", text)]), [("src/x/Page.cpp", 2), ("src/x/Page.cpp", 3)])

    def test_fleet_is_not_counted(self):
        with tempfile.TemporaryDirectory() as root:
            for folder in ("src/fleet", "src/page", "tools/cli", "tests"):
                os.makedirs(os.path.join(root, folder))
                with open(os.path.join(root, folder, "A.cpp"), "w") as f:
                    f.write("if (isOnvif(r)) {}\n")
            self.assertEqual(sorted(p for p, _ in branches.count(branches.files(root))),
                             ["src/page/A.cpp", "tools/cli/A.cpp"])


# (case, files of src/ as path -> includes, the folders that form a loop)
FOLDERS = [
    ("layers downward", {"a/A.h": ["b/B.h"], "b/B.h": ["c/C.h"], "c/C.h": []}, []),
    ("two folders", {"a/A.h": ["b/B.h"], "b/B.h": ["a/A.h"]}, [["a", "b"]]),
    ("a subfolder belongs to its top folder",
     {"aptui/W.h": ["toolkit/M.h"], "toolkit/M.h": ["common/X.h"], "common/X.cpp": ["plan/core/R.h"],
      "plan/core/R.h": [], "plan/Page.h": ["aptui/W.h"]}, [["aptui", "common", "plan", "toolkit"]]),
    ("a folder including its own subfolder", {"plan/P.h": ["plan/core/R.h"], "plan/core/R.h": []}, []),
    ("a file of src/ itself", {"main.cpp": ["a/A.h"], "a/A.h": []}, []),
]


class FolderCycles(unittest.TestCase):
    def test_loops(self):
        for case, includes, expected in FOLDERS:
            with self.subTest(case):
                files = [(path, "".join('#include "%s"\n' % i for i in wanted)) for path, wanted in includes.items()]
                self.assertEqual(cycles.loops(cycles.edges(files)), expected)


if __name__ == "__main__":
    unittest.main()
