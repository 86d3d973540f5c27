#!/usr/bin/env python3
"""Writes the committed seed corpus of the stream reader fuzz target: small streams in both
pixel codings and damaged copies of them (cut short, wrong lengths, rectangles outside the
picture, bad offset tables). Run from anywhere; it rewrites its own files in corpus/stream/
and leaves any other file there (kept crash inputs) alone."""
import os
import random
import struct
import zlib

W, H = 8, 6
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "stream")


def header(version=b"07.47", flags=0, w=W, h=H):
    head = b"Quillomatic" + version
    if version >= b"06.65":
        head += bytes([flags, 0])
    return head + struct.pack("<hh", w, h)


def rle(pixels):
    out = bytearray()

    def run(c, t):
        if t:
            out.extend([0x80 | (t >> 8), t & 0xFF])
        out.extend([(c >> 17) & 0x7F, c & 0xFF, (c >> 8) & 0xFF])

    c, t = pixels[0] & 0xFFFFFF, 0
    for v in pixels[1:]:
        v &= 0xFFFFFF
        if v == c:
            if t == 32766:
                out.extend([0xFF, 0xFF])
                t = 0
            else:
                t += 1
        else:
            run(c, t)
            c, t = v, 0
    run(c, t)
    return bytes(out)


def packed(pixels):
    raw = b"".join(struct.pack("<I", p & 0xFFFFFF) for p in pixels)
    z = zlib.compress(raw, 1)
    return struct.pack("<I", len(z)) + z


def rect(kind, l, t, r, b, pixels, coding, inc=None):
    out = bytes([kind])
    if inc is not None:
        out += struct.pack("<H", inc)
    out += struct.pack("<hhhh", l, r, t, b)
    return out + (packed(pixels) if coding == "zlib" else rle(pixels))


def stream(coding, rng):
    screen = [0] * (W * H)

    def column(area, l, t, r, b):
        return [area[y * W + x] for x in range(l, r + 1) for y in range(t, b + 1)]

    pictures = []
    nxt = [rng.randrange(1 << 24) & 0xFEFFFF for _ in range(W * H)]
    pictures.append(rect(1, 0, 0, W - 1, H - 1, column(screen, 0, 0, W - 1, H - 1), coding)
                    + rect(2, 0, 0, W - 1, H - 1, column(nxt, 0, 0, W - 1, H - 1), coding))
    screen = nxt
    nxt = list(screen)
    for y in range(1, 4):
        for x in range(2, 5):
            nxt[y * W + x] = 0x204080
    pictures.append(rect(1, 2, 1, 4, 3, column(screen, 2, 1, 4, 3), coding)
                    + rect(2, 2, 1, 4, 3, column(nxt, 2, 1, 4, 3), coding))
    screen = nxt
    cursor = [0xFFFFFF, 0, 0, 0xFFFFFF]
    pictures.append(rect(3, 1, 1, 2, 2, cursor, coding, inc=5) + bytes([4, 7, 0]))
    pictures.append(pictures[0])
    return pictures


def assemble(pictures, coding, version=b"07.47", wide=True):
    data = bytearray(header(version, 1 if coding == "zlib" else 0))
    table = bytearray()
    for i, p in enumerate(pictures):
        if wide:
            entry = len(data) | ((0xFF << 56) if i == 0 else 0)
            table += struct.pack("<Q", entry)
        else:
            table += struct.pack("<I", len(data))
        data += p
    return bytes(data), bytes(table)


def fuzz_input(data, table, frames, switches):
    return bytes([(frames - 1) % 32, switches]) + struct.pack("<H", len(table)) + table + data


def main():
    rng = random.Random(7)
    os.makedirs(OUT, exist_ok=True)
    cases = {}
    for coding in ("rle", "zlib"):
        pics = stream(coding, rng)
        data, table = assemble(pics, coding)
        cases[f"{coding}-valid"] = fuzz_input(data, table, 4, 0x08)
        cases[f"{coding}-valid-duplicate-table-cursor"] = fuzz_input(data, table, 5, 0x3C)
        for cut in (10, 22, 25, 40, len(data) - 3):
            cases[f"{coding}-cut-{cut}"] = fuzz_input(data[:cut], table, 4, 0x08)
        cases[f"{coding}-table-cut"] = fuzz_input(data, table[:11], 4, 0)
        cases[f"{coding}-no-table"] = fuzz_input(data, b"", 4, 0)

        bad = bytearray(table)
        bad[8:16] = struct.pack("<Q", 1 << 40)
        cases[f"{coding}-entry-beyond-data"] = fuzz_input(data, bytes(bad), 4, 0)
        bad = bytearray(table)
        bad[16:24] = struct.pack("<Q", 23)
        cases[f"{coding}-entries-backward"] = fuzz_input(data, bytes(bad), 4, 0)
        narrow_data, narrow_table = assemble(pics, coding, wide=False)
        cases[f"{coding}-narrow-table"] = fuzz_input(narrow_data, narrow_table, 4, 0)

        second = bytearray(pics[1])
        shifted = list(pics)
        for name, fields in (("right-outside", (2, 200, 1, 3)), ("left-negative", (-3, 4, 1, 3)),
                             ("inverted", (4, 2, 1, 3)), ("bottom-outside", (2, 4, 1, 90))):
            moved = bytearray(second)
            moved[1:9] = struct.pack("<hhhh", *fields)
            shifted[1] = bytes(moved)
            d, t = assemble(shifted, coding)
            cases[f"{coding}-rect-{name}"] = fuzz_input(d, t, 4, 0x02 if "bottom" in name else 0)
        cursor = bytearray(pics[2])
        cursor[3:11] = struct.pack("<hhhh", 0, 30000, 0, 30000)
        d, t = assemble([pics[0], pics[1], bytes(cursor)], coding)
        cases[f"{coding}-cursor-huge"] = fuzz_input(d, t, 3, 0x20)
        unknown = list(pics)
        unknown[1] = bytes([9]) + pics[1]
        d, t = assemble(unknown, coding)
        cases[f"{coding}-unknown-type"] = fuzz_input(d, t, 4, 0)

    zpics = stream("zlib", rng)
    for name, length in (("zlib-length-huge", 0xFFFFFFFF), ("zlib-length-past-end", 5000),
                         ("zlib-length-short", 3)):
        p = bytearray(zpics[1])
        p[9:13] = struct.pack("<I", length)
        d, t = assemble([zpics[0], bytes(p)], "zlib")
        cases[name] = fuzz_input(d, t, 2, 0)
    p = bytearray(zpics[0])
    p[20] ^= 0x5A
    d, t = assemble([bytes(p), zpics[1]], "zlib")
    cases["zlib-corrupt-deflate"] = fuzz_input(d, t, 2, 0)

    old = bytearray(header(b"06.64"))
    tokens = struct.pack("<HHH", 0x8000 | 40, 0x1F, 0x7C00)
    old += bytes([2]) + struct.pack("<hhhh", 0, W - 1, 0, H - 1) + tokens
    cases["legacy-15-bit"] = fuzz_input(bytes(old), struct.pack("<I", 20), 1, 0x01)
    cases["legacy-15-bit-runs-short"] = fuzz_input(bytes(old[:-4]), struct.pack("<I", 20), 1, 0x01)
    big = header(w=32767, h=32767)
    cases["header-huge-size"] = fuzz_input(big, struct.pack("<Q", 22 | (0xFF << 56)), 1, 0)

    for name, blob in cases.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(blob)


if __name__ == "__main__":
    main()
