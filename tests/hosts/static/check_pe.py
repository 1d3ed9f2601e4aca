#!/usr/bin/env python3
"""Checks a Windows module without running it: the machine type, exactly the
expected exports, no import of a MinGW runtime DLL, and the editor images as
resources of type "PNG" with the expected ids.

  check_pe.py MODULE --machine i386|amd64 --exports A,B[,C] [--png-ids 101-121]

Prints one line per finding and exits 1 when any check fails, 2 when the file
is not a PE module at all.
"""
import argparse
import struct
import sys

MACHINES = {"i386": 0x014C, "amd64": 0x8664}
# Runtime DLLs a MinGW build would need unless it links them in.
RUNTIME_PREFIXES = ("libstdc++", "libgcc", "libwinpthread", "libssp", "zlib", "libpng")
RT_PNG_NAME = "PNG"


class PeError(Exception):
    pass


class Pe:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ" or len(data) < 0x40:
            raise PeError("no DOS header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        self.machine, nsections = struct.unpack_from("<HH", data, pe + 4)
        opt_size = self.u16(pe + 20)
        opt = pe + 24
        magic = self.u16(opt)
        if magic == 0x10B:
            dirs = opt + 96
        elif magic == 0x20B:
            dirs = opt + 112
        else:
            raise PeError("unknown optional header magic 0x%x" % magic)
        ndirs = self.u32(dirs - 4)
        self.dirs = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(min(ndirs, 16))]
        self.sections = []
        sec = opt + opt_size
        for i in range(nsections):
            vsize, vaddr, rsize, raddr = struct.unpack_from("<IIII", data, sec + 40 * i + 8)
            self.sections.append((vaddr, max(vsize, rsize), raddr, rsize))

    def u16(self, off):
        return struct.unpack_from("<H", self.data, off)[0]

    def u32(self, off):
        return struct.unpack_from("<I", self.data, off)[0]

    def offset(self, rva):
        for vaddr, vsize, raddr, rsize in self.sections:
            if vaddr <= rva < vaddr + vsize and rva - vaddr < rsize:
                return raddr + rva - vaddr
        raise PeError("address 0x%x lies in no section" % rva)

    def cstring(self, rva):
        off = self.offset(rva)
        end = self.data.index(b"\0", off)
        return self.data[off:end].decode("ascii", "replace")

    def directory(self, index):
        return self.dirs[index] if index < len(self.dirs) else (0, 0)

    def exports(self):
        rva, size = self.directory(0)
        if not rva:
            return []
        off = self.offset(rva)
        count, names = self.u32(off + 24), self.u32(off + 32)  # number of names, their address table
        return [self.cstring(self.u32(self.offset(names) + 4 * i)) for i in range(count)]

    def imports(self):
        rva, _ = self.directory(1)
        result = []
        if not rva:
            return result
        off = self.offset(rva)
        while True:
            name_rva = self.u32(off + 12)
            if not name_rva and not self.u32(off):
                break
            result.append(self.cstring(name_rva))
            off += 20
        return result

    def resources(self):
        """{type: [ids]} for the first two levels of the resource tree; named
        types by name, numbered ones by number."""
        rva, _ = self.directory(2)
        if not rva:
            return {}
        base = self.offset(rva)

        def entries(table):
            named, numbered = struct.unpack_from("<HH", self.data, table + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, table + 16 + 8 * i)
                if name & 0x80000000:
                    at = base + (name & 0x7FFFFFFF)
                    length = self.u16(at)
                    key = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                else:
                    key = name
                yield key, target

        result = {}
        for kind, target in entries(base):
            if not target & 0x80000000:
                continue
            result[kind] = sorted(k for k, _ in entries(base + (target & 0x7FFFFFFF)))
        return result


def id_range(text):
    first, _, last = text.partition("-")
    return list(range(int(first), int(last or first) + 1))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("module")
    parser.add_argument("--machine", choices=sorted(MACHINES), required=True)
    parser.add_argument("--exports", required=True)
    parser.add_argument("--png-ids", type=id_range)
    args = parser.parse_args()

    try:
        with open(args.module, "rb") as f:
            pe = Pe(f.read())
        exports, imports, resources = pe.exports(), pe.imports(), pe.resources()
    except (OSError, PeError, struct.error, ValueError) as e:
        print("%s: not a readable PE module: %s" % (args.module, e))
        return 2

    failures = []
    if pe.machine != MACHINES[args.machine]:
        failures.append("machine 0x%04x, expected %s (0x%04x)" % (pe.machine, args.machine, MACHINES[args.machine]))
    expected = sorted(args.exports.split(","))
    if sorted(exports) != expected:
        failures.append("exports %s, expected exactly %s" % (sorted(exports), expected))
    runtime = [d for d in imports if d.lower().startswith(RUNTIME_PREFIXES)]
    if runtime:
        failures.append("imports MinGW runtime DLLs %s" % runtime)
    if args.png_ids is not None:
        found = resources.get(RT_PNG_NAME, [])
        missing = sorted(set(args.png_ids) - set(found))
        if missing:
            failures.append('"PNG" resources missing: %s' % missing)

    for failure in failures:
        print("%s: %s" % (args.module, failure))
    if not failures:
        print("%s: %s, exports %s, imports %s, PNG resources %s" %
              (args.module, args.machine, expected, imports, resources.get(RT_PNG_NAME, [])))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
