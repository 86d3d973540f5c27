#!/usr/bin/env python3
"""Writes the committed seed corpus of the WAV reader fuzz target: small WAV files in the
layouts the readers meet (extra chunks before and after the format, odd-length chunks, extended
format chunks, compressed and 24-bit formats) and damaged copies of them (cut short, lengths past
the end, data before the format). Run from anywhere; it rewrites its own files in corpus/wav/ and
leaves any other file there (kept crash inputs) alone."""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "wav")


def chunk(cid, body, declared=None, pad=True):
    n = len(body) if declared is None else declared
    out = cid + struct.pack("<I", n) + body
    if pad and len(body) % 2:
        out += b"\0"
    return out


def fmt(tag=1, channels=1, rate=8000, bits=16, extra=b""):
    align = channels * bits // 8
    body = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits) + extra
    return chunk(b"fmt ", body)


def riff(chunks, declared=None):
    body = b"WAVE" + b"".join(chunks)
    n = len(body) if declared is None else declared
    return b"RIFF" + struct.pack("<I", n) + body


def samples(n):
    return bytes((i * 37 + 11) & 0xFF for i in range(n))


LIST = chunk(b"LIST", b"INFOISFT\x05\0\0\0abcde")

files = {
    "plain-16": riff([fmt(), chunk(b"data", samples(64))]),
    "plain-8-stereo": riff([fmt(channels=2, bits=8), chunk(b"data", samples(31))]),
    "list-after-fmt": riff([fmt(), LIST, chunk(b"data", samples(40))]),
    "list-before-fmt": riff([LIST, fmt(), chunk(b"data", samples(40))]),
    "odd-chunk": riff([fmt(bits=8), chunk(b"junk", b"abc"), chunk(b"data", samples(9)), LIST]),
    "odd-chunk-no-pad": riff([fmt(bits=8), chunk(b"junk", b"abc", pad=False), chunk(b"data", samples(9))]),
    "extensible": riff([fmt(tag=0xFFFE, channels=2, extra=b"\x16\0" + samples(22)), chunk(b"data", samples(64))]),
    "ima-adpcm": riff([fmt(tag=17, bits=4, extra=b"\x02\0\xf9\x01"), chunk(b"fact", struct.pack("<I", 505)), chunk(b"data", samples(256))]),
    "pcm-24": riff([fmt(bits=24), chunk(b"data", samples(60))]),
    "data-before-fmt": riff([chunk(b"data", samples(16)), fmt()]),
    "data-too-long": riff([fmt(), chunk(b"data", samples(16), declared=0xFFFFFFF0)]),
    "riff-too-long": riff([fmt(), chunk(b"data", samples(16))], declared=0xFFFFFFFF),
    "chunk-past-end": riff([chunk(b"LIST", b"xx", declared=0x7FFFFFFF), fmt(), chunk(b"data", samples(8))]),
    "fmt-too-short": riff([chunk(b"fmt ", b"\x01\0\x01\0"), chunk(b"data", samples(8))]),
    "zero-channels": riff([fmt(channels=0), chunk(b"data", samples(8))]),
    "bad-align": riff([chunk(b"fmt ", struct.pack("<HHIIHH", 1, 2, 8000, 8000, 3, 16)), chunk(b"data", samples(10))]),
    "cut-in-header": riff([fmt(), chunk(b"data", samples(16))])[:30],
    "cut-in-data": riff([fmt(), chunk(b"data", samples(64))])[:70],
    "not-wave": b"RIFF\x04\0\0\0AVI ",
    "empty": b"",
}

os.makedirs(OUT, exist_ok=True)
for name, data in files.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
