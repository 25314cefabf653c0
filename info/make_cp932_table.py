#!/usr/bin/env python3
"""Writes the C++ table of code page 932's two-byte characters.

Code page 932 is the Windows form of Shift_JIS, with NEC's and IBM's extra
characters: the code page a PC-98 disk's text is written in. Python's cp932
codec is the source, so that every build of d88info (Linux, static, MinGW,
WebAssembly) decodes the same way, with no iconv or Windows call at run time.

One row per lead byte (0x81-0x9F, 0xE0-0xFC), one column per trail byte
(0x40-0x7E, 0x80-0xFC); 0 marks bytes the code page leaves unassigned. The
user-defined area (lead bytes 0xF0-0xF9) decodes to private-use code points
that show no character anywhere: it is left unassigned too, so that its
bytes are shown as they are.

    make_cp932_table.py OUTPUT.cpp
"""
import sys

LEADS = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
TRAILS = list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))
PRIVATE_USE = range(0xE000, 0xF900)
PER_LINE = 12


def character(lead, trail):
    try:
        text = bytes([lead, trail]).decode("cp932")
    except UnicodeDecodeError:
        return 0
    if len(text) != 1 or ord(text) < 0x80 or ord(text) in PRIVATE_USE:
        return 0
    if ord(text) > 0xFFFF:
        sys.exit(f"cp932 {lead:02X}{trail:02X} lies outside the Basic Multilingual Plane")
    return ord(text)


def row_lines(lead):
    values = [f"0x{character(lead, trail):04X}" for trail in TRAILS]
    chunks = [values[i:i + PER_LINE] for i in range(0, len(values), PER_LINE)]
    body = ",\n".join("         " + ", ".join(chunk) for chunk in chunks)
    return f"    // lead byte 0x{lead:02X}\n    {{{{\n{body}}}}}"


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_cp932_table.py OUTPUT.cpp")
    rows = ",\n".join(row_lines(lead) for lead in LEADS)
    source = (
        "// Written by info/make_cp932_table.py from Python's cp932 codec.\n"
        '#include "Cp932Table.h"\n\n'
        "const Cp932Rows Cp932Characters{{\n"
        f"{rows}\n"
        "}};\n"
    )
    with open(sys.argv[1], "w", encoding="ascii", newline="\n") as output:
        output.write(source)


if __name__ == "__main__":
    main()
