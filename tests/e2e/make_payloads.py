#!/usr/bin/env python3
"""Writes the small payload folders of the end-to-end tests.

  make_payloads.py OUT_DIR STAMP

OUT_DIR/three  3 files              (progress 33, 66, 100; the file prompts)
OUT_DIR/seven  7 files, the last one deep below two folders with a long name
               (progress 14 ... 100; the limits of the installation directory)
OUT_DIR/empty  no file at all

Contents are deterministic binary data of differing sizes (every byte value occurs).
Files are rewritten only when their content changed, files that do not belong are removed,
and STAMP is touched whenever anything changed, so the packing reruns only then.
"""
import os
import sys

LONG_NAME = "l" + "o" * 96 + "ng.dat"  # 103 characters
PAYLOADS = {
    "three": ["file1.txt", "file2.txt", "file3.txt"],
    "seven": ["f1.txt", "f2.txt", "f3.bin", "f4.bin", "f5.txt", "f6.bin",
              os.path.join("sub", "deeper", LONG_NAME)],
    "empty": [],
}


def content(payload, index):
    """A header naming the file, then bytes of a simple generator (all 256 values)."""
    size = 2000 + 733 * index + (len(payload) * 97)
    header = f"{payload} file {index + 1}\r\n".encode("ascii")
    state = (index + 1) * 2654435761 & 0xFFFFFFFF
    body = bytearray()
    while len(body) < size:
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        body.append((state >> 16) & 0xFF)
    return header + bytes(body)


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return False
    except OSError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    return True


def main():
    out, stamp = sys.argv[1], sys.argv[2]
    changed = not os.path.exists(stamp)
    for payload, names in PAYLOADS.items():
        root = os.path.join(out, payload)
        os.makedirs(root, exist_ok=True)
        wanted = set()
        for index, name in enumerate(names):
            path = os.path.join(root, name)
            wanted.add(os.path.normpath(path))
            changed |= write_if_changed(path, content(payload, index))
        for folder, _, files in os.walk(root):
            for name in files:
                path = os.path.normpath(os.path.join(folder, name))
                if path not in wanted:
                    os.remove(path)
                    changed = True
    if changed:
        with open(stamp, "w") as f:
            f.write("payloads written\n")


if __name__ == "__main__":
    main()
