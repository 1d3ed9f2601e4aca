#!/usr/bin/env python3
"""Checks that a Windows module carries the editor's images: resources of type
"PNG" with exactly the ids 101 to 121, each holding a PNG file. Reads the PE
resource directory itself, so it works for 32- and 64-bit modules alike
without running them. Usage: CheckResources.py MODULE..."""
import struct
import sys

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
EXPECTED = set(range(101, 122))


def check(path):
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return "not a PE file"
    sections, opt_size = struct.unpack_from("<H12xH", data, pe + 6)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    dirs = opt + (96 if magic == 0x10B else 112)
    rsrc_rva, rsrc_size = struct.unpack_from("<II", data, dirs + 2 * 8)
    if not rsrc_size:
        return "no resources"
    table = opt + opt_size

    def offset(rva):
        for i in range(sections):
            vsize, va, rsize, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            if va <= rva < va + max(vsize, rsize):
                return rva - va + raw
        raise ValueError("address %#x outside every section" % rva)

    base = offset(rsrc_rva)

    def entries(at):
        named, ids = struct.unpack_from("<HH", data, base + at + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + at + 16 + 8 * i)
            if name & 0x80000000:
                length = struct.unpack_from("<H", data, base + (name & 0x7FFFFFFF))[0]
                start = base + (name & 0x7FFFFFFF) + 2
                name = data[start:start + 2 * length].decode("utf-16-le")
            yield name, target

    png_dir = [t for n, t in entries(0) if n == "PNG"]
    if not png_dir:
        return "no resources of type PNG"
    found = {}
    for rid, target in entries(png_dir[0] & 0x7FFFFFFF):
        lang = next(entries(target & 0x7FFFFFFF))[1]
        rva, size = struct.unpack_from("<II", data, base + lang)
        found[rid] = data[offset(rva):offset(rva) + size]
    if set(found) != EXPECTED:
        return "PNG ids %s, expected 101 to 121" % sorted(found)
    bad = [rid for rid, blob in found.items() if not blob.startswith(PNG_SIGNATURE)]
    if bad:
        return "not PNG data: %s" % bad
    return None


failed = 0
for module in sys.argv[1:]:
    problem = check(module)
    print("%s: %s" % (module, problem or "21 PNG resources, ids 101 to 121"))
    failed += problem is not None
print("%d passed, %d failed" % (len(sys.argv) - 1 - failed, failed))
sys.exit(1 if failed or len(sys.argv) < 2 else 0)
