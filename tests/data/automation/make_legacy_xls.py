#!/usr/bin/env python3
"""Writes legacy.xls, a minimal BIFF8 workbook in a compound file, for the
tests of the legacy reader.

Sheet "下料": A1 "序 号", B1 "规   格", A2 1 (an RK number), B2 "HRB400Φ12",
C2 2995.5, C3 the formula =C2*2 with its stored result 5991.
Sheet "原料": A1 "x" (an inline text).

With --password the globals carry a FILEPASS record, as a workbook protected
by a password to open does (the cells stay plain: only the mark matters).

Usage: make_legacy_xls.py [--password] [output path]
"""
import struct
import sys

ENDOFCHAIN = 0xFFFFFFFE
FREESECT = 0xFFFFFFFF
FATSECT = 0xFFFFFFFD
NOSTREAM = 0xFFFFFFFF
SECTOR = 512


def record(kind, data=b""):
    return struct.pack("<HH", kind, len(data)) + data


def bof(stream_type):
    return record(0x0809, struct.pack("<HHHHII", 0x0600, stream_type, 0x0DBB, 0x07CC, 0, 0x06))


def short_unicode(text):
    raw = text.encode("utf-16-le")
    return struct.pack("<BB", len(raw) // 2, 1) + raw


def unicode_string(text):
    raw = text.encode("utf-16-le")
    return struct.pack("<HB", len(raw) // 2, 1) + raw


def workbook_stream(password):
    strings = ["序 号", "规   格", "HRB400Φ12"]
    xf_records = b"".join(
        record(0x00E0, struct.pack("<HHH", 0, 0, 0xFFF5 if i < 15 else 0x0001) + bytes(14)) for i in range(16))

    def globals_part(offsets):
        part = bof(0x0005)
        if password:
            part += record(0x002F, struct.pack("<HHH", 1, 1, 1) + bytes(48))  # FILEPASS: RC4
        part += record(0x0042, struct.pack("<H", 1200))  # CODEPAGE: UTF-16
        part += record(0x0022, struct.pack("<H", 0))     # DATEMODE: 1900
        part += xf_records
        for name, offset in zip(["下料", "原料"], offsets):
            part += record(0x0085, struct.pack("<IBB", offset, 0, 0) + short_unicode(name))
        sst = struct.pack("<II", len(strings), len(strings)) + b"".join(unicode_string(s) for s in strings)
        part += record(0x00FC, sst)
        part += record(0x000A)
        return part

    sheet1 = bof(0x0010)
    sheet1 += record(0x0200, struct.pack("<IIHHH", 0, 3, 0, 3, 0))        # DIMENSIONS A1:C3
    sheet1 += record(0x00FD, struct.pack("<HHHI", 0, 0, 15, 0))           # A1 "序 号"
    sheet1 += record(0x00FD, struct.pack("<HHHI", 0, 1, 15, 1))           # B1 "规   格"
    sheet1 += record(0x027E, struct.pack("<HHHI", 1, 0, 15, (1 << 2) | 2))  # A2 1 as an RK integer
    sheet1 += record(0x00FD, struct.pack("<HHHI", 1, 1, 15, 2))           # B2 "HRB400Φ12"
    sheet1 += record(0x0203, struct.pack("<HHHd", 1, 2, 15, 2995.5))      # C2 2995.5
    # C3 =C2*2: ptgRef row 1, column 2 (relative), ptgInt 2, ptgMul.
    tokens = struct.pack("<BHH", 0x24, 1, 2 | 0xC000) + struct.pack("<BH", 0x1E, 2) + b"\x05"
    sheet1 += record(0x0006, struct.pack("<HHHdHIH", 2, 2, 15, 5991.0, 0, 0, len(tokens)) + tokens)
    sheet1 += record(0x000A)

    sheet2 = bof(0x0010)
    sheet2 += record(0x0200, struct.pack("<IIHHH", 0, 1, 0, 1, 0))
    sheet2 += record(0x0204, struct.pack("<HHH", 0, 0, 15) + unicode_string("x"))  # A1 "x" (LABEL)
    sheet2 += record(0x000A)

    size = len(globals_part([0, 0]))
    stream = globals_part([size, size + len(sheet1)]) + sheet1 + sheet2
    # A stream below 4096 bytes would live in the mini stream; pad it.
    return stream + bytes(max(0, 4096 - len(stream)))


def directory_entry(name, kind, child, start, size):
    raw = (name + "\0").encode("utf-16-le") if name else b""
    entry = raw.ljust(64, b"\0")
    entry += struct.pack("<HBB", len(raw), kind, 1 if kind else 0)
    entry += struct.pack("<III", NOSTREAM, NOSTREAM, child)
    entry += bytes(16) + struct.pack("<I", 0) + bytes(16)
    entry += struct.pack("<III", start, size, 0)
    return entry


def compound_file(stream):
    stream = stream + bytes((-len(stream)) % SECTOR)
    stream_sectors = len(stream) // SECTOR
    directory_sector = 1 + stream_sectors
    fat = [FATSECT] + [s + 1 for s in range(1, stream_sectors)] + [ENDOFCHAIN, ENDOFCHAIN]
    fat += [FREESECT] * (SECTOR // 4 - len(fat))
    header = bytes.fromhex("D0CF11E0A1B11AE1") + bytes(16)
    header += struct.pack("<HHHHH", 0x003E, 0x0003, 0xFFFE, 9, 6) + bytes(6)
    header += struct.pack("<IIIIIIIII", 0, 1, directory_sector, 0, 0x1000, ENDOFCHAIN, 0, ENDOFCHAIN, 0)
    header += struct.pack("<I", 0) + struct.pack("<I", FREESECT) * 108
    directory = directory_entry("Root Entry", 5, 1, ENDOFCHAIN, 0)
    directory += directory_entry("Workbook", 2, NOSTREAM, 1, len(stream))
    directory += directory_entry("", 0, NOSTREAM, 0, 0) * 2
    return header + struct.pack("<%dI" % (SECTOR // 4), *fat) + stream + directory


if __name__ == "__main__":
    arguments = sys.argv[1:]
    password = "--password" in arguments
    arguments = [a for a in arguments if a != "--password"]
    path = arguments[0] if arguments else ("locked.xls" if password else "legacy.xls")
    with open(path, "wb") as out:
        out.write(compound_file(workbook_stream(password)))
