#!/usr/bin/env python3
"""Packs files into a version 2 archive for the shell tests: each entry named
after its file, padded with zeros to whole 2048-byte sectors.
Usage: pack_archive.py ARCHIVE FILE..."""
import os
import struct
import sys


def pad(data):
    return data + b"\0" * (-len(data) % 2048)


def main():
    out, files = sys.argv[1], sys.argv[2:]
    header = 8 + 32 * len(files)
    sector = (header + 2047) // 2048
    directory, data = b"", b""
    for path in files:
        with open(path, "rb") as f:
            body = pad(f.read())
        name = os.path.basename(path).encode()[:24]
        directory += struct.pack("<IHH", sector, len(body) // 2048, 0) + name.ljust(24, b"\0")
        data += body
        sector += len(body) // 2048
    with open(out, "wb") as f:
        f.write(pad(b"VER2" + struct.pack("<I", len(files)) + directory) + data)


main()
