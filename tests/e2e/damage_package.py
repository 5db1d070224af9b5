#!/usr/bin/env python3
"""Makes a damaged copy of a packed package (index.blob and stream.blob) for the tests.

  damage_package.py MODE GOOD_DIR OUT_DIR [ENTRY_NAME]

MODE
  index-garbage   the index blob keeps its 13-byte header, its LZMA data is replaced by
                  bytes that do not decode (the decoder reports corrupt data)
  stream-garbage  the same for the stream blob
  bad-banner      the index decodes, but the first byte of its banner is changed
  bad-entry       the stream decodes, but the first data byte of entry ENTRY_NAME (the
                  catalogue name, e.g. \\f3.bin) is changed, so only that entry fails its
                  digest
The blob that a mode leaves alone is copied unchanged.
"""
import lzma
import os
import struct
import sys

HEADER_SIZE = 13
INDEX_HEADER = 512
RECORD = 301
KEY = 0xA7


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def decode(blob):
    return lzma.decompress(blob, format=lzma.FORMAT_ALONE)


def encode(data):
    """An LZMA-alone blob that declares its size (the installer needs it stored)."""
    blob = bytearray(lzma.compress(data, format=lzma.FORMAT_ALONE))
    blob[5:13] = struct.pack("<Q", len(data))
    return bytes(blob)


def garbage(blob):
    # The range decoder's first byte must be 0; 0xFF bytes are refused at once.
    return blob[:HEADER_SIZE] + b"\xff" * 64


def descramble(body):
    return bytes((((b << 4) | (b >> 4)) & 0xFF) ^ KEY for b in body)


def entry_span(index, name):
    wanted = name.encode("gbk")
    for at in range(INDEX_HEADER, len(index) - RECORD + 1, RECORD):
        record = index[at:at + RECORD]
        body = descramble(record[1:]) if record[0] == 1 else record[1:]
        if body[:260].split(b"\0", 1)[0] == wanted:
            offset, length = struct.unpack("<ii", body[292:300])
            return offset, length
    sys.exit(f"damage_package: no entry {name}")


def main():
    mode, good, out = sys.argv[1], sys.argv[2], sys.argv[3]
    index_blob = read(os.path.join(good, "index.blob"))
    stream_blob = read(os.path.join(good, "stream.blob"))
    if mode == "index-garbage":
        index_blob = garbage(index_blob)
    elif mode == "stream-garbage":
        stream_blob = garbage(stream_blob)
    elif mode == "bad-banner":
        index = bytearray(decode(index_blob))
        index[0] ^= 0x20
        index_blob = encode(bytes(index))
    elif mode == "bad-entry":
        offset, length = entry_span(decode(index_blob), sys.argv[4])
        if length <= 0:
            sys.exit("damage_package: the entry is empty")
        stream = bytearray(decode(stream_blob))
        stream[offset] ^= 0x5A
        stream_blob = encode(bytes(stream))
    else:
        sys.exit(f"damage_package: unknown mode {mode}")
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "index.blob"), index_blob)
    write(os.path.join(out, "stream.blob"), stream_blob)


if __name__ == "__main__":
    main()
