#!/usr/bin/env python3
"""NSIS scripts for the peer installer of the benchmark.

    gen_nsis.py --mode full|extract|empty [--payload DIR] --outfile EXE [--dict MB] SCRIPT

full     does the work of our installer for the same payload: every file of DIR into
         $PROGRAMFILES64\\QVStampReader, a copy of itself there as qvsetup_bk.exe (ours keeps
         one too), regsvr32 /s on the four controls, regedit /s on the two registry scripts,
         ZuduSetup.exe "/sp- /silent /norestart" started from the folder of the last entry
         in the installer's name order (where ours finds it), the two values of the
         uninstall entry, the reset of the per-user Explorer settings of ".esdf" and its
         two values, the association change notice, and the three shortcuts for all users.
extract  only extracts the files of DIR into the same folder.
empty    no files and no work: the size of NSIS's own stub.

All three are 64-bit Unicode installers with solid LZMA compression, asking for
administrator rights; they are run with /S. The dictionary defaults to 16 MiB, the size our
package blobs use, so both installers decode with the same window.
The script is written as UTF-8 with a byte-order mark (the texts are Chinese).
"""

import argparse
import os
import sys

UNINSTALL_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qelvo电子印章阅读器"
FILEEXTS_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.esdf"
CONTROLS = ["docrenderocx.ocx", "ConvertSeal.ocx", "ReadKeyInfo.ocx", "SealViews.ocx"]
REG_SCRIPTS = ["uninstall.reg", "shell.reg"]


def entry_key(rel):
    return ("\\" + rel.replace("/", "\\")).encode("gbk")


def last_entry_dir(payload):
    """The folder (relative, '\\'-separated, '' for the top) of the last file in the
    installer's extraction order: names compared as bytes."""
    rels = []
    for root, _, names in os.walk(payload):
        for n in names:
            rels.append(os.path.relpath(os.path.join(root, n), payload))
    if not rels:
        return ""
    last = max(rels, key=entry_key).replace("/", "\\")
    return last.rsplit("\\", 1)[0] if "\\" in last else ""


def header(outfile, dict_mb):
    return [
        "Unicode true",
        "Target amd64-unicode",
        "SetCompressor /SOLID lzma",
        f"SetCompressorDictSize {dict_mb}",
        "RequestExecutionLevel admin",
        "Name \"Qelvo电子印章阅读器\"",
        f"OutFile \"{outfile}\"",
        "InstallDir \"$PROGRAMFILES64\\QVStampReader\"",
        "ShowInstDetails nevershow",
        "Page instfiles",
        "",
    ]


def files_section(payload):
    src = os.path.abspath(payload).rstrip("/")
    return [
        "  SetOutPath \"$INSTDIR\"",
        f"  File /r \"{src}/*\"",
    ]


def full_section(payload):
    zdir = last_entry_dir(payload)
    lines = ["Section", "  SetShellVarContext all"] + files_section(payload)
    lines.append("  CopyFiles /SILENT \"$EXEPATH\" \"$INSTDIR\\qvsetup_bk.exe\"")
    for c in CONTROLS:
        lines.append(f"  ExecWait 'regsvr32.exe /s \"$INSTDIR\\{c}\"'")
    for r in REG_SCRIPTS:
        lines.append(f"  ExecWait 'regedit.exe /s \"$INSTDIR\\{r}\"'")
    lines.append(f"  SetOutPath \"$INSTDIR{chr(92) + zdir if zdir else ''}\"")
    lines.append("  ExecWait '\"$OUTDIR\\ZuduSetup.exe\" /sp- /silent /norestart'")
    lines += [
        f"  WriteRegStr HKLM \"{UNINSTALL_KEY}\" \"UninstallString\" \"$INSTDIR\\uninstall.exe\"",
        f"  WriteRegStr HKLM \"{UNINSTALL_KEY}\" \"DisplayIcon\" \"$INSTDIR\\application.ico\"",
        f"  DeleteRegKey HKCU \"{FILEEXTS_KEY}\"",
        "  WriteRegStr HKCR \".esdf\\DefaultIcon\" \"\" \"$INSTDIR\\QVStampPage.exe,0\"",
        "  WriteRegStr HKCR \".esdf\\shell\\open\\command\" \"\" '$INSTDIR\\QVStampPage.exe \"%1\"'",
        "  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'",
        # Shortcuts start in the current output folder: the installation folder, as ours.
        "  SetOutPath \"$INSTDIR\"",
        "  CreateShortcut \"$DESKTOP\\Qelvo电子印章阅读器.lnk\" \"$INSTDIR\\QVStampPage.exe\"",
        "  CreateDirectory \"$SMPROGRAMS\\OstraQelvo\"",
        "  CreateShortcut \"$SMPROGRAMS\\OstraQelvo\\Qelvo电子印章阅读器.lnk\" \"$INSTDIR\\QVStampPage.exe\"",
        "  CreateShortcut \"$SMPROGRAMS\\OstraQelvo\\卸载Qelvo电子印章.lnk\" \"$INSTDIR\\uninstall.exe\"",
        "SectionEnd",
    ]
    return lines


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--mode", choices=["full", "extract", "empty"], required=True)
    ap.add_argument("--payload")
    ap.add_argument("--outfile", required=True)
    ap.add_argument("--dict", type=int, default=16, help="LZMA dictionary in MiB")
    ap.add_argument("script")
    a = ap.parse_args()
    if a.mode != "empty" and not a.payload:
        sys.exit("gen_nsis: --payload is needed for --mode full and extract")
    if a.payload and not os.path.isdir(a.payload):
        sys.exit(f"gen_nsis: {a.payload} is not a folder")

    lines = header(os.path.abspath(a.outfile), a.dict)
    if a.mode == "full":
        lines += full_section(a.payload)
    elif a.mode == "extract":
        lines += ["Section"] + files_section(a.payload) + ["SectionEnd"]
    else:
        lines += ["Section", "SectionEnd"]
    with open(a.script, "w", encoding="utf-8-sig", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
