#!/usr/bin/env python3
"""Reads a Windows shell link (.lnk) file and prints where it points.

usage: lnk.py FILE.lnk
Prints two lines, "target PATH" and "workdir PATH" (empty when the link has none). The
target is the local base path of the link's LinkInfo, which is what the shell starts.
Exits 1 with a message when the file is not a shell link or has no local target.
"""
import struct
import sys

LINK_CLSID = bytes.fromhex("0114020000000000c000000000000046")
HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR = 1, 2, 4, 8, 16
IS_UNICODE = 0x80


def wide_string(data, pos):
    end = pos
    while data[end:end + 2] != b"\0\0":
        end += 2
        if end >= len(data):
            raise ValueError("unterminated string")
    return data[pos:end].decode("utf-16-le")


def read_link(data):
    if len(data) < 0x4C or struct.unpack_from("<I", data, 0)[0] != 0x4C or data[4:20] != LINK_CLSID:
        raise ValueError("not a shell link")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    pos = 0x4C
    if flags & HAS_ID_LIST:
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = ""
    if flags & HAS_LINK_INFO:
        size, header, info_flags, _volume, base = struct.unpack_from("<IIIII", data, pos)
        if info_flags & 1:  # VolumeIDAndLocalBasePath
            if header >= 0x24:  # a Unicode copy of the path follows the header
                target = wide_string(data, pos + struct.unpack_from("<I", data, pos + 0x1C)[0])
            else:
                target = data[pos + base:data.index(b"\0", pos + base)].decode("latin-1")
        pos += size
    strings = {}
    for flag in (HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR):
        if flags & flag:
            count = struct.unpack_from("<H", data, pos)[0]
            pos += 2
            width = 2 if flags & IS_UNICODE else 1
            raw = data[pos:pos + count * width]
            # Some writers count the terminating NUL as well.
            strings[flag] = raw.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
            pos += count * width
    if not target:
        raise ValueError("the link has no local target")
    return target, strings.get(HAS_WORKING_DIR, "")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: lnk.py FILE.lnk")
    try:
        with open(sys.argv[1], "rb") as f:
            target, workdir = read_link(f.read())
    except (OSError, ValueError, struct.error) as e:
        sys.exit("lnk.py: %s: %s" % (sys.argv[1], e))
    print("target " + target)
    print("workdir " + workdir)


if __name__ == "__main__":
    main()
