#!/usr/bin/env python3
"""Stages the sample payload: the folder that the packing tool packs into the installer.

    stage_payload.py --files DIR --icon ICO --out STAGE --manifest FILE --stamp FILE
                     --program NAME=PATH [--program NAME=PATH ...]

- Every file below --files is staged under the same relative path. Text files (.reg, .txt,
  .ini) are written as Windows text: GBK, CRLF line ends (regedit reads a REGEDIT4 script in
  the ANSI code page, which is GBK on the target systems).
- --icon is staged as application.ico; each --program as NAME (a relative path, '/' between
  folders).
- A file is only rewritten when its bytes change, and files no longer part of the payload are
  removed, so the stage always equals the payload and unchanged files keep their times.
- The stage is checked against what the installer expects: the programs and scripts it
  names lie in the top folder, and the last entry in catalogue order (names "\\" + the
  relative path with backslashes, GBK bytes, sorted as unsigned bytes) lies in the folder
  of ZuduSetup.exe, because the installer starts ZuduSetup.exe by its bare name from the
  folder of the last file it extracted.
- --manifest receives the catalogue order (UTF-8, one name a line); --stamp is touched
  whenever a staged file changed, so that the packing step can depend on it.
"""
import argparse
import os
import sys

TEXT_SUFFIXES = (".reg", ".txt", ".ini")
TOP_LEVEL = ("QVStampPage.exe", "uninstall.exe", "application.ico", "docrenderocx.ocx",
             "ConvertSeal.ocx", "ReadKeyInfo.ocx", "SealViews.ocx", "uninstall.reg", "shell.reg")
OUTSIDE_INSTALLER = "ZuduSetup.exe"


def windows_text(data, source):
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        sys.exit(f"stage_payload: {source} is not UTF-8 text: {e}")
    text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    try:
        return text.encode("gbk")
    except UnicodeEncodeError as e:
        sys.exit(f"stage_payload: {source} has text that GBK cannot hold: {e}")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def wanted_files(args):
    """Relative path (with '/') -> bytes."""
    wanted = {}
    for root, _dirs, names in os.walk(args.files):
        for name in names:
            source = os.path.join(root, name)
            rel = os.path.relpath(source, args.files).replace(os.sep, "/")
            data = read(source)
            wanted[rel] = windows_text(data, source) if name.lower().endswith(TEXT_SUFFIXES) else data
    wanted["application.ico"] = read(args.icon)
    for entry in args.program:
        name, sep, path = entry.partition("=")
        if not sep or not name or name.startswith("/") or ".." in name.split("/"):
            sys.exit(f"stage_payload: bad --program {entry!r}")
        wanted[name] = read(path)
    return wanted


def catalogue_order(rels):
    names = ["\\" + rel.replace("/", "\\") for rel in rels]
    return sorted(names, key=lambda n: n.encode("gbk"))


def check_layout(order):
    present = set(order)
    for name in TOP_LEVEL:
        if "\\" + name not in present:
            sys.exit(f"stage_payload: {name} must lie in the top folder of the payload")
    zudu = [n for n in order if n.rsplit("\\", 1)[1] == OUTSIDE_INSTALLER]
    if len(zudu) != 1:
        sys.exit(f"stage_payload: the payload must hold exactly one {OUTSIDE_INSTALLER}")
    last_folder = order[-1].rsplit("\\", 1)[0]
    if zudu[0].rsplit("\\", 1)[0] != last_folder:
        sys.exit(f"stage_payload: the last entry {order[-1]!r} is not in the folder of {zudu[0]!r}; "
                 f"the installer would not find {OUTSIDE_INSTALLER}")


def write_if_changed(path, data):
    try:
        if read(path) == data:
            return False
    except FileNotFoundError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    tmp = path + ".staging"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)
    return True


def remove_stale(out, wanted):
    changed = False
    for root, dirs, names in os.walk(out, topdown=False):
        for name in names:
            path = os.path.join(root, name)
            rel = os.path.relpath(path, out).replace(os.sep, "/")
            if rel not in wanted:
                os.remove(path)
                changed = True
        for name in dirs:
            path = os.path.join(root, name)
            if not os.listdir(path):
                os.rmdir(path)
                changed = True
    return changed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--files", required=True)
    parser.add_argument("--icon", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--manifest", required=True)
    parser.add_argument("--stamp", required=True)
    parser.add_argument("--program", action="append", default=[])
    args = parser.parse_args()

    wanted = wanted_files(args)
    order = catalogue_order(wanted)
    check_layout(order)

    os.makedirs(args.out, exist_ok=True)
    changed = False
    for rel, data in wanted.items():
        if write_if_changed(os.path.join(args.out, *rel.split("/")), data):
            changed = True
    if remove_stale(args.out, wanted):
        changed = True
    write_if_changed(args.manifest, "".join(n + "\n" for n in order).encode("utf-8"))
    if changed or not os.path.exists(args.stamp):
        with open(args.stamp, "w") as f:
            f.write("staged\n")


if __name__ == "__main__":
    main()
