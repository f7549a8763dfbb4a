#!/usr/bin/env python3
"""The demo tour: the release zip unzipped into a stand-in IDE folder, played, one screenshot a step.

    tour.py --build build/windows [--zip Tovalux-<version>.zip] [--out BUILD/tour] [--pace MS] [--dpi N] [--bench]

The IDE folder is made anew under OUT/ide: the stand-in IDE's own files (ehost.exe, e-sample.exe,
the engines), then the release zip unzipped over it, exactly as a user installs it. A user's
first settings are written beside it (the code-colour rules switched on, a module list with two
folders), with the IDE's linker setting and two linkers; then ehost.exe plays
standin/tour/tour.txt. The tour passes when ehost exits 0, the script ran to its end (every
step's ui-find found what the step must show, read through the accessible tree), every step left
a screenshot that is not blank and differs from the one before, and the colours a step is about
are in its picture where the step's last ui-find found them. Without --zip the zip is packed from
the build first. With --dpi the system runs at that DPI (the prefix's LogPixels: 144 is 150 %),
and the default OUT is BUILD/tour<dpi> (project paths may hold no '-').
"""
import argparse
import os
import shutil
import subprocess
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..'))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(ROOT, 'theme', 'tools'))
import package  # noqa: E402
import pngkit  # noqa: E402

TOUR = os.path.join(ROOT, 'standin', 'tour', 'tour.txt')
# What the stand-in's build folder holds that is not the IDE's own: the plug-in as built (the
# zip brings it), the debugger's temporary files and other runs' folders.
NOT_COPIED = {'lib', 'temp', 'samples', 'modules-test', 'modules', 'tools', 'linker', 'blackmoon'}
# A step's picture must change at least this many pixels: a caret or a cursor is not a step.
MIN_CHANGED_PIXELS = 2000
# Fewer colours than this is a blank (or a single-colour) window.
MIN_COLOURS = 16

# The colours a step is about, looked for in the place of the object the step's last ui-find found
# (the build output's text: its marked lines in green, red and amber, antialiased on the dark
# ground, so near the colour rather than exactly it).
STEP_COLOURS = {
    '03-compile': [('the success line', (87, 166, 74)), ('the warning line', (229, 20, 0)),
                   ('the note line', (255, 204, 0))],
}
NEAR_COLOUR = 48  # RGB distance
MIN_COLOURED_PIXELS = 60  # a line of a dozen glyphs has a few hundred

USER_SETTINGS = '[Theme]\r\nCodeTip=true\r\n'


def fail(message):
    print('tour: ' + message, file=sys.stderr)
    sys.exit(1)


def wine_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def read_picture(path):
    """The screenshot's pixels, 4 bytes each (RGBA)."""
    with open(path, 'rb') as f:
        image = pngkit.decode_png(f.read())
    return image.width, image.height, bytes(image.pixels)


def colour_count(pixels, limit):
    seen = set()
    for i in range(0, len(pixels), 4):
        seen.add(pixels[i:i + 3])
        if len(seen) >= limit:
            break
    return len(seen)


def changed_pixels(before, after, width):
    """How many pixels differ, compared a row at a time (most rows of two steps are equal)."""
    stride, changed = width * 4, 0
    for row in range(0, len(after), stride):
        a, b = before[row:row + stride], after[row:row + stride]
        if a != b:
            changed += sum(1 for i in range(0, stride, 4) if a[i:i + 3] != b[i:i + 3])
    return changed


def journal_entries(path):
    import json
    with open(path, 'rb') as f:
        for line in f.read().decode('gbk', errors='replace').splitlines():
            try:
                yield json.loads(line)
            except ValueError:
                continue


def found_places(entries):
    """Each screenshot's last ui-found object, as a rectangle of the picture."""
    places, found = {}, None
    for e in entries:
        if e.get('kind') == 'ui-found':
            found = e
        elif e.get('kind') == 'screenshot' and found is not None and 'x' in e:
            left, top = int(found['x']) - int(e['x']), int(found['y']) - int(e['y'])
            places[e['name']] = (left, top, left + int(found['width']), top + int(found['height']))
    return places


def coloured_pixels(pixels, width, place, colour):
    left, top, right, bottom = place
    height = len(pixels) // (width * 4)
    limit, count = NEAR_COLOUR * NEAR_COLOUR, 0
    for y in range(max(0, top), min(height, bottom)):
        row = y * width * 4
        for x in range(max(0, left), min(width, right)):
            i = row + x * 4
            if sum((pixels[i + k] - colour[k]) ** 2 for k in range(3)) <= limit:
                count += 1
    return count


def make_ide_folder(build, zip_path, ide):
    host = os.path.join(build, 'host')
    if not os.path.isfile(os.path.join(host, 'ehost.exe')):
        fail('no stand-in IDE in %s (build the windows preset first)' % host)
    shutil.rmtree(ide, ignore_errors=True)
    os.makedirs(ide)
    for name in sorted(os.listdir(host)):
        source = os.path.join(host, name)
        if name in NOT_COPIED:
            continue
        if os.path.isdir(source):
            shutil.copytree(source, os.path.join(ide, name))
        else:
            shutil.copy2(source, ide)
    with zipfile.ZipFile(zip_path) as z:
        z.extractall(ide)
    # A user's own files, which the zip never carries.
    folder = os.path.join(ide, 'lib', 'Tovalux')
    with open(os.path.join(folder, 'Tovalux.ini'), 'w', encoding='gbk', newline='') as f:
        f.write(USER_SETTINGS)
    modules = os.path.join(ide, 'modules')
    os.makedirs(modules)
    lists = {'常用模块': ['界面扩展.ec', '网络通讯.ec', '数据加密.ec'], '工具': ['文件操作.ec']}
    entries = []
    for folder_name, files in lists.items():
        paths = []
        for name in files:
            with open(os.path.join(modules, name), 'wb') as f:
                f.write(('module ' + name).encode('gbk'))
            paths.append('"%s"' % (wine_path(os.path.join(modules, name)).replace('\\', '\\\\')))
        entries.append('"%s":[%s]' % (folder_name, ','.join(paths)))
    with open(os.path.join(folder, 'EcManager.json'), 'w', encoding='gbk') as f:  # the list is GBK text
        f.write('{' + ','.join(entries) + '}')
    os.makedirs(os.path.join(ide, 'samples'))
    # The IDE's own linker setting and two linkers to choose from (the tool bar's linker selector).
    for name in ('VC2017', 'VC6'):
        os.makedirs(os.path.join(ide, 'linker', name, 'bin'))
        open(os.path.join(ide, 'linker', name, 'bin', 'link.exe'), 'wb').close()
    os.makedirs(os.path.join(ide, 'tools'), exist_ok=True)
    with open(os.path.join(ide, 'tools', 'link.ini'), 'w', encoding='gbk', newline='') as f:
        f.write('[linker]\r\nlinker=%s\r\n' % wine_path(os.path.join(ide, 'linker', 'VC2017', 'bin', 'link.exe')))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--build', default=os.path.join(ROOT, 'build/windows'))
    parser.add_argument('--zip', help='the release zip (default: packed from the build)')
    parser.add_argument('--out', default=None, help='default: BUILD/tour')
    parser.add_argument('--timeout', type=int, default=300)
    parser.add_argument('--dpi', type=int, default=96, help='the system DPI of the run (96: 100 %%)')
    parser.add_argument('--pace', type=int, default=0,
                        help='milliseconds to hold each step after its screenshot (for watching on a display)')
    parser.add_argument('--bench', action='store_true',
                        help='then measure start to first screenshot in the unzipped folder (bench_startup)')
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    out = os.path.abspath(args.out or os.path.join(build, 'tour' if args.dpi == 96 else 'tour%d' % args.dpi))
    os.makedirs(out, exist_ok=True)

    zip_path = args.zip
    if not zip_path:
        zip_path = os.path.join(out, 'Tovalux-%s.zip' % package.version())
        package.write_zip(package.collect(build), zip_path)
    ide = os.path.join(out, 'ide')
    make_ide_folder(build, zip_path, ide)

    text = open(TOUR, encoding='utf-8-sig').read().replace('%HOST%', wine_path(ide))
    steps = [line.split()[1] for line in text.splitlines() if line.startswith('screenshot ')]
    if args.pace > 0:
        text = '\n'.join(line + ('\nsleep-ms %d' % args.pace if line.startswith('screenshot ') else '')
                         for line in text.splitlines()) + '\n'
    timeout = args.timeout + args.pace * len(steps) // 1000
    script = os.path.join(out, 'tour.txt')
    with open(script, 'w', encoding='utf-8-sig', newline='\r\n') as f:
        f.write(text)
    shots = os.path.join(out, 'shots')
    shutil.rmtree(shots, ignore_errors=True)
    os.makedirs(shots)
    journal = os.path.join(out, 'journal.txt')
    if os.path.exists(journal):
        os.remove(journal)

    command = [os.path.join(ROOT, 'scripts', 'wine-run'), '--build', build, '--dpi', str(args.dpi),
               os.path.join(ide, 'ehost.exe'),
               '--script', wine_path(script), '--artefacts', wine_path(shots), '--journal', wine_path(journal),
               '--watchdog', '--host-start']
    environment = dict(os.environ)
    if args.dpi != 96 and 'DISPLAY' not in environment:
        # The screen the frame has at 100 %, in units: 1600 x 1000 pixels at 96 dpi.
        environment['TOVALUX_SCREEN'] = '%dx%d' % (1600 * args.dpi // 96, 1000 * args.dpi // 96)
    try:
        code = subprocess.run(command, timeout=timeout, env=environment).returncode
    except subprocess.TimeoutExpired:
        fail('ehost did not finish the tour in %d s' % timeout)
    entries = open(journal, encoding='gbk', errors='replace').read() if os.path.exists(journal) else ''
    if code != 0:
        failed = [line for line in entries.splitlines() if 'failed' in line or '"dialog"' in line]
        fail('ehost exited %d\n%s' % (code, '\n'.join(failed[-5:])))
    if '"script-done"' not in entries:
        fail('the tour did not run to its end')

    places = found_places(journal_entries(journal))
    problems, previous = [], None
    print('%-16s %8s %10s' % ('step', 'colours', 'changed'))
    for step in steps:
        path = os.path.join(shots, step + '.png')
        if not os.path.isfile(path):
            problems.append('%s: no screenshot' % step)
            previous = None
            continue
        width, height, pixels = read_picture(path)
        colours = colour_count(pixels, 1000)
        changed = changed_pixels(previous, pixels, width) if previous else width * height
        print('%-16s %8s %10d' % (step, colours if colours < 1000 else '1000+', changed))
        if colours < MIN_COLOURS:
            problems.append('%s: blank (%d colours)' % (step, colours))
        if previous is not None and changed < MIN_CHANGED_PIXELS:
            problems.append('%s: only %d pixels differ from the step before' % (step, changed))
        for what, colour in STEP_COLOURS.get(step, []):
            if step not in places:
                problems.append('%s: no object found to look for %s in' % (step, what))
                continue
            count = coloured_pixels(pixels, width, places[step], colour)
            if count < MIN_COLOURED_PIXELS:
                problems.append('%s: %s is not in its colour %s (%d pixels near it)' % (step, what, colour, count))
        previous = pixels
    for p in problems:
        print('tour: ' + p, file=sys.stderr)
    if problems:
        sys.exit(1)
    print('tour: %d steps, screenshots in %s' % (len(steps), shots))
    if args.bench:
        bench = os.path.join(build, 'bench', 'release', 'bench_startup.exe')
        if not os.path.isfile(bench):
            fail('no %s (build the windows preset first)' % bench)
        sys.exit(subprocess.run([os.path.join(ROOT, 'scripts', 'wine-run'), '--build', build, bench,
                                 wine_path(ide)]).returncode)


if __name__ == '__main__':
    main()
