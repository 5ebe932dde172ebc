#!/usr/bin/env python3
"""Writes the sample files in samples/: a placeholder pre-loader, one loader per memory and
a few application images. The output is deterministic, so running it again changes nothing.

The pre-loader and loaders are placeholders for the simulated board: it never executes
them, it only checks their sizes and reads the tag each loader carries at E000h.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(os.path.dirname(HERE), "samples")

PART1_START, PART1_END = 0xF600, 0xFA00  # first loader image, sent first
PART2_START, PART2_END = 0xE000, 0xE800  # second loader image; starts with the tag
ADDRESS_DIGITS = {"0": 4, "1": 4, "2": 6, "3": 8, "5": 4, "7": 8, "8": 6, "9": 4}


def pseudo_random_bytes(seed, count):
    """A small linear congruential generator: the same bytes on every machine."""
    state = seed & 0xFFFFFFFF
    out = bytearray()
    for _ in range(count):
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        out.append((state >> 16) & 0xFF)
    return bytes(out)


def srecord(kind, address, data=b""):
    digits = ADDRESS_DIGITS[kind]
    address_bytes = address.to_bytes(digits // 2, "big")
    count = len(address_bytes) + len(data) + 1
    body = bytes([count]) + address_bytes + data
    checksum = 255 - (sum(body) % 256)
    return "S" + kind + body.hex().upper() + "%02X" % checksum


def srecord_file(header, kind, blocks, terminator, entry=0, per_line=16):
    """blocks: list of (address, bytes). Lines end with CR LF."""
    lines = [srecord("0", 0, header.encode("ascii"))]
    for address, data in blocks:
        for offset in range(0, len(data), per_line):
            lines.append(srecord(kind, address + offset, data[offset:offset + per_line]))
    lines.append(srecord(terminator, entry))
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def loader(tag, kind, seed):
    # The tag, a zero byte, then made-up code bytes; the first image holds made-up tables.
    part2 = tag.encode("ascii") + b"\x00" + pseudo_random_bytes(seed, 600)
    part1 = pseudo_random_bytes(seed + 1, 256)
    assert PART2_START + len(part2) <= PART2_END and PART1_START + len(part1) <= PART1_END
    terminator = "9" if kind == "1" else "8"
    return srecord_file(tag, kind, [(PART1_START, part1), (PART2_START, part2)], terminator)


def application(seed, count):
    # Starts with the bytes a careless serial line would translate or swallow.
    awkward = bytes([0x00, 0x0A, 0x0D, 0x11, 0x13, 0xFF, 0x1A, 0x7F, 0x80, 0x03, 0x1C, 0x04])
    return (awkward + pseudo_random_bytes(seed, count))[:count]


def write(name, content):
    path = os.path.join(OUT, name)
    with open(path, "wb") as f:
        f.write(content)
    print("wrote", os.path.relpath(path))


def main():
    os.makedirs(OUT, exist_ok=True)
    write("PreLoad.bin", b"ZandorPreLoad v1" + pseudo_random_bytes(0x5EED, 16))
    write("LoaderC167.sre", loader("LoaderC167", "1", 167))
    write("LoaderC168.sre", loader("LoaderC168", "1", 168))
    write("LoaderAMD29F0x0.sre", loader("LoaderAMD29F0x0", "2", 29))
    write("LoaderAT45D0x1.sre", loader("LoaderAT45D0x1", "2", 45))
    write("LoaderDS1994.sre", loader("LoaderDS1994", "1", 1994))
    write("Appl.sre", srecord_file("Appl", "3", [(0x00010000, application(1, 3072))], "7",
                                   entry=0x00010000, per_line=32))
    write("ApplAMD29F0x0.sre", srecord_file("ApplAMD29F0x0", "2",
                                            [(0x080000, application(2, 2048))], "8",
                                            entry=0x080000, per_line=32))
    write("ApplAT45D0x1.sre", srecord_file("ApplAT45D0x1", "1", [(0x0000, application(3, 2048))],
                                           "9", per_line=32))
    write("ApplDS1994.sre", srecord_file("ApplDS1994", "1", [(0x0000, application(4, 512))], "9"))
    write("Appl.bin", application(5, 3000))
    write("Appl64k.bin", application(6, 65536))
    return 0


if __name__ == "__main__":
    sys.exit(main())
