#!/usr/bin/env python3
"""Deterministic reference payloads for the installer benchmark.

    gen_payload.py --profile typical|large [--seed N] [--standins DIR] OUT_DIR

Writes a folder shaped like a real desktop application: executables and DLL-like binaries,
text and configuration files, icons and images, fonts and some already-compressed data, in
nested folders. The same profile, seed and stand-ins always give the same bytes (every file
draws from a generator seeded with the seed and its own path, so files do not depend on
each other or on the order they are written in).

--standins copies a folder (the staged sample payload: the viewer, the uninstaller, the four
controls, the two registry scripts and ZuduSetup.exe) into the top of OUT_DIR, so that the
installer under test does the same registrations as with the sample payload. The installer
starts ZuduSetup.exe from the folder of the last entry in name order, so the generator checks
that the last entry lies in ZuduSetup.exe's folder and fails otherwise.

OUT_DIR must not exist or be empty, or hold an earlier payload of this generator (it then is
replaced). A summary (files, bytes, by kind) is printed as JSON on standard output.
"""

import argparse
import json
import math
import os
import random
import shutil
import struct
import sys

MARKER = ".qv-bench-payload"  # written next to OUT_DIR (OUT_DIR + MARKER), never inside it

# ---------------------------------------------------------------------------------------
# Profiles. A group is instantiated in `dirs` folders (the folder template's {d} is filled
# with a generated name when dirs > 1), with `files` files each, of one kind, sizes
# log-uniform in [smin, smax] bytes.
# ---------------------------------------------------------------------------------------
KB = 1024
MB = 1024 * 1024

TYPICAL = [
    # folder,                dirs, files, kind,        exts,                        smin,      smax
    ("",                        1,   8, "pe",         [".dll", ".dll", ".exe"],     400 * KB, 2700 * KB),
    ("Plugins",                 1,  14, "pe",         [".dll"],                      60 * KB, 700 * KB),
    ("bin/codecs",              1,  10, "pe",         [".dll"],                      40 * KB, 400 * KB),
    ("Resources/Images",        1,  16, "bmp",        [".bmp"],                      40 * KB, 900 * KB),
    ("Resources/Images",        1,  18, "packed",     [".png", ".jpg"],               5 * KB, 200 * KB),
    ("Resources/Icons",         1,  16, "ico",        [".ico"],                       2 * KB,  70 * KB),
    ("Config",                  1,  14, "text",       [".ini", ".xml", ".json"],      1 * KB,  60 * KB),
    ("Help",                    1,  14, "text",       [".html", ".css", ".js", ".txt"], 4 * KB, 200 * KB),
    ("Lang",                    1,   8, "text",       [".lng"],                      20 * KB, 150 * KB),
    ("Fonts",                   1,   3, "font",       [".ttf"],                     200 * KB, 1000 * KB),
    ("Data",                    1,   6, "packed",     [".pak", ".zip", ".dat"],     100 * KB,  800 * KB),
    ("Templates",               1,  17, "text",       [".xml", ".tpl"],               2 * KB,  40 * KB),
]

LARGE = [
    ("",                        1,  14, "pe",         [".dll", ".dll", ".exe"],     500 * KB,  5 * MB),
    ("Plugins/{d}",            18,  10, "pe",         [".dll"],                      60 * KB, 900 * KB),
    ("Plugins/{d}/Config",     18,   4, "text",       [".ini", ".xml", ".json"],      1 * KB,  60 * KB),
    ("bin/codecs",              1,  50, "pe",         [".dll"],                      40 * KB, 500 * KB),
    ("bin/{d}",                 6,  20, "pe",         [".dll", ".exe"],             100 * KB,  2 * MB),
    ("Resources/Skins/{d}",    10,  16, "bmp",        [".bmp"],                      40 * KB, 700 * KB),
    ("Resources/Skins/{d}",    10,  30, "packed",     [".png", ".jpg"],               5 * KB, 250 * KB),
    ("Resources/Icons/{d}",     8,  30, "ico",        [".ico"],                       2 * KB,  80 * KB),
    ("Config",                  1,  40, "text",       [".ini", ".xml", ".json"],      1 * KB,  80 * KB),
    ("Help/{d}",                9,  40, "text",       [".html", ".css", ".js", ".txt"], 4 * KB, 250 * KB),
    ("Lang",                    1,  50, "text",       [".lng"],                      20 * KB, 200 * KB),
    ("Fonts",                   1,  16, "font",       [".ttf"],                     200 * KB, 1500 * KB),
    ("Data/{d}",                6,   8, "packed",     [".pak", ".zip", ".dat"],     100 * KB, 1500 * KB),
    ("Templates/{d}",          10,  30, "text",       [".xml", ".tpl"],               2 * KB,  50 * KB),
]

PROFILES = {"typical": TYPICAL, "large": LARGE}

# ---------------------------------------------------------------------------------------
# Names
# ---------------------------------------------------------------------------------------
SYLLABLES = ["qel", "vo", "stam", "pa", "ge", "seal", "doc", "ren", "der", "view", "core",
             "zu", "du", "ost", "ra", "ka", "li", "mon", "tex", "cry", "pto", "sig", "na",
             "ture", "img", "co", "dec", "font", "res", "ui", "kit", "net", "sync", "log",
             "cfg", "hub", "lib", "base", "tool", "page", "mark", "verify", "print", "form"]


def camel_name(rng, parts_min=2, parts_max=3):
    n = rng.randint(parts_min, parts_max)
    return "".join(rng.choice(SYLLABLES).capitalize() for _ in range(n))


# ---------------------------------------------------------------------------------------
# Content kinds. Each takes its own generator and a size and returns exactly `size` bytes.
# ---------------------------------------------------------------------------------------
class Shared:
    """Material shared by the files of one payload (common runtime code, a vocabulary),
    as real applications share code and words between their files."""

    def __init__(self, seed):
        rng = random.Random(f"{seed}:shared")
        self.code = [rng.randbytes(rng.randint(4, 28)) for _ in range(3000)]
        words = set()
        while len(words) < 4000:
            words.add("".join(rng.choice(SYLLABLES) for _ in range(rng.randint(1, 3))))
        self.words = sorted(words)
        rng.shuffle(self.words)
        # Zipf-like frequencies: a few words are very common.
        weights = [1.0 / (i + 1) ** 0.9 for i in range(len(self.words))]
        self.cum = []
        total = 0.0
        for w in weights:
            total += w
            self.cum.append(total)


def fit(data, size):
    if len(data) >= size:
        return bytes(data[:size])
    return bytes(data) + bytes(size - len(data))


def code_bytes(rng, shared, size, local_rate=0.55, shared_rate=0.2):
    """Machine-code-like bytes: recurring instruction sequences (this file's own and the
    payload's shared runtime) mixed with fresh operands."""
    local = [rng.randbytes(rng.randint(3, 20)) for _ in range(max(600, size // 70))]
    out = []
    n = 0
    rnd = rng.random
    pick_local = local.__getitem__
    pick_shared = shared.code.__getitem__
    nl, ns = len(local), len(shared.code)
    randrange = rng.randrange
    randbytes = rng.randbytes
    while n < size:
        r = rnd()
        if r < local_rate:
            b = pick_local(randrange(nl))
        elif r < local_rate + shared_rate:
            b = pick_shared(randrange(ns))
        else:
            b = randbytes(1 + randrange(6))
        out.append(b)
        n += len(b)
    return b"".join(out)[:size]


def words(rng, shared, k):
    return rng.choices(shared.words, cum_weights=shared.cum, k=k)


def text_bytes(rng, shared, size, ext):
    parts = []
    n = 0
    while n < size:
        w = words(rng, shared, 64)
        if ext == ".ini":
            s = f"[{w[0].capitalize()}]\n" + "".join(
                f"{w[i].capitalize()}{w[i + 1].capitalize()}={w[i + 2]}{rng.randint(0, 999)}\n"
                for i in range(1, 61, 3))
        elif ext in (".xml", ".tpl"):
            s = f"<{w[0]} id=\"{rng.randint(1, 99999)}\">\n" + "".join(
                f"  <{w[i]} name=\"{w[i + 1]}\" value=\"{w[i + 2]} {w[i + 3]}\"/>\n"
                for i in range(1, 57, 4)) + f"</{w[0]}>\n"
        elif ext == ".json":
            s = "{\n" + ",\n".join(
                f"  \"{w[i]}{w[i + 1].capitalize()}\": \"{w[i + 2]}\"" for i in range(0, 60, 3)) + "\n},\n"
        elif ext == ".html":
            s = f"<h2>{w[0].capitalize()} {w[1]}</h2>\n<p>" + " ".join(w[2:40]) + ".</p>\n<p>" + \
                " ".join(w[40:]) + f". <a href=\"{w[3]}.html\">{w[4]}</a></p>\n"
        elif ext == ".css":
            s = "".join(f".{w[i]}-{w[i + 1]} {{ margin: {rng.randint(0, 20)}px; color: #{rng.randint(0, 0xFFFFFF):06x}; }}\n"
                        for i in range(0, 60, 2))
        elif ext == ".js":
            s = f"function {w[0]}{w[1].capitalize()}({w[2]}, {w[3]}) {{\n" + "".join(
                f"  var {w[i]} = {w[i + 1]}.{w[i + 2]}({w[i + 3]}, {rng.randint(0, 100)});\n"
                for i in range(4, 60, 4)) + "  return " + w[2] + ";\n}\n"
        elif ext == ".lng":
            s = "".join(f"IDS_{w[i].upper()}_{rng.randint(100, 9999)}=\"{w[i + 1].capitalize()} {w[i + 2]} {w[i + 3]}\"\n"
                        for i in range(0, 60, 4))
        else:
            s = " ".join(w).capitalize() + ".\n\n"
        b = s.encode("ascii")
        parts.append(b)
        n += len(b)
    return b"".join(parts)[:size]


def pe_bytes(rng, shared, size):
    """A PE-shaped binary: DOS header and stub, PE headers and section table, then .text
    (code-like), .rdata (strings and pointer tables), .data (mostly zeros) and .rsrc."""
    text_len = int(size * 0.62)
    rdata_len = int(size * 0.18)
    data_len = int(size * 0.06)
    rsrc_len = max(0, size - 0x400 - text_len - rdata_len - data_len)
    dos = bytearray(0x80)
    dos[0:2] = b"MZ"
    struct.pack_into("<HHHH", dos, 2, 0x90, 3, 0, 4)
    struct.pack_into("<I", dos, 0x3C, 0x80)
    dos[0x40:0x40 + 39] = b"This program cannot be run in DOS mode."
    hdr = bytearray(b"PE\0\0")
    hdr += struct.pack("<HHIIIHH", 0x8664, 4, 0x5F000000 + rng.randrange(1 << 24), 0, 0, 0xF0, 0x22)
    hdr += bytes(0xF0)
    for name, ln in ((b".text", text_len), (b".rdata", rdata_len), (b".data", data_len), (b".rsrc", rsrc_len)):
        hdr += name.ljust(8, b"\0") + struct.pack("<IIII", ln, 0x1000, ln, 0x400) + bytes(16)
    head = fit(dos + hdr, 0x400)
    text = code_bytes(rng, shared, text_len)
    strings = []
    n = 0
    while n < rdata_len // 2:
        w = words(rng, shared, 3)
        s = (w[0].capitalize() + w[1].capitalize() + "::" + w[2]).encode() + b"\0"
        strings.append(s)
        n += len(s)
    base = rng.randrange(1 << 32) << 12
    table = b"".join(struct.pack("<Q", base + 16 * i + rng.randrange(16)) for i in range(rdata_len // 16 + 1))
    rdata = (b"".join(strings) + table)[:rdata_len]
    data = bytearray(data_len)
    for _ in range(data_len // 64):
        p = rng.randrange(data_len)
        data[p] = rng.randrange(256)
    rsrc = bmp_pixels(rng, max(1, rsrc_len // 96), 32)[:rsrc_len]
    return fit(head + text + rdata + bytes(data) + fit(rsrc, rsrc_len), size)


def bmp_pixels(rng, rows, width):
    """Rows of 24-bit pixels that look like pictures: runs of flat colour, each row close
    to the one above it."""
    stride = width * 3
    row = bytearray()
    while len(row) < stride:
        row += bytes((rng.randrange(256), rng.randrange(256), rng.randrange(256))) * rng.randint(1, 40)
    row = row[:stride]
    out = []
    changes = max(1, stride // 12)
    for y in range(rows):
        if rng.random() < 0.02:
            start = rng.randrange(stride)
            ln = rng.randint(1, stride // 4 + 1)
            row[start:start + ln] = rng.randbytes(min(ln, stride - start))
        for _ in range(changes):
            row[rng.randrange(stride)] = rng.randrange(256)
        out.append(bytes(row))
    return b"".join(out)


def bmp_bytes(rng, shared, size):
    width = max(16, int(math.sqrt(size / 3)) // 4 * 4)
    stride = width * 3
    height = max(1, (size - 54) // stride)
    pixels = bmp_pixels(rng, height, width)
    head = b"BM" + struct.pack("<IHHI", size, 0, 0, 54) + struct.pack(
        "<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return fit(head + pixels, size)


def ico_bytes(rng, shared, size):
    images = []
    for dim in (16, 32, 48):
        px = bmp_pixels(rng, dim * 2, dim)
        images.append(struct.pack("<IiiHHIIiiII", 40, dim, dim * 2, 1, 24, 0, len(px), 0, 0, 0, 0) + px)
    rest = max(0, size - sum(len(i) for i in images) - 6 - 16 * 4)
    images.append(b"\x89PNG\r\n\x1a\n" + rng.randbytes(rest))  # the 256-pixel image, PNG-compressed
    head = struct.pack("<HHH", 0, 1, len(images))
    off = 6 + 16 * len(images)
    for i, img in enumerate(images):
        dim = (16, 32, 48, 0)[i]
        head += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 24, len(img), off)
        off += len(img)
    return fit(head + b"".join(images), size)


def packed_bytes(rng, shared, size, ext):
    magic = {".png": b"\x89PNG\r\n\x1a\n", ".jpg": b"\xff\xd8\xff\xe0\0\x10JFIF\0",
             ".zip": b"PK\x03\x04", ".pak": b"QPAK\x01\0\0\0", ".dat": b"\x1f\x8b\x08\0"}[ext]
    return fit(magic + rng.randbytes(size), size)


def font_bytes(rng, shared, size):
    head = b"\0\1\0\0" + struct.pack(">HHHH", 12, 128, 3, 32)
    return fit(head + code_bytes(rng, shared, size, local_rate=0.5, shared_rate=0.0), size)


def make_file(kind, rng, shared, size, ext):
    if kind == "pe":
        return pe_bytes(rng, shared, size)
    if kind == "text":
        return text_bytes(rng, shared, size, ext)
    if kind == "bmp":
        return bmp_bytes(rng, shared, size)
    if kind == "ico":
        return ico_bytes(rng, shared, size)
    if kind == "packed":
        return packed_bytes(rng, shared, size, ext)
    if kind == "font":
        return font_bytes(rng, shared, size)
    raise ValueError(kind)


# ---------------------------------------------------------------------------------------
# The plan: every file's relative path, kind, extension and size, decided before any
# content is made.
# ---------------------------------------------------------------------------------------
def plan(profile, seed):
    rng = random.Random(f"{seed}:plan")
    files = {}
    taken = set()  # names compared without case, as Windows does

    def claim(path):
        key = path.lower()
        if key in taken:
            return False
        taken.add(key)
        return True

    for gi, (folder, dirs, count, kind, exts, smin, smax) in enumerate(profile):
        dir_names = []
        while len(dir_names) < dirs:
            d = folder.replace("{d}", camel_name(rng, 1, 2)) if "{d}" in folder else folder
            if d.lower() not in (x.lower() for x in dir_names):
                dir_names.append(d)
        for d in dir_names:
            made = 0
            while made < count:
                ext = rng.choice(exts)
                name = camel_name(rng) + ext
                path = f"{d}/{name}" if d else name
                if not claim(path):
                    continue
                size = int(math.exp(rng.uniform(math.log(smin), math.log(smax))))
                files[path] = (kind, ext, size)
                made += 1
    return files


def entry_key(rel):
    """The installer's order: names compared as bytes, with '\\' separators."""
    return rel.replace("/", "\\").encode("gbk")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--profile", choices=sorted(PROFILES), required=True)
    ap.add_argument("--seed", type=int, default=20260)
    ap.add_argument("--standins", help="folder copied into the top of the payload")
    ap.add_argument("out")
    a = ap.parse_args()

    out = os.path.abspath(a.out)
    marker = out.rstrip("/") + MARKER
    if os.path.exists(out) and os.listdir(out):
        if not os.path.exists(marker):
            sys.exit(f"gen_payload: {out} exists, is not empty and is not a generated payload")
        shutil.rmtree(out)
    os.makedirs(out, exist_ok=True)

    files = plan(PROFILES[a.profile], a.seed)
    shared = Shared(a.seed)
    summary = {"profile": a.profile, "seed": a.seed, "files": 0, "bytes": 0, "by_kind": {}}

    standin_paths = []
    if a.standins:
        for root, _, names in os.walk(a.standins):
            for n in sorted(names):
                src = os.path.join(root, n)
                rel = os.path.relpath(src, a.standins).replace(os.sep, "/")
                if rel.lower() in (p.lower() for p in files):
                    sys.exit(f"gen_payload: stand-in {rel} clashes with a generated file")
                dst = os.path.join(out, rel)
                os.makedirs(os.path.dirname(dst), exist_ok=True)
                shutil.copyfile(src, dst)
                standin_paths.append(rel)
                size = os.path.getsize(dst)
                k = summary["by_kind"].setdefault("standin", {"files": 0, "bytes": 0})
                k["files"] += 1
                k["bytes"] += size
                summary["files"] += 1
                summary["bytes"] += size

    for rel in sorted(files):
        kind, ext, size = files[rel]
        rng = random.Random(f"{a.seed}:{rel}")
        data = make_file(kind, rng, shared, size, ext)
        assert len(data) == size, (rel, len(data), size)
        dst = os.path.join(out, rel)
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        with open(dst, "wb") as f:
            f.write(data)
        k = summary["by_kind"].setdefault(kind, {"files": 0, "bytes": 0})
        k["files"] += 1
        k["bytes"] += size
        summary["files"] += 1
        summary["bytes"] += size

    everything = sorted(list(files) + standin_paths, key=entry_key)
    last = everything[-1]
    summary["last_entry"] = last
    zudu = [p for p in standin_paths if p.rsplit("/", 1)[-1].lower() == "zudusetup.exe"]
    if zudu:
        zdir = zudu[0].rsplit("/", 1)[0] if "/" in zudu[0] else ""
        ldir = last.rsplit("/", 1)[0] if "/" in last else ""
        if zdir != ldir:
            sys.exit(f"gen_payload: the last entry {last} is not in ZuduSetup.exe's folder; "
                     "the installer would not find it")
        summary["zudu_dir"] = zdir
    with open(marker, "w") as f:
        f.write(f"{a.profile} {a.seed}\n")
    json.dump(summary, sys.stdout, indent=1)
    print()


if __name__ == "__main__":
    main()
