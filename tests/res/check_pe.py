#!/usr/bin/env python3
"""Checks the header and imports of the shipped setup.exe with objdump.

    check_pe.py OBJDUMP EXE

The program must be a 32-bit (PE32, i386) Windows GUI executable with ASLR
(DYNAMIC_BASE) and DEP (NX_COMPAT) on, linked statically: it may import
only DLLs that every Windows system has, never the compiler's runtime DLLs
(libstdc++, libgcc, winpthread) nor version.dll. Exits 1 and names every
fault when one is found."""
import re
import subprocess
import sys

# Windows system DLLs the program may import, lower case.
ALLOWED_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
    "ole32.dll", "oleaut32.dll", "shlwapi.dll", "comdlg32.dll", "msvcrt.dll",
}

IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE = 0x0040
IMAGE_DLLCHARACTERISTICS_NX_COMPAT = 0x0100


def field(text, name):
    """The first word after a header field name at the start of a line."""
    m = re.search(r"^%s[ \t]+(\S+)" % re.escape(name), text, re.MULTILINE)
    return m.group(1) if m else None


def imported_dlls(text):
    return re.findall(r"^\s*DLL Name:\s*(\S+)\s*$", text, re.MULTILINE)


def problems(text):
    """The faults found in the output of `objdump -f -p` of one file."""
    found = []
    fmt = re.search(r"file format (\S+)", text)
    if not fmt or fmt.group(1) != "pei-i386":
        found.append("file format is %s, not pei-i386" % (fmt.group(1) if fmt else "unknown"))
    arch = re.search(r"^architecture:\s*([^,\s]+)", text, re.MULTILINE)
    if not arch or arch.group(1) != "i386":
        found.append("machine is %s, not i386" % (arch.group(1) if arch else "unknown"))
    magic = field(text, "Magic")
    if magic != "010b":
        found.append("optional header magic is %s, not 010b (PE32)" % magic)
    subsystem = field(text, "Subsystem")
    if subsystem is None or int(subsystem, 16) != 2:
        found.append("subsystem is %s, not 2 (Windows GUI)" % subsystem)
    dllchar = field(text, "DllCharacteristics")
    flags = int(dllchar, 16) if dllchar else 0
    if not flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE:
        found.append("DllCharacteristics %s lacks DYNAMIC_BASE (0x40)" % dllchar)
    if not flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT:
        found.append("DllCharacteristics %s lacks NX_COMPAT (0x100)" % dllchar)
    dlls = imported_dlls(text)
    if not dlls:
        found.append("no import table found")
    for dll in dlls:
        if dll.lower() not in ALLOWED_DLLS:
            found.append("imports %s, which is not a permitted system DLL" % dll)
    return found


def objdump(tool, path):
    return subprocess.run([tool, "-f", "-p", path], check=True, capture_output=True, text=True).stdout


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    text = objdump(argv[1], argv[2])
    found = problems(text)
    for p in found:
        print("%s: %s" % (argv[2], p))
    if not found:
        print("%s: PE32 i386 GUI, DYNAMIC_BASE and NX_COMPAT, imports %s"
              % (argv[2], ", ".join(imported_dlls(text))))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
