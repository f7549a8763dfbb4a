#!/usr/bin/env python3
"""The release zip: Tovalux-<version>.zip laid out for an E IDE folder, and its checks.

    package.py --build build/windows --out build/package [--check]

The zip holds lib/Tovalux.fne (the plug-in, debug information stripped) and lib/Tovalux/ (the
theme, the toolbox icons, the licences). It never holds a user's files (Tovalux.ini,
EcManager.json, Layout.json), so unzipping over an installation keeps them. Entries are sorted, dated
1980-01-01 and compressed at one level: one commit gives one zip, byte for byte.

--check also proves what a release must be: the listing equals release/manifest.txt; the plug-in
is an i386 DLL whose export directory is named "Tovalux.fne", exports exactly GetNewInf, imports
only system DLLs and carries its resources; unzipping over a folder that holds a user's
Tovalux.ini and EcManager.json leaves both byte-identical.
"""
import argparse
import hashlib
import io
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import help_page  # noqa: E402

HELP_PAGE = 'lib/Tovalux/help/index.html'
USER_FILES = {'tovalux.ini', 'ecmanager.json', 'layout.json'}
ZIP_DATE = (1980, 1, 1, 0, 0, 0)
# What Windows itself provides; mingw's C runtime (msvcrt.dll) is one of them. No C++ runtime,
# libgcc or winpthread DLL may appear: the plug-in is linked statically.
SYSTEM_DLLS = {
    'kernel32.dll', 'user32.dll', 'gdi32.dll', 'advapi32.dll', 'shell32.dll', 'ole32.dll',
    'oleaut32.dll', 'comctl32.dll', 'comdlg32.dll', 'msvcrt.dll', 'gdiplus.dll', 'msimg32.dll',
    'uxtheme.dll', 'dwmapi.dll', 'shlwapi.dll', 'version.dll', 'wininet.dll', 'ws2_32.dll',
    'psapi.dll', 'imm32.dll', 'winmm.dll', 'wbemuuid.dll', 'crypt32.dll', 'bcrypt.dll',
    'usp10.dll', 'winhttp.dll', 'urlmon.dll', 'secur32.dll', 'dbghelp.dll', 'ntdll.dll',
    'oleacc.dll',
}
LICENCE_SOURCES = {
    'LICENSES/GPL-3.0.txt': '/usr/share/common-licenses/GPL-3',
    'LICENSES/Papirus-icon-theme.copyright.txt': '/usr/share/doc/papirus-icon-theme/copyright',
}
NOTICE = """Tovalux IDE {version}

lib\\Tovalux.fne and the layouts, styles and pictures under lib\\Tovalux\\ are Tovalux IDE's own.

The icons under lib\\Tovalux\\Dark\\Images\\ and lib\\Tovalux\\Control\\DarkIcons\\ are rendered
from the Papirus icon theme (Papirus-Dark), https://github.com/PapirusDevelopmentTeam/papirus-icon-theme,
licensed under the GNU General Public License version 3: see LICENSES\\GPL-3.0.txt and
LICENSES\\Papirus-icon-theme.copyright.txt. Their sources are the theme's SVG files (Debian
package papirus-icon-theme); the build renders them with rsvg-convert, unchanged but for size.
"""


def version():
    text = open(os.path.join(ROOT, 'src/base/version.h'), encoding='utf-8').read()
    return re.search(r'#define TOVALUX_VERSION "([0-9.]+)"', text).group(1)


def fail(message):
    print('package: ' + message, file=sys.stderr)
    sys.exit(1)


def stripped_plugin(build):
    source = os.path.join(build, 'host/lib/Tovalux.fne')
    if not os.path.isfile(source):
        fail(source + ' is missing: build the windows preset first')
    out = tempfile.NamedTemporaryFile(suffix='.fne', delete=False)
    out.close()
    strip = shutil.which('i686-w64-mingw32-strip') or fail('i686-w64-mingw32-strip not found')
    subprocess.run([strip, '--strip-debug', '-o', out.name, source], check=True)
    data = bytearray(open(out.name, 'rb').read())
    os.unlink(out.name)
    # strip stamps the PE header with the time it ran: the link left 0 there, and so do we.
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    struct.pack_into('<I', data, pe + 8, 0)
    checksum_at = pe + 24 + 64
    struct.pack_into('<I', data, checksum_at, 0)
    struct.pack_into('<I', data, checksum_at, pe_checksum(data))
    return bytes(data)


def pe_checksum(data):
    """The PE header's CheckSum, computed with the field itself 0: the 16-bit words summed with
    their carries folded back in, plus the file length."""
    total = 0
    for (word,) in struct.iter_unpack('<H', bytes(data) + b'\0' * (len(data) % 2)):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def collect(build):
    """Every file of the release as {zip name: bytes}."""
    files = {'lib/Tovalux.fne': stripped_plugin(build)}
    theme = os.path.join(build, 'release/lib/Tovalux')
    if not os.path.isdir(theme):
        fail(theme + ' is missing: build the windows preset first')
    for folder, dirs, names in os.walk(theme):
        dirs.sort()
        for name in sorted(names):
            if name.lower() in USER_FILES:
                continue
            path = os.path.join(folder, name)
            files['lib/Tovalux/' + os.path.relpath(path, theme).replace(os.sep, '/')] = open(path, 'rb').read()
    for name, source in LICENCE_SOURCES.items():
        if not os.path.isfile(source):
            fail(source + ' is missing (packages base-files and papirus-icon-theme)')
        files['lib/Tovalux/' + name] = open(source, 'rb').read()
    files['lib/Tovalux/NOTICE.txt'] = NOTICE.format(version=version()).replace('\n', '\r\n').encode('ascii')
    # The help page "查看帮助(V)" opens: the README's user part.
    with open(os.path.join(ROOT, 'README.md'), encoding='utf-8') as f:
        files[HELP_PAGE] = help_page.page(f.read(), version())
    return files


def check_help(data):
    """The help page declares its charset, holds the settings, and points nowhere outside."""
    problems = []
    text = data.decode('utf-8', errors='replace')
    if '<meta charset="utf-8">' not in text:
        problems.append('the help page does not declare its charset')
    if 'Tovalux.ini' not in text or '<h2>' not in text:
        problems.append('the help page lacks the README\'s user sections')
    if re.search(r'(href|src)="(https?:|//)', text):
        problems.append('the help page links outside the release')
    return problems


def write_zip(files, path):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, 'w') as z:
        for name in sorted(files):
            info = zipfile.ZipInfo(name, ZIP_DATE)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            info.create_system = 0  # MS-DOS: the same bytes whatever system packs it
            z.writestr(info, files[name], compresslevel=9)
    data = buffer.getvalue()
    with open(path, 'wb') as f:
        f.write(data)
    digest = hashlib.sha256(data).hexdigest()
    with open(path + '.sha256', 'w') as f:
        f.write('%s  %s\n' % (digest, os.path.basename(path)))
    return digest


# --- checks -------------------------------------------------------------------------------------

class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b'MZ':
            raise ValueError('no MZ header')
        pe = struct.unpack_from('<I', data, 0x3C)[0]
        if data[pe:pe + 4] != b'PE\0\0':
            raise ValueError('no PE signature')
        self.machine, sections, _, _, _, optional_size, self.characteristics = struct.unpack_from(
            '<HHIIIHH', data, pe + 4)
        optional = pe + 24
        if struct.unpack_from('<H', data, optional)[0] != 0x10B:
            raise ValueError('not a PE32 image')
        count = struct.unpack_from('<I', data, optional + 92)[0]
        self.directories = [struct.unpack_from('<II', data, optional + 96 + 8 * i) for i in range(min(count, 16))]
        table = optional + optional_size
        self.sections = []
        for i in range(sections):
            name, vsize, va, rsize, raw = struct.unpack_from('<8sIIII', data, table + 40 * i)
            self.sections.append((va, max(vsize, rsize), raw, rsize))

    def offset(self, rva):
        for va, size, raw, rsize in self.sections:
            if va <= rva < va + size and rva - va < rsize:
                return raw + rva - va
        raise ValueError('RVA 0x%x outside every section' % rva)

    def cstring(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b'\0', at)].decode('latin-1')

    def exports(self):
        rva, size = self.directories[0]
        if not size:
            return None, []
        at = self.offset(rva)
        # Name, Base, NumberOfFunctions, NumberOfNames, AddressOfFunctions, AddressOfNames
        name_rva, _, _, names, _, name_table = struct.unpack_from('<IIIIII', self.data, at + 12)
        dll = self.cstring(name_rva)
        table = self.offset(name_table)
        return dll, [self.cstring(struct.unpack_from('<I', self.data, table + 4 * i)[0]) for i in range(names)]

    def imports(self):
        rva, size = self.directories[1]
        out = []
        at = self.offset(rva)
        while True:
            entry = struct.unpack_from('<IIIII', self.data, at)
            if not any(entry):
                return out
            out.append(self.cstring(entry[3]))
            at += 20

    def resources(self):
        """{type id: [name ids]} of the resource directory's first two levels."""
        rva, size = self.directories[2]
        if not size:
            return {}
        base = self.offset(rva)

        def entries(at):
            named, ids = struct.unpack_from('<HH', self.data, at + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from('<II', self.data, at + 16 + 8 * i)
                yield name, target

        out = {}
        for kind, target in entries(base):
            if kind & 0x80000000 or not target & 0x80000000:
                continue
            out[kind] = [n for n, _ in entries(base + (target & 0x7FFFFFFF)) if not n & 0x80000000]
        return out


def embedded_ids():
    text = open(os.path.join(ROOT, 'src/base/embedded_ids.h'), encoding='utf-8').read()
    return {name: int(value) for name, value in re.findall(r'#define (TOVALUX_RES_\w+) (\d+)', text)}


def check_plugin(data):
    problems = []
    pe = PeImage(data)
    if pe.machine != 0x14C:
        problems.append('machine 0x%x, not i386' % pe.machine)
    if not pe.characteristics & 0x2000:
        problems.append('not a DLL')
    dll, names = pe.exports()
    if dll != 'Tovalux.fne':
        problems.append('export directory named %r' % dll)
    if names != ['GetNewInf']:
        problems.append('exports %r, not exactly GetNewInf' % names)
    foreign = [d for d in pe.imports() if d.lower() not in SYSTEM_DLLS]
    if foreign:
        problems.append('imports DLLs that are not the system\'s: %s' % ', '.join(foreign))
    ids = embedded_ids()
    resources = pe.resources()
    for name in ('TOVALUX_RES_OLLY', 'TOVALUX_RES_BEAENGINE', 'TOVALUX_RES_SPLASH'):
        if ids[name] not in resources.get(10, []):  # RT_RCDATA
            problems.append('resource %s (RCDATA %d) missing' % (name, ids[name]))
    if ids['TOVALUX_RES_BANNER'] not in resources.get(2, []):  # RT_BITMAP
        problems.append('bitmap %d missing' % ids['TOVALUX_RES_BANNER'])
    return problems


def check_upgrade(zip_path):
    """Unzips over a folder holding a user's files; answers the problems."""
    problems = []
    with tempfile.TemporaryDirectory() as folder:
        user = {
            'lib/Tovalux/Tovalux.ini': '[主题]\r\nCodeTip=true\r\n'.encode('gbk'),
            'lib/Tovalux/EcManager.json': '{"我的模块":[{"name":"a","path":"C:\\\\m\\\\a.ec"}]}'.encode('gbk'),
            'lib/Tovalux/Layout.json': b'{"version":1,"panes":[]}',
        }
        for name, data in user.items():
            os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
            with open(os.path.join(folder, name), 'wb') as f:
                f.write(data)
        with zipfile.ZipFile(zip_path) as z:
            z.extractall(folder)
        for name, data in user.items():
            if open(os.path.join(folder, name), 'rb').read() != data:
                problems.append('unzipping changed the user\'s ' + name)
        if not os.path.isfile(os.path.join(folder, 'lib/Tovalux.fne')):
            problems.append('lib/Tovalux.fne not where the IDE looks for it')
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--build', default=os.path.join(ROOT, 'build/windows'))
    parser.add_argument('--out', default=os.path.join(ROOT, 'build/package'))
    parser.add_argument('--manifest', default=os.path.join(ROOT, 'release/manifest.txt'))
    parser.add_argument('--check', action='store_true')
    parser.add_argument('--write-manifest', action='store_true', help='write the listing as the manifest')
    args = parser.parse_args()

    files = collect(os.path.abspath(args.build))
    os.makedirs(args.out, exist_ok=True)
    zip_path = os.path.join(args.out, 'Tovalux-%s.zip' % version())
    digest = write_zip(files, zip_path)
    print('%s  %s (%d files, %d bytes)' % (digest, zip_path, len(files), os.path.getsize(zip_path)))
    listing = sorted(files)
    if args.write_manifest:
        with open(args.manifest, 'w') as f:
            f.write('\n'.join(listing) + '\n')
        print('package: wrote ' + args.manifest)
    if not args.check:
        return

    problems = []
    expected = open(args.manifest).read().split()
    if listing != expected:
        extra = sorted(set(listing) - set(expected))
        missing = sorted(set(expected) - set(listing))
        problems.append('listing differs from %s: extra %s, missing %s' % (args.manifest, extra, missing))
    if any(os.path.basename(n).lower() in USER_FILES for n in listing):
        problems.append('a user file is in the zip')
    problems += check_plugin(files['lib/Tovalux.fne'])
    problems += check_help(files[HELP_PAGE])
    # The same inputs packed again give the same bytes.
    with tempfile.TemporaryDirectory() as again:
        if write_zip(collect(os.path.abspath(args.build)), os.path.join(again, 'again.zip')) != digest:
            problems.append('packing twice gave two different zips')
    problems += check_upgrade(zip_path)
    for p in problems:
        print('package: ' + p, file=sys.stderr)
    if problems:
        sys.exit(1)
    print('package: manifest, plug-in, repeat and upgrade checks passed')


if __name__ == '__main__':
    main()
