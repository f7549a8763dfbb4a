#!/usr/bin/env python3
"""The table `./dev bench` ends with: every headline figure beside its goal, met or missed.

    bench_table.py RUN.txt [--json OUT.json] [--only NAME ...] [--record BASELINE.json]
                           [--compare BASELINE.json]

RUN.txt is the captured output of the benchmarks: each starts with a line "== bench_name" (as
./dev bench prints it) and reports its figures as lines "BENCH {json}" (bench/common/
bench_report.h). The table lists the paths in the order of the performance goals, then the memory
figures, then the components' own speeds; a figure a benchmark did not report reads "not
measured" and counts as missed. --only: the run covered only the benchmarks whose names contain
one of these words, so the figures of the others are left out of the table. --json writes the
run's figures; --record merges them into the baseline file; --compare prints each figure's change
against the baseline and flags a change past 20 % either way.

The benchmarks' figures never fail anything: the exit status is 0 unless the input is unusable.
"""

import argparse
import datetime
import json
import math
import os
import re
import sys

# Past this share of change against the baseline, either way, --compare flags the figure.
FLAG_SHARE = 0.20


class Row:
    def __init__(self, id, title, program, unit, goal=None, cmp='<=', better=None):
        self.id, self.title, self.program, self.unit = id, title, program, unit
        self.goal, self.cmp = goal, cmp
        # Which way is an improvement, for comparing runs: from the goal when there is one.
        self.better = better or ('lower' if cmp == '<=' else 'higher')


PATHS = 'Paths (the host alone = 1.00, the same run)'
MEMORY = 'Memory'
COMPONENTS = 'Components'

TABLE = [
    (PATHS, [
        Row('tree_inserts_10k', '10,000 program-tree inserts (opening a big project)', 'bench_panes_tree', 'x', 1.30),
        Row('search_lines_500', '500 search-result lines', 'bench_panes_debug', 'x', 1.20),
        Row('search_keystroke_p99', 'a search keystroke over 10,000 tree items, 99th percentile', 'bench_panes_tree',
            'ms', 8),
        Row('startup_ratio', 'start-up to the first picture', 'bench_startup', 'x', 1.25),
        Row('startup_added_ms', 'start-up to the first picture, time added', 'bench_startup', 'ms', 150),
        Row('table_list_wait', 'longest UI wait while the 2,000-member table list fills', 'bench_codeview', 'ms', 16),
        Row('select_gui_font', 'SelectObject of the GUI font on a DC not the grid\'s', 'bench_router', 'x', 1.10),
        Row('debug_strings_2000', '2,000 output-debug-string lines in a run', 'bench_debugging', 'x', 1.20),
        Row('show_disassembly_64k', 'showDisassembly of 64 KB against a direct fill', 'bench_debugging', 'x', 1.10),
        Row('atomic_save', 'atomic save of the module list against a flushed in-place write', 'bench_panes_modules',
            'x', 1.50),
        Row('exceptions_2000', '2,000 handled exceptions in a run', 'bench_debugging', 'x', 1.20),
        Row('library_refill_30k', '30,000-entry library refill', 'bench_panes_tree', 'x', 1.10),
        Row('module_reload_1000', '1,000-module reload with digests', 'bench_panes_modules', 'x', 1.10),
    ]),
    (MEMORY, [
        Row('startup_private_mb', 'private bytes after start-up (sample project open)', 'bench_memory', 'MB', 25),
        Row('tree_item_bytes_10k', 'bytes per mirrored tree item, 10,000 items', 'bench_memory', 'B', 200),
        Row('tree_item_bytes_100k', 'bytes per mirrored tree item, 100,000 items', 'bench_memory', 'B', 200),
        Row('list_row_bytes_10k', 'bytes per mirrored list row, 10,000 rows', 'bench_memory', 'B', 200),
        Row('list_row_bytes_100k', 'bytes per mirrored list row, 100,000 rows', 'bench_memory', 'B', 200),
    ]),
    (COMPONENTS, [
        Row('decoder_mbs', 'decoder, decode only', 'bench_disasm', 'MB/s', better='higher'),
        Row('decoder_text_mbs', 'decoder, decode + text', 'bench_disasm', 'MB/s', better='higher'),
        Row('json_read_mbs', 'JSON read', 'bench_json', 'MB/s', better='higher'),
        Row('json_write_mbs', 'JSON write', 'bench_json', 'MB/s', better='higher'),
        Row('toolkit_tree_paint_100k', 'toolkit paint, tree of 100,000 items', 'bench_toolkit', 'us',
            better='lower'),
        Row('toolkit_list_paint_100k', 'toolkit paint, list of 100,000 rows', 'bench_toolkit', 'us',
            better='lower'),
        Row('search_keystroke_model_p99', 'search keystroke, the model alone, 99th percentile',
            'bench_pane_search', 'ms', better='lower'),
        Row('model_tree_item_bytes_100k', 'heap per mirrored tree item in the model, 64-bit, 100,000 items',
            'bench_pane_memory', 'B', better='lower'),
        Row('model_list_row_bytes_100k', 'heap per search-result row in the model, 64-bit, 100,000 rows',
            'bench_pane_memory', 'B', better='lower'),
    ]),
]

ROWS = {row.id: row for _, rows in TABLE for row in rows}

HEADER = re.compile(r'^== (bench_\w+)')
FAILED = re.compile(r'^!! (bench_\w+) exited with (-?\d+)')


def read_run(lines):
    """The figures of a run's output ({id: figure}), the programs that ran, and those that failed."""
    figures, ran, failed = {}, [], {}
    program = None
    for line in lines:
        line = line.rstrip('\r\n')
        header = HEADER.match(line)
        if header:
            program = header.group(1)
            ran.append(program)
            continue
        failure = FAILED.match(line)
        if failure:
            failed[failure.group(1)] = int(failure.group(2))
            continue
        at = line.find('BENCH {')
        if at < 0:
            continue
        try:
            figure = json.loads(line[at + len('BENCH '):])
        except ValueError:
            continue
        if not isinstance(figure, dict) or not isinstance(figure.get('id'), str):
            continue
        figure['program'] = program
        figures[figure['id']] = figure
    return figures, ran, failed


def number(value):
    return isinstance(value, (int, float)) and not isinstance(value, bool) and math.isfinite(value)


def show(value, unit):
    if not number(value):
        return '-'
    if unit == 'x':
        return '%.2fx' % value
    digits = 0 if abs(value) >= 100 or unit == 'B' else 1 if abs(value) >= 10 else 2
    return '%.*f %s' % (digits, value, unit)


def verdict(value, goal, cmp):
    """'met', 'missed' or 'not measured'; None for a figure without a goal."""
    if goal is None:
        return None
    if not number(value):
        return 'not measured'
    return 'met' if (value <= goal if cmp == '<=' else value >= goal) else 'missed'


def shown_rows(figures, only):
    """The table's rows for this run (those of programs --only left out dropped), then any figure
    a benchmark reported that the table does not list."""
    def included(program):
        return not only or any(word in program for word in only)

    sections = []
    for section, rows in TABLE:
        kept = [row for row in rows if included(row.program)]
        if kept:
            sections.append((section, kept))
    extra = [Row(f['id'], f['id'], f.get('program') or '?', f.get('unit', ''), f.get('goal'), f.get('cmp', '<='),
                 f.get('better')) for f in figures.values() if f['id'] not in ROWS]
    if extra:
        sections.append(('Other figures', extra))
    return sections


def table(figures, ran, failed, only):
    """The table's lines and the count of each verdict."""
    counts = {'met': 0, 'missed': 0, 'not measured': 0}
    out = []
    width = 66
    out.append('%-*s %12s %12s  %-13s %s' % (width, 'figure', 'value', 'goal', 'verdict', 'detail'))
    for section, rows in shown_rows(figures, only):
        out.append(section)
        for row in rows:
            figure = figures.get(row.id, {})
            value = figure.get('value')
            goal = row.goal
            state = verdict(value, goal, row.cmp)
            if state:
                counts[state] += 1
            goal_text = '%s %s' % (row.cmp, show(goal, row.unit)) if goal is not None else '-'
            detail = figure.get('detail', '')
            if not figure:
                program = row.program
                detail = ('%s exited with %d' % (program, failed[program]) if program in failed else
                          '%s did not report it' % program if program in ran else '%s did not run' % program)
            elif row.id in ROWS and figure.get('goal') not in (None, goal):
                detail += ' (the benchmark\'s goal: %s)' % figure.get('goal')
            out.append('  %-*s %12s %12s  %-13s %s' % (width - 2, row.title, show(value, row.unit) if number(value) else
                                                       'not measured', goal_text, state or '', detail))
    out.append('goals: %d met, %d missed, %d not measured' % (counts['met'], counts['missed'],
                                                               counts['not measured']))
    return out, counts


def change(now, then):
    """The relative change from `then` to `now`, or None when it has no meaning."""
    if not number(now) or not number(then) or then == 0:
        return None
    return (now - then) / abs(then)


def comparison(figures, baseline, only):
    """Each figure of this run against the baseline's, flagged past FLAG_SHARE either way."""
    old = baseline.get('figures', {})
    out = ['Against the baseline (%s; flagged: a change past %d %% either way)' %
           (baseline.get('recorded', 'no date'), round(FLAG_SHARE * 100))]
    out.append('  %-40s %12s %12s %9s' % ('figure', 'baseline', 'now', 'change'))
    flagged = 0
    for _, rows in shown_rows(figures, only):
        for row in rows:
            now = figures.get(row.id, {}).get('value')
            then = old.get(row.id, {}).get('value')
            if not number(now) and not number(then):
                continue
            share = change(now, then)
            mark = ''
            if share is None:
                mark = 'not in the baseline' if not number(then) else 'not measured now'
            elif abs(share) > FLAG_SHARE:
                worse = (share > 0) == (row.better == 'lower')
                mark = '<< %s' % ('WORSE' if worse else 'better')
                flagged += 1
            out.append('  %-40s %12s %12s %9s  %s' % (row.id, show(then, row.unit), show(now, row.unit),
                                                     '%+.1f %%' % (share * 100) if share is not None else '-', mark))
    out.append('%d figures changed past %d %%' % (flagged, round(FLAG_SHARE * 100)))
    return out, flagged


def record(figures, path, when):
    """Merges this run's measured figures into the baseline file at `path` (a run of some benchmarks
    keeps the others' recorded figures)."""
    baseline = {'figures': {}}
    if os.path.exists(path):
        with open(path, encoding='utf-8') as f:
            baseline = json.load(f)
    kept = baseline.setdefault('figures', {})
    for key, figure in figures.items():
        if number(figure.get('value')):
            kept[key] = {k: v for k, v in figure.items() if k != 'id'}
    with open(path, 'w', encoding='utf-8') as f:
        json.dump({'recorded': when, 'figures': dict(sorted(kept.items()))}, f, indent=1, ensure_ascii=False)
        f.write('\n')


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('run', help='the captured output of the benchmarks')
    parser.add_argument('--json', help="write the run's figures here")
    parser.add_argument('--only', nargs='*', default=[], help='the run covered only these benchmarks')
    parser.add_argument('--record', help="merge the run's figures into this baseline file")
    parser.add_argument('--compare', help='print the change of each figure against this baseline file')
    args = parser.parse_args(argv)

    with open(args.run, encoding='utf-8', errors='replace') as f:
        figures, ran, failed = read_run(f)
    when = datetime.datetime.now(datetime.timezone.utc).strftime('%Y-%m-%d %H:%M UTC')
    lines, _ = table(figures, ran, failed, args.only)
    print('\n'.join(lines))
    if args.json:
        os.makedirs(os.path.dirname(os.path.abspath(args.json)), exist_ok=True)
        with open(args.json, 'w', encoding='utf-8') as f:
            json.dump({'run': when, 'programs': ran, 'figures': figures}, f, indent=1, ensure_ascii=False)
            f.write('\n')
    if args.compare:
        if not os.path.exists(args.compare):
            print('no baseline at %s (record one with ./dev bench --record)' % args.compare)
        else:
            with open(args.compare, encoding='utf-8') as f:
                lines, _ = comparison(figures, json.load(f), args.only)
            print()
            print('\n'.join(lines))
    if args.record:
        record(figures, args.record, when)
        print('recorded the figures in %s' % args.record)
    return 0


if __name__ == '__main__':
    sys.exit(main())
