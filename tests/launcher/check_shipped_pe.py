#!/usr/bin/env python3
"""Checks the shipped launcher QVSetup.exe and the installer it carries with pefile, a PE
reader that no one on this project wrote.

    check_shipped_pe.py SHIPPED_LIST [SHIPPED_LIST...]

Each SHIPPED_LIST is the key=value file that a Windows build writes next to its launcher
(launcher/shipped_files.txt): launcher=, installer=, redist= (the files embedded as resources
101 and 102) and arch= (x86 or amd64). Checked for each build:
  - resources "RES" 101 and 102 (language 2052) equal the redistributable and the installer
    byte for byte, and the installer is a program of the build's architecture;
  - the installer's "ORX" 129 and 130, when it carries any "ORX" resource;
  - dialog template 103, icon 104 (the installer's own 128 x 128, 32-bit image), the version
    record and the manifest (elevation, assembly identity and architecture);
  - the import tables of both programs name only Windows' own DLLs.
Prints one line per check; exits 1 when any check fails, 2 on bad arguments.
"""
import struct
import sys
import xml.etree.ElementTree as ET

try:
    import pefile
except ImportError:
    sys.exit("check_shipped_pe: the pefile module is missing: install Debian's python3-pefile")

RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 14, 16, 24
LANG_ZH_CN = 2052
MACHINES = {"x86": 0x14C, "amd64": 0x8664}
NOTE_TEXT = "初始化安装环境..."
VERSION_STRINGS = {
    "FileDescription": "QVSetup",
    "InternalName": "QVSetup",
    "OriginalFilename": "QVSetup.exe",
    "FileVersion": "1, 0, 0, 0",
    "ProductName": "Qelvo电子印章 安装程序",
    "ProductVersion": "1.0.0.0",
}
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "psapi.dll", "msvcrt.dll", "ucrtbase.dll",
    "ws2_32.dll", "bcrypt.dll", "crypt32.dll", "shlwapi.dll", "version.dll", "ntdll.dll",
    "rpcrt4.dll", "secur32.dll", "userenv.dll", "winmm.dll", "imm32.dll", "uxtheme.dll",
}

WS_POPUP, WS_VISIBLE, WS_BORDER, WS_DLGFRAME = 0x80000000, 0x10000000, 0x00800000, 0x00400000
DS_3DLOOK, DS_SETFONT, DS_CENTER = 0x0004, 0x0040, 0x0800


class Checker:
    def __init__(self):
        self.failures = 0

    def check(self, what, ok, detail=""):
        print(("ok    " if ok else "FAIL  ") + what + ("" if ok or not detail else ": " + detail))
        if not ok:
            self.failures += 1
        return ok


def resources(pe):
    """{(type, id): {lang: bytes}} with type and id as int or str."""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        tkey = str(rtype.name) if rtype.name is not None else rtype.id
        for rid in rtype.directory.entries:
            ikey = str(rid.name) if rid.name is not None else rid.id
            for lang in rid.directory.entries:
                data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                found.setdefault((tkey, ikey), {})[lang.id] = data
    return found


def one(res, key):
    langs = res.get(key, {})
    return next(iter(langs.values())) if len(langs) == 1 else None


def read_utf16z(data, pos):
    end = pos
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def read_sz_or_ord(data, pos):
    (first,) = struct.unpack_from("<H", data, pos)
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
    if first == 0:
        return "", pos + 2
    return read_utf16z(data, pos)


def parse_dialogex(data):
    ver, sig, _help, exstyle, style, count, x, y, cx, cy = struct.unpack_from("<HHIIIHhhhh", data, 0)
    if (ver, sig) != (1, 0xFFFF):
        raise ValueError("not an extended dialog template")
    pos = 26
    menu, pos = read_sz_or_ord(data, pos)
    wclass, pos = read_sz_or_ord(data, pos)
    title, pos = read_utf16z(data, pos)
    dlg = dict(style=style, exstyle=exstyle, rect=(x, y, cx, cy), title=title, menu=menu,
               wclass=wclass, font=None, items=[])
    if style & DS_SETFONT:
        size, _weight, _italic, _charset = struct.unpack_from("<HHBB", data, pos)
        face, pos = read_utf16z(data, pos + 6)
        dlg["font"] = (size, face)
    for _ in range(count):
        pos = (pos + 3) & ~3
        _help, ex, st, ix, iy, icx, icy, iid = struct.unpack_from("<IIIhhhhi", data, pos)
        pos += 24
        iclass, pos = read_sz_or_ord(data, pos)
        itext, pos = read_sz_or_ord(data, pos)
        (extra,) = struct.unpack_from("<H", data, pos)
        pos += 2 + extra
        dlg["items"].append(dict(style=st, rect=(ix, iy, icx, icy), id=iid, wclass=iclass, text=itext))
    return dlg


def group_icon_images(res, group_id):
    """{(width, height, bits): image bytes} of icon group `group_id`."""
    group = one(res, (RT_GROUP_ICON, group_id))
    if group is None:
        return None
    _reserved, _type, count = struct.unpack_from("<HHH", group, 0)
    images = {}
    for i in range(count):
        w, h, _colors, _r, _planes, bits, _size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        images[(w or 256, h or 256, bits)] = one(res, (RT_ICON, icon_id))
    return images


def text(value):
    return value.decode("utf-8", "replace") if isinstance(value, bytes) else str(value)


def version_record(pe):
    """(string table language key, {name: value}, [translations], fixed file version)."""
    tables, translations = {}, []
    for group in getattr(pe, "FileInfo", []) or []:
        for info in group if isinstance(group, list) else [group]:
            key = text(getattr(info, "Key", b""))
            if key == "StringFileInfo":
                for table in info.StringTable:
                    tables[text(table.LangID).upper()] = {text(k): text(v) for k, v in table.entries.items()}
            elif key == "VarFileInfo":
                for var in info.Var:
                    for k, v in var.entry.items():
                        if text(k) == "Translation":
                            translations.append(text(v).lower())
    fixed = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
    fixed_version = (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                     fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF) if fixed else None
    return tables, translations, fixed_version


def imported_dlls(pe):
    names = []
    for attr in ("DIRECTORY_ENTRY_IMPORT", "DIRECTORY_ENTRY_DELAY_IMPORT"):
        for entry in getattr(pe, attr, []) or []:
            names.append(text(entry.dll).lower())
    return names


def check_imports(c, label, pe):
    dlls = imported_dlls(pe)
    foreign = [d for d in dlls if d not in SYSTEM_DLLS and not d.startswith("api-ms-win-")]
    c.check(f"{label}: imports only Windows' own DLLs ({', '.join(sorted(set(dlls)))})", not foreign,
            "also imports " + ", ".join(foreign))


def check_build(c, shipped):
    arch = shipped["arch"]
    label = f"[{arch}] QVSetup.exe"
    launcher = pefile.PE(shipped["launcher"])
    installer_bytes = open(shipped["installer"], "rb").read()
    installer = pefile.PE(data=installer_bytes)
    redist_bytes = open(shipped["redist"], "rb").read()
    res = resources(launcher)

    c.check(f"{label}: machine is {arch}", launcher.FILE_HEADER.Machine == MACHINES[arch])
    c.check(f"[{arch}] installer: machine is {arch}", installer.FILE_HEADER.Machine == MACHINES[arch])

    for rid, expected, name in ((101, redist_bytes, shipped["redist"]), (102, installer_bytes, shipped["installer"])):
        langs = res.get(("RES", rid), {})
        c.check(f"{label}: RES {rid} in language 2052 only", list(langs) == [LANG_ZH_CN], f"languages {list(langs)}")
        c.check(f"{label}: RES {rid} is {name} byte for byte", langs.get(LANG_ZH_CN) == expected)

    installer_res = resources(installer)
    orx = sorted(k[1] for k in installer_res if k[0] == "ORX")
    if orx:
        c.check(f"[{arch}] installer: ORX 129 and 130 present", orx == [129, 130], f"ORX ids {orx}")
    else:
        print(f"note  [{arch}] installer: carries no ORX resources yet (package not embedded)")

    data = one(res, (RT_DIALOG, 103))
    if c.check(f"{label}: dialog template 103", data is not None):
        dlg = parse_dialogex(data)
        need = WS_POPUP | WS_VISIBLE | WS_DLGFRAME | DS_CENTER | DS_3DLOOK | DS_SETFONT
        c.check(f"{label}: dialog 103 is a visible, centred, 3-D popup with a dialog frame",
                dlg["style"] & need == need, hex(dlg["style"]))
        c.check(f"{label}: dialog 103 has no caption", not dlg["style"] & WS_BORDER and dlg["title"] == "")
        c.check(f"{label}: dialog 103 is 112 x 22", dlg["rect"][2:] == (112, 22), str(dlg["rect"]))
        c.check(f"{label}: dialog 103 font is 10-point System", dlg["font"] == (10, "System"), str(dlg["font"]))
        items = dlg["items"]
        ok = (len(items) == 1 and items[0]["wclass"] == 0x0082 and items[0]["id"] == -1
              and items[0]["rect"] == (20, 7, 63, 8) and items[0]["style"] & 0x1F == 0
              and items[0]["text"] == NOTE_TEXT)
        c.check(f"{label}: dialog 103 holds one left-aligned static text without id at 20,7,63,8: "
                f"{NOTE_TEXT}", ok, str(items))

    images = group_icon_images(res, 104)
    if c.check(f"{label}: icon group 104", images is not None):
        c.check(f"{label}: icon 104 has a 128 x 128 32-bit image", (128, 128, 32) in images, str(list(images)))
        installer_images = group_icon_images(installer_res, 128)
        if c.check(f"[{arch}] installer: icon group 128", installer_images is not None):
            c.check(f"{label}: icon 104 is the installer's image", images == installer_images)

    tables, translations, fixed = version_record(launcher)
    c.check(f"{label}: fixed file version 1.0.0.0", fixed == (1, 0, 0, 0), str(fixed))
    strings = tables.get("080404B0")
    if c.check(f"{label}: version strings for language 0804, code page 04B0", strings is not None, str(list(tables))):
        for key, value in VERSION_STRINGS.items():
            c.check(f"{label}: version {key} = {value}", strings.get(key) == value, repr(strings.get(key)))
    c.check(f"{label}: version translation 0804/04B0", translations == ["0x0804 0x04b0"], str(translations))

    manifest = one(res, (RT_MANIFEST, 1))
    if c.check(f"{label}: manifest", manifest is not None):
        root = ET.fromstring(manifest)
        level = [e.attrib for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
        c.check(f"{label}: manifest requires administrator, no UI access",
                level == [{"level": "requireAdministrator", "uiAccess": "false"}], str(level))
        ident = [e.attrib for e in root.iter() if e.tag.endswith("}assemblyIdentity")]
        want = {"name": "DOVazariSetup", "version": "1.0.0.0", "processorArchitecture": arch}
        c.check(f"{label}: manifest names DOVazariSetup 1.0.0.0 for {arch}",
                len(ident) == 1 and all(ident[0].get(k) == v for k, v in want.items()), str(ident))

    check_imports(c, label, launcher)
    check_imports(c, f"[{arch}] installer", installer)


def read_shipped(path):
    try:
        with open(path, encoding="utf-8") as f:
            shipped = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    except OSError as e:
        sys.exit(f"check_shipped_pe: cannot read {path} ({e.strerror}): build that build first")
    missing = {"launcher", "installer", "redist", "arch"} - set(shipped)
    if missing or shipped["arch"] not in MACHINES:
        sys.exit(f"check_shipped_pe: {path} lacks {sorted(missing)} or names an unknown arch")
    return shipped


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    c = Checker()
    for path in argv[1:]:
        shipped = read_shipped(path)
        try:
            check_build(c, shipped)
        except (OSError, pefile.PEFormatError) as e:
            c.check(f"reading the files of {path}", False, str(e))
    print(f"{c.failures} check(s) failed" if c.failures else "all checks passed")
    return 1 if c.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
