#!/usr/bin/env python3
"""Reads the installer's resources back out of a built program with pefile (a parser that no
one here wrote) and checks them: the setup and note dialog templates control by control,
the icon and picture formats, the version record and the manifest.

usage: check_resources.py PROGRAM.exe {x86|amd64}
Prints one line per failed check and exits 1 if any failed.
"""
import struct
import sys

import pefile

RT_BITMAP, RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_MANIFEST = 2, 3, 5, 14, 24
WS_POPUP, WS_VISIBLE, WS_CAPTION, WS_BORDER = 0x80000000, 0x10000000, 0x00C00000, 0x00800000
WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x80000, 0x40000, 0x20000, 0x10000
WS_VSCROLL, WS_HSCROLL, WS_TABSTOP, WS_CHILD = 0x200000, 0x100000, 0x10000, 0x40000000
DS_SETFONT, DS_MODALFRAME, DS_CENTER = 0x40, 0x80, 0x800
WS_EX_TOPMOST, WS_EX_APPWINDOW = 0x8, 0x40000
SS_LEFT, SS_BLACKFRAME, SS_BITMAP, SS_TYPEMASK = 0x0, 0x7, 0xE, 0x1F
BS_PUSHBUTTON, BS_DEFPUSHBUTTON = 0x0, 0x1
ES_MULTILINE, ES_AUTOHSCROLL, ES_READONLY = 0x4, 0x80, 0x800
BUTTON, EDIT, STATIC = 'button', 'edit', 'static'
ORDINAL_CLASSES = {0x80: BUTTON, 0x81: EDIT, 0x82: STATIC}

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def resources(pe, type_id):
    """{(name, language): bytes} of one resource type."""
    out = {}
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id != type_id:
            continue
        for name in entry.directory.entries:
            for lang in name.directory.entries:
                d = lang.data.struct
                out[(name.id, lang.id)] = pe.get_data(d.OffsetToData, d.Size)
    return out


class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, fmt):
        values = struct.unpack_from('<' + fmt, self.data, self.pos)
        self.pos += struct.calcsize('<' + fmt)
        return values if len(values) > 1 else values[0]

    def sz_or_ord(self):
        first = self.take('H')
        if first == 0:
            return ''
        if first == 0xFFFF:
            return self.take('H')
        chars = [first]
        while True:
            c = self.take('H')
            if c == 0:
                break
            chars.append(c)
        return struct.pack('<%dH' % len(chars), *chars).decode('utf-16-le')

    def align(self, n):
        self.pos = (self.pos + n - 1) // n * n


def parse_dialog(data):
    r = Reader(data)
    version, signature = r.take('HH')
    assert (version, signature) == (1, 0xFFFF), 'not a DIALOGEX template'
    _help, ex_style, style, count, x, y, cx, cy = r.take('IIIHhhhh')
    dlg = {'ex_style': ex_style, 'style': style, 'rect': (x, y, cx, cy)}
    dlg['menu'], dlg['class'], dlg['title'] = r.sz_or_ord(), r.sz_or_ord(), r.sz_or_ord()
    if style & DS_SETFONT:
        dlg['point'], _weight, _italic, _charset = r.take('HHBB')
        dlg['face'] = r.sz_or_ord()
    items = []
    for _ in range(count):
        r.align(4)
        _help, ex_style, style, x, y, cx, cy, ident = r.take('IIIhhhhi')
        cls, title = r.sz_or_ord(), r.sz_or_ord()
        # A class by ordinal or by (case-insensitive) name; resource compilers differ.
        cls = ORDINAL_CLASSES.get(cls, cls) if isinstance(cls, int) else cls.lower()
        extra = r.take('H')
        r.pos += extra
        items.append({'id': ident, 'class': cls, 'title': title, 'style': style,
                      'ex_style': ex_style, 'rect': (x, y, cx, cy)})
    dlg['items'] = items
    return dlg


# (id, class, title, rect, static type or button type or edit flags, tab stop, other styles)
SETUP_ITEMS = [
    (1005, STATIC, 133, (0, 0, 82, 140), SS_BITMAP, False),
    (-1, STATIC, '', (0, 138, 300, 26), SS_BLACKFRAME, False),
    (-1, STATIC, '', (0, 0, 300, 164), SS_BLACKFRAME, False),
    (1001, BUTTON, '安装', (184, 144, 50, 14), BS_DEFPUSHBUTTON, True),
    (1002, BUTTON, '取消', (243, 144, 50, 14), BS_PUSHBUTTON, True),
    (1003, EDIT, '', (87, 22, 208, 113), None, True),
    (1004, STATIC, None, (88, 6, 207, 13), SS_LEFT, False),
    (1006, STATIC, '', (0, 0, 84, 138), SS_BLACKFRAME, False),
    (1007, 'msctls_progress32', '', (23, 119, 256, 14), None, False),
    (1009, EDIT, '', (24, 15, 255, 97), None, True),
]


def check_setup_dialog(dlg):
    s = dlg['style']
    check(dlg['rect'][2:] == (300, 164), 'dialog 102 size %r' % (dlg['rect'],))
    for flag, name in ((WS_POPUP, 'WS_POPUP'), (WS_CAPTION, 'WS_CAPTION'), (WS_SYSMENU, 'WS_SYSMENU'),
                       (WS_THICKFRAME, 'WS_THICKFRAME'), (DS_CENTER, 'DS_CENTER')):
        check(s & flag == flag, 'dialog 102 lacks ' + name)
    check(not s & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 'dialog 102 has a minimise or maximise box')
    check(dlg['ex_style'] & WS_EX_APPWINDOW, 'dialog 102 lacks WS_EX_APPWINDOW')
    check((dlg.get('point'), dlg.get('face')) == (9, 'MS Shell Dlg'), 'dialog 102 font %r %r' % (dlg.get('point'), dlg.get('face')))
    items = dlg['items']
    check(len(items) == len(SETUP_ITEMS), 'dialog 102 has %d controls' % len(items))
    for item, (ident, cls, title, rect, kind, tabstop) in zip(items, SETUP_ITEMS):
        where = 'dialog 102 control %d' % ident
        check(item['id'] & 0xFFFF == ident & 0xFFFF, '%s: found id %d in its place (tab order)' % (where, item['id']))
        check(item['class'] == cls, '%s: class %r' % (where, item['class']))
        if title is not None:
            check(item['title'] == title, '%s: title %r' % (where, item['title']))
        check(item['rect'] == rect, '%s: rect %r' % (where, item['rect']))
        check(bool(item['style'] & WS_TABSTOP) == tabstop, '%s: tab stop' % where)
        check(item['style'] & (WS_CHILD | WS_VISIBLE) == WS_CHILD | WS_VISIBLE, '%s: not a visible child' % where)
        if cls == STATIC:
            check(item['style'] & SS_TYPEMASK == kind, '%s: static type %#x' % (where, item['style'] & SS_TYPEMASK))
        if cls == BUTTON:
            check(item['style'] & 0xF == kind, '%s: button type' % where)
    notes, log, progress = items[5], items[9], items[8]
    check(notes['style'] & (ES_MULTILINE | ES_READONLY | WS_BORDER) == ES_MULTILINE | ES_READONLY | WS_BORDER,
          'notes box: multi-line, read-only, bordered')
    check(not notes['style'] & (WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL), 'notes box: no scroll bar, words wrap')
    check(log['style'] & (ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL) ==
          ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL, 'log box: multi-line, read-only, bordered, vertical scroll bar')
    check(progress['style'] & WS_BORDER, 'progress bar: bordered')


def check_note_dialog(dlg):
    s = dlg['style']
    check(dlg['rect'][2:] == (132, 18), 'dialog 133 size %r' % (dlg['rect'],))
    check(s & (WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_CENTER) == WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_CENTER,
          'dialog 133: visible centred popup with a dialog frame')
    check(s & WS_CAPTION != WS_CAPTION, 'dialog 133 has a caption')
    check(dlg['ex_style'] & WS_EX_TOPMOST, 'dialog 133 is not topmost')
    check((dlg.get('point'), dlg.get('face')) == (9, '宋体'), 'dialog 133 font %r %r' % (dlg.get('point'), dlg.get('face')))
    items = dlg['items']
    check(len(items) == 1, 'dialog 133 has %d controls' % len(items))
    if items:
        item = items[0]
        check((item['id'], item['class'], item['style'] & SS_TYPEMASK) == (1010, STATIC, SS_LEFT), 'dialog 133 static 1010')
        check(item['title'] == '安装程序正在初始化...', 'dialog 133 text %r' % item['title'])
        check(item['rect'] == (26, 5, 103, 8), 'dialog 133 static rect %r' % (item['rect'],))


def check_pictures(pe):
    groups = resources(pe, RT_GROUP_ICON)
    check(list(k[0] for k in groups) == [128], 'icon groups %r' % list(groups))
    for (_, _), data in groups.items():
        _res, _type, count = struct.unpack_from('<HHH', data)
        check(count == 1, 'icon 128 has %d images' % count)
        w, h, _colors, _r, _planes, bits, _size, icon_id = struct.unpack_from('<BBBBHHIH', data, 6)
        check((w, h, bits) == (128, 128, 32), 'icon 128 entry %dx%d %d bpp' % (w, h, bits))
        image = resources(pe, RT_ICON).get((icon_id, 2052), b'')
        if len(image) >= 40:
            _size, iw, ih, _planes, ibits = struct.unpack_from('<IiiHH', image)
            check((iw, ih, ibits) == (128, 256, 32), 'icon image header %dx%d %d bpp' % (iw, ih, ibits))
        else:
            check(False, 'icon image missing')
    bitmap = resources(pe, RT_BITMAP).get((133, 2052), b'')
    check(len(bitmap) >= 40, 'bitmap 133 missing')
    if len(bitmap) >= 40:
        _size, bw, bh, _planes, bbits = struct.unpack_from('<IiiHH', bitmap)
        check((bw, bh, bbits) == (164, 314, 4), 'bitmap 133 is %dx%d %d bpp' % (bw, bh, bbits))


def check_version(pe):
    expected = {'FileDescription': 'QVStampSetup', 'InternalName': 'QVStampSetup.exe',
                'OriginalFilename': 'QVStampSetup.exe', 'FileVersion': '1.0.0.1',
                'ProductName': '安装程序', 'ProductVersion': '3.9.0.0'}
    tables = {}
    translations = []
    for info in getattr(pe, 'FileInfo', [[]])[0]:
        for table in getattr(info, 'StringTable', []):
            tables[table.LangID.decode().lower()] = {k.decode(): v.decode() for k, v in table.entries.items()}
        for var in getattr(info, 'Var', []):
            translations.append(var.entry.get(b'Translation'))
    check(list(tables) == ['080404b0'], 'version blocks %r' % list(tables))
    strings = tables.get('080404b0', {})
    for key, value in expected.items():
        check(strings.get(key) == value, 'version %s = %r' % (key, strings.get(key)))
    check(translations == ['0x0804 0x04b0'], 'version translation %r' % translations)
    fixed = pe.VS_FIXEDFILEINFO[0]
    check((fixed.FileVersionMS, fixed.FileVersionLS) == (0x10000, 0x1), 'fixed file version')
    check((fixed.ProductVersionMS, fixed.ProductVersionLS) == (0x30009, 0), 'fixed product version')


def check_manifest(pe, arch):
    manifests = resources(pe, RT_MANIFEST)
    check(list(k[0] for k in manifests) == [1], 'manifests %r' % list(manifests))
    text = b''.join(manifests.values()).decode('utf-8', 'replace')
    for needle in ('level="requireAdministrator"', 'uiAccess="false"', 'name="Microsoft.Windows.Common-Controls"',
                   'version="6.0.0.0"', '>true</dpiAware>'):
        check(needle in text, 'manifest lacks ' + needle)
    check(text.count('processorArchitecture="%s"' % arch) == 2, 'manifest architecture is not %s' % arch)


def main():
    program, arch = sys.argv[1], sys.argv[2]
    pe = pefile.PE(program)
    dialogs = resources(pe, RT_DIALOG)
    check(sorted(k for k in dialogs) == [(102, 2052), (133, 2052)], 'dialog templates %r' % sorted(dialogs))
    if (102, 2052) in dialogs:
        check_setup_dialog(parse_dialog(dialogs[(102, 2052)]))
    if (133, 2052) in dialogs:
        check_note_dialog(parse_dialog(dialogs[(133, 2052)]))
    check_pictures(pe)
    check_version(pe)
    check_manifest(pe, arch)
    for failure in failures:
        print('FAIL:', failure)
    print('%d checks failed' % len(failures) if failures else 'resources of %s: all checks passed' % program)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
