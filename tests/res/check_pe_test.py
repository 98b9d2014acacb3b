#!/usr/bin/env python3
"""Shows that check_pe.py catches each fault it is there for.

    check_pe_test.py OBJDUMP EXE

Takes objdump's real report of the shipped setup.exe, which must pass, and
variants of it with one fault each (a 64-bit header, a console program,
ASLR or DEP off, a forbidden DLL), each of which must be named."""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_pe  # noqa: E402

OBJDUMP = EXE = None


def mutate(text, pattern, replacement):
    changed, n = re.subn(pattern, replacement, text, count=1, flags=re.MULTILINE)
    if n != 1:
        raise AssertionError("the report has no %r to change" % pattern)
    return changed


def add_import(text, dll):
    return mutate(text, r"^(\s*DLL Name:\s*)(\S+)$", r"\g<1>\g<2>\n\g<1>" + dll)


class CheckPeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.report = check_pe.objdump(OBJDUMP, EXE)

    def test_shipped_file_passes(self):
        self.assertEqual(check_pe.problems(self.report), [])

    def test_each_fault_is_named(self):
        cases = [
            ("PE32+ magic", mutate(self.report, r"^(Magic\s+)010b", r"\g<1>020b"), "magic"),
            ("64-bit format", mutate(self.report, r"file format pei-i386", "file format pei-x86-64"),
             "file format"),
            ("x86-64 machine", mutate(self.report, r"^architecture: i386,", "architecture: i386:x86-64,"),
             "machine"),
            ("console subsystem",
             mutate(self.report, r"^(Subsystem\s+)00000002(\s+)\(Windows GUI\)", r"\g<1>00000003\g<2>(Windows CUI)"),
             "subsystem"),
            ("no ASLR", mutate(self.report, r"^(DllCharacteristics\s+)[0-9a-fA-F]+", r"\g<1>00000100"),
             "DYNAMIC_BASE"),
            ("no DEP", mutate(self.report, r"^(DllCharacteristics\s+)[0-9a-fA-F]+", r"\g<1>00000040"),
             "NX_COMPAT"),
            ("version.dll", add_import(self.report, "VERSION.dll"), "VERSION.dll"),
            ("libstdc++", add_import(self.report, "libstdc++-6.dll"), "libstdc++-6.dll"),
            ("libgcc", add_import(self.report, "libgcc_s_dw2-1.dll"), "libgcc_s_dw2-1.dll"),
            ("winpthread", add_import(self.report, "libwinpthread-1.dll"), "libwinpthread-1.dll"),
        ]
        for name, text, word in cases:
            with self.subTest(name):
                found = check_pe.problems(text)
                self.assertEqual(len(found), 1, found)
                self.assertIn(word, found[0])

    def test_dll_names_compare_without_case(self):
        text = add_import(add_import(self.report, "USER32.DLL"), "Shlwapi.dll")
        self.assertEqual(check_pe.problems(text), [])


if __name__ == "__main__":
    if len(sys.argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        sys.exit(2)
    OBJDUMP, EXE = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1] + sys.argv[3:])
