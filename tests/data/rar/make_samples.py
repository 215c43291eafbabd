#!/usr/bin/env python3
"""Writes the stored (uncompressed) RAR 4 and RAR 5 samples beside this script.

Usage: make_samples.py [folder]. Every sample is made from the same members, with
fixed times, so the output is the same on every run. Headers and checksums follow
the published RAR 4 technical note and the RAR 5 archive format description.
"""
import os
import struct
import sys
import zlib

MTIME = 1700000000  # 2023-11-14 22:13:20 UTC
FILES = [
    ("docs", None, 0o40755),
    ("docs/readme.txt", b"Corvex sample text.\n" * 3, 0o100644),
    ("docs/empty.txt", b"", 0o100600),
    ("numbers.bin", bytes(range(256)) * 12, 0o100644),
    ("docs/link", b"readme.txt", 0o120777),
]
# Names and links a careless extractor would follow out of its folder.
HOSTILE = [
    ("../escaped.txt", b"up\n", 0o100644),
    ("/absolute.txt", b"root\n", 0o100644),
    ("way", b"/tmp", 0o120777),
    ("way/planted.txt", b"through the link\n", 0o100644),
    ("kept.txt", b"kept\n", 0o100644),
]
SECRET = ("secret.txt", b"not really encrypted, only flagged\n", 0o100644)


def crc(data):
    return zlib.crc32(data) & 0xFFFFFFFF


def dos_time(t):
    import time
    y, mo, d, h, mi, s = time.gmtime(t)[:6]
    return ((y - 1980) << 25) | (mo << 21) | (d << 16) | (h << 11) | (mi << 5) | (s // 2)


# RAR 4: every block is CRC16 (low half of CRC32 over the rest), type, flags, size.
def rar4_block(kind, flags, body, data=b""):
    if data or kind == 0x74:
        flags |= 0x8000  # ADD_SIZE follows; for a file it is PACK_SIZE, inside body
    head = struct.pack("<BHH", kind, flags, 7 + len(body)) + body
    return struct.pack("<H", crc(head) & 0xFFFF) + head + data


def rar4_file(name, data, mode, flags=0, total=None, whole_crc=None):
    is_dir = data is None
    data = data or b""
    if is_dir:
        flags |= 0x00E0
    size = len(data) if total is None else total
    file_crc = crc(data) if whole_crc is None else whole_crc
    extra = b""
    if flags & 0x04:
        flags |= 0x0400
        extra = b"\x11" * 8  # salt
    body = struct.pack("<IIBIIBBHI", len(data), size, 3, file_crc, dos_time(MTIME), 29, 0x30,
                       len(name), mode) + name.encode() + extra
    return rar4_block(0x74, flags, body, data)


def rar4(members, main_flags=0, end_flags=0):
    out = b"Rar!\x1a\x07\x00" + rar4_block(0x73, main_flags, b"\0" * 6)
    for m in members:
        out += m
    return out + rar4_block(0x7B, end_flags, b"")


# RAR 5: CRC32, then a variable-length size, type, flags and fields.
def vint(n):
    out = b""
    while True:
        byte = n & 0x7F
        n >>= 7
        out += bytes([byte | (0x80 if n else 0)])
        if not n:
            return out


def rar5_block(kind, flags, fields, extra=b"", data=b""):
    # A file block always has a data area, if only an empty one.
    flags |= (0x01 if extra else 0) | (0x02 if data or kind == 2 else 0)
    body = vint(kind) + vint(flags)
    if extra:
        body += vint(len(extra))
    if flags & 0x02:
        body += vint(len(data))
    body += fields + extra
    head = vint(len(body)) + body
    return struct.pack("<I", crc(head)) + head + data


def rar5_record(kind, fields):
    return vint(len(vint(kind) + fields)) + vint(kind) + fields


def rar5_file(name, data, mode, flags=0, total=None, whole_crc=None, encrypted=False):
    is_dir = data is None
    data = data or b""
    extra = b""
    if mode & 0o170000 == 0o120000:
        extra += rar5_record(5, vint(1) + vint(0) + vint(len(data)) + data)
        data = b""
    if encrypted:
        extra += rar5_record(1, vint(0) + vint(0) + bytes([15]) + b"\x22" * 16 + b"\x33" * 16)
    size = len(data) if total is None else total
    fields = vint(0x03 if is_dir else 0x06) + vint(size) + vint(mode)
    fields += struct.pack("<I", MTIME)
    if not is_dir:
        fields += struct.pack("<I", crc(data) if whole_crc is None else whole_crc)
    fields += vint(0) + vint(1) + vint(len(name.encode())) + name.encode()
    return rar5_block(2, flags, fields, extra, data)


def rar5(members, archive_flags=0, volume=None, end_flags=0):
    main = vint(archive_flags) + (vint(volume) if volume else b"")
    out = b"Rar!\x1a\x07\x01\x00" + rar5_block(1, 0, main)
    for m in members:
        out += m
    return out + rar5_block(5, 0, vint(end_flags))


def samples():
    plain4 = [rar4_file(*f) for f in FILES]
    plain5 = [rar5_file(*f) for f in FILES]
    out = {
        "plain4.rar": rar4(plain4),
        "plain5.rar": rar5(plain5),
        "encrypted4.rar": rar4(plain4[:2] + [rar4_file(*SECRET, flags=0x04)]),
        "encrypted5.rar": rar5(plain5[:2] + [rar5_file(*SECRET, encrypted=True)]),
    }
    # Encrypted headers: after the main header (RAR 4's flag 0x80, RAR 5's
    # encryption block) comes only ciphertext, here made-up bytes.
    noise = bytes((i * 37 + 11) & 0xFF for i in range(96))
    out["names4.rar"] = b"Rar!\x1a\x07\x00" + rar4_block(0x73, 0x0080, b"\0" * 6) + b"\x44" * 8 + noise
    out["names5.rar"] = (b"Rar!\x1a\x07\x01\x00"
                         + rar5_block(4, 0, vint(0) + vint(0) + bytes([15]) + b"\x55" * 16) + noise)
    out["hostile4.rar"] = rar4([rar4_file(*f) for f in HOSTILE])
    out["hostile5.rar"] = rar5([rar5_file(*f) for f in HOSTILE])
    out["truncated5.rar"] = out["plain5.rar"][:len(out["plain5.rar"]) * 2 // 3]
    out["truncated4.rar"] = out["plain4.rar"][:len(out["plain4.rar"]) * 2 // 3]

    # numbers.bin split over three volumes; a part's CRC covers its own bytes,
    # the last part's the whole file.
    name, data, mode = FILES[3]
    parts = [data[:1000], data[1000:2000], data[2000:]]
    count = len(parts)
    for i, part in enumerate(parts):
        flags5 = (0x08 if i else 0) | (0x10 if i < count - 1 else 0)
        flags4 = (0x01 if i else 0) | (0x02 if i < count - 1 else 0)
        whole = crc(data) if i == count - 1 else None
        first5 = [rar5_file(*FILES[1])] if i == 0 else []
        first4 = [rar4_file(*FILES[1])] if i == 0 else []
        last = i == count - 1
        out["set5.part%d.rar" % (i + 1)] = rar5(
            first5 + [rar5_file(name, part, mode, flags5, len(data), whole)],
            archive_flags=0x01 | (0x02 if i else 0), volume=i or None, end_flags=0 if last else 1)
        old = "set4.rar" if i == 0 else "set4.r%02d" % (i - 1)
        out[old] = rar4(first4 + [rar4_file(name, part, mode, flags4, len(data), whole)],
                        main_flags=0x0001 | (0x0100 if i == 0 else 0), end_flags=0 if last else 1)
    return out


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, data in samples().items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
