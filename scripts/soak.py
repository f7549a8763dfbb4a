#!/usr/bin/env python3
"""The soak run: ehost with the shipped plug-in plays a long scripted session and its resources
are read every minute; they must stay flat after the first loop.

    soak.py --build build/windows [--minutes 30] [--every 60] [--out BUILD/soak]

The IDE folder is made as the tour makes it (the release zip unzipped over the stand-in). One
loop opens the sample project and its pages, compiles, runs e-sample twice under the debugger
(exceptions and output lines, then a pause with the stack, variables and a watch), searches,
reloads the module list (which the soak rewrites from outside, 100 times a run), picks five
commands from the plug-in's menu bar through its accessible tree, and closes the project. The loops go on until the time is up; ehost then closes as a
user closes it (notification 6). Every `--every` seconds ehost journals its GDI, USER, handle and
thread counts and private bytes; the table is printed per minute with each figure's growth from
the end of the first loop. The run fails when a figure keeps growing: more than the allowance
below between the first loop's end and the last third's lowest reading (lowest, so that a
reading taken mid-loop does not count as growth).
Not part of CI: it takes as long as it is told to.
"""
import argparse
import json
import os
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..'))
sys.path.insert(0, HERE)
import package  # noqa: E402
import tour  # noqa: E402

# Growth allowed between the end of the first loop and the end of the run.
ALLOWANCE = {'gdi': 8, 'user': 8, 'handles': 16, 'threads': 2, 'private': 8 << 20}
# Menu commands a loop picks through the accessible tree, as a user clicks them.
# Each is (menu, item): the menu is opened with a click on the menu bar, then the item clicked.
MENU_PICKS = [('查看(V)', '全局变量表(G)'), ('查看(V)', '常量数据表(C)'), ('查看(V)', '设置或取消书签(B)'),
              ('查看(V)', '到下一个书签(N)'), ('编辑(E)', '寻找下一个(N)')]


def loop_lines(n, host, picks=True):
    lines = [
        'mark "loop %d"' % n,
        'project-open-sample',
        'project "%s\\samples\\演示.e" create=1' % host,
        'page-open "程序集: 窗口程序集_启动窗口"',
        'page-open "窗口: _启动窗口"',
        'compile',
        'output-line "* “tv.s” | 编译成功: 演示.exe"',
        'debuggee-script "load;ods 第%d次 %%n 10;raise 0xC0000005 3;int3;exit 0"' % n,
        'debug-run',
        'wait-journal debug-ended timeout=30000',
        'debuggee-script "load;int3;sleep 20000;exit 0"',
        'debug-run pause=1',
        'wait-journal debug-paused timeout=30000',
        'pause-page',
        'watch-add 计次 整数型 %d' % n,
        'debug-stop',
        'wait-journal debug-ended timeout=30000',
        'search 1 20 窗口',
        # The pane reloads the module list, which the soak rewrites meanwhile (ListWriter).
        'send-main 9909 1 1',
    ]
    # The picks act on the program-set page, where every one of them is enabled.
    lines.append('page-activate "程序集: 窗口程序集_启动窗口"')
    for menu, item in MENU_PICKS if picks else []:
        lines += ['ui-click menu-item "%s" depth=2' % menu, 'ui-click menu-item "%s" depth=1' % item]
    lines += [
        'page-close "窗口: _启动窗口"',
        'page-close "程序集: 窗口程序集_启动窗口"',
        'project-close',
        'resources "loop %d"' % n,
    ]
    return lines


def write_script(path, host, loops, picks=True):
    lines = ['# The soak run (scripts/soak.py), %d loops at most.' % loops, 'resources start']
    for n in range(1, loops + 1):
        lines += loop_lines(n, host, picks)
    with open(path, 'w', encoding='utf-8-sig', newline='\r\n') as f:
        f.write('\n'.join(lines) + '\n')


class ListWriter(threading.Thread):
    """Rewrites the module list every few seconds with one more module (100 changes in 30
    minutes), atomically as a user's editor would, while the IDE reads it on each reload."""

    def __init__(self, ide, period):
        super().__init__(daemon=True)
        self.folder = os.path.join(ide, 'modules')
        self.path = os.path.join(ide, 'lib', 'Tovalux', 'EcManager.json')
        self.period = period
        self.stop = threading.Event()
        self.changes = 0

    def run(self):
        os.makedirs(self.folder, exist_ok=True)
        while not self.stop.wait(self.period):
            self.changes += 1
            module = os.path.join(self.folder, 'soak%d.ec' % self.changes)
            with open(module, 'wb') as f:
                f.write(b'module %d' % self.changes)
            paths = [tour.wine_path(os.path.join(self.folder, 'soak%d.ec' % i))
                     for i in range(max(1, self.changes - 20), self.changes + 1)]
            text = json.dumps({'soak': paths}, ensure_ascii=False, separators=(',', ':'))
            temporary = self.path + '.soak'
            with open(temporary, 'wb') as f:
                f.write(text.encode('gbk'))
            os.replace(temporary, self.path)


def read_entries(journal):
    entries = []
    if not os.path.exists(journal):
        return entries
    with open(journal, encoding='utf-8', errors='replace') as f:
        for line in f:
            try:
                entries.append(json.loads(line))
            except ValueError:
                continue
    return entries


def figures(entry):
    return {k: int(entry.get(k, '-1')) for k in ALLOWANCE}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--build', default=os.path.join(ROOT, 'build/windows'))
    parser.add_argument('--zip', help='the release zip (default: packed from the build)')
    parser.add_argument('--out', default=None, help='default: BUILD/soak')
    parser.add_argument('--minutes', type=float, default=30)
    parser.add_argument('--every', type=int, default=60, help='seconds between readings')
    parser.add_argument('--no-menu-picks', action='store_true',
                        help='leave out the menu picks: each reads a pop-up through the accessible tree in '
                        'ehost, and Wine\'s oleacc keeps about a kilobyte of heap per pop-up read')
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    out = os.path.abspath(args.out or os.path.join(build, 'soak'))
    os.makedirs(out, exist_ok=True)
    zip_path = args.zip
    if not zip_path:
        zip_path = os.path.join(out, 'Tovalux-%s.zip' % package.version())
        package.write_zip(package.collect(build), zip_path)
    ide = os.path.join(out, 'ide')
    tour.make_ide_folder(build, zip_path, ide)

    host = tour.wine_path(ide)
    script = os.path.join(out, 'soak.txt')
    # More loops than the time allows: the run ends on the clock, not on the script.
    write_script(script, host, loops=int(args.minutes * 60) + 10, picks=not args.no_menu_picks)
    journal = os.path.join(out, 'journal.txt')
    if os.path.exists(journal):
        os.remove(journal)
    run_ms = int(args.minutes * 60 * 1000)
    command = [os.path.join(ROOT, 'scripts', 'wine-run'), '--build', build, os.path.join(ide, 'ehost.exe'),
               '--script', tour.wine_path(script), '--journal', tour.wine_path(journal), '--watchdog',
               '--host-start', '--exit-after', str(run_ms), '--resources-every', str(args.every * 1000),
               '--journal-keep', '5000']
    writer = ListWriter(ide, period=max(1.0, args.minutes * 60 / 100))
    writer.start()
    started = time.monotonic()
    try:
        code = subprocess.run(command, timeout=run_ms // 1000 + 300).returncode
        writer.stop.set()
    except subprocess.TimeoutExpired:
        print('soak: ehost did not close within 5 minutes of the end: a hang', file=sys.stderr)
        sys.exit(1)

    entries = read_entries(journal)
    # A line cut short by the clock (the host closing under it) is no failure: ehost then exits 0.
    failed = [e for e in entries if e.get('kind') == 'script-failed'] if code != 0 else []
    readings = [e for e in entries if e.get('kind') == 'resources']
    loops = [e for e in readings if e.get('label', '').startswith('loop ')]
    print('soak: ehost exited %d after %.1f minutes, %d loops, %d module-list changes' %
          (code, (time.monotonic() - started) / 60, len(loops), writer.changes))
    if failed:
        print('soak: the script failed: %s' % failed[0].get('error', ''), file=sys.stderr)
    if not loops:
        print('soak: not one loop finished', file=sys.stderr)
        sys.exit(1)
    base = figures(loops[0])
    # Heap bytes in use beside the private bytes: growth of the first with the second flat is a
    # store that fills; growth of the second alone is the heaps' free room (fragmentation).
    print('%-10s %8s %8s %8s %8s %12s %12s' % ('reading', 'gdi', 'user', 'handles', 'threads', 'private',
                                                'heap-busy'))
    for e in readings:
        if e.get('label', '').startswith('loop '):
            continue
        f = figures(e)
        print('%-10s %8d %8d %8d %8d %12d %12s' % (e.get('label', ''), f['gdi'], f['user'], f['handles'], f['threads'],
                                                   f['private'], e.get('heap-busy', '-')))
    tail = [figures(e) for e in loops[len(loops) * 2 // 3:]] or [figures(loops[-1])]
    problems = []
    for name, allowed in ALLOWANCE.items():
        lowest = min(t[name] for t in tail)
        growth = lowest - base[name]
        print('%-8s after loop 1: %12d  last third, lowest: %12d  growth %+d' % (name, base[name], lowest, growth))
        if base[name] >= 0 and growth > allowed:
            problems.append('%s grew by %d (allowed %d)' % (name, growth, allowed))
    for p in problems:
        print('soak: ' + p, file=sys.stderr)
    sys.exit(1 if problems or failed or code != 0 else 0)


if __name__ == '__main__':
    main()
