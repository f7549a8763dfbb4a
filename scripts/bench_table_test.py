#!/usr/bin/env python3
"""Checks of scripts/bench_table.py: reading a run's output, the table's verdicts, the comparison
against a baseline, recording one, and that every figure the table lists is reported by the
benchmark it names."""

import glob
import json
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, HERE)

import bench_table  # noqa: E402


def line(id, value, goal=None, unit='x', **extra):
    figure = {'id': id, 'value': value, 'unit': unit, 'goal': goal, 'cmp': '<=', 'detail': 'd'}
    figure.update(extra)
    return 'BENCH ' + json.dumps(figure)


RUN = [
    '== bench_disasm',
    'some human output',
    line('decoder_mbs', 150.0, unit='MB/s', better='higher'),
    '== bench_panes_tree.exe (Wine)',
    line('tree_inserts_10k', 2.0, 1.3),
    '  ' + line('library_refill_30k', 1.05, 1.1),  # not at the line's start: still read
    'BENCH {not json',
    line('search_keystroke_p99', None, 8, unit='ms'),
    line('a_new_figure', 3.0, 5),
    '== bench_debugging.exe (Wine)',
    '!! bench_debugging exited with 3',
]


class ReadAndTable(unittest.TestCase):
    def setUp(self):
        self.figures, self.ran, self.failed = bench_table.read_run(RUN)

    def test_reads_figures_programs_and_failures(self):
        self.assertEqual(set(self.figures), {'decoder_mbs', 'tree_inserts_10k', 'library_refill_30k',
                                             'search_keystroke_p99', 'a_new_figure'})
        self.assertEqual(self.figures['tree_inserts_10k']['program'], 'bench_panes_tree')
        self.assertEqual(self.ran, ['bench_disasm', 'bench_panes_tree', 'bench_debugging'])
        self.assertEqual(self.failed, {'bench_debugging': 3})

    def test_verdicts_and_missing_figures(self):
        lines, counts = bench_table.table(self.figures, self.ran, self.failed, [])
        text = '\n'.join(lines)
        row = lambda words: next(l for l in lines if words in l)
        self.assertIn('missed', row('program-tree inserts'))
        self.assertIn('met', row('library refill'))
        # Reported as null, not reported, and from a benchmark that failed: all not measured.
        self.assertIn('not measured', row('search keystroke over'))
        self.assertIn('bench_startup did not run', row('time added'))
        self.assertIn('bench_debugging exited with 3', row('handled exceptions'))
        # A figure the table does not list still shows, after the listed ones.
        self.assertGreater(text.index('a_new_figure'), text.index('decoder, decode only'))
        goals = sum(1 for _, rows in bench_table.TABLE for r in rows if r.goal is not None) + 1
        self.assertEqual(counts, {'met': 2, 'missed': 1, 'not measured': goals - 3})

    def test_rows_follow_the_goals_order(self):
        lines, _ = bench_table.table(self.figures, self.ran, self.failed, [])
        titles = [r.title for _, rows in bench_table.TABLE for r in rows]
        at = [next(i for i, l in enumerate(lines) if l.strip().startswith(t)) for t in titles]
        self.assertEqual(at, sorted(at))
        self.assertLess(lines.index(bench_table.PATHS), lines.index(bench_table.MEMORY))
        self.assertLess(lines.index(bench_table.MEMORY), lines.index(bench_table.COMPONENTS))

    def test_only_leaves_out_the_benchmarks_not_run(self):
        lines, counts = bench_table.table(self.figures, self.ran, self.failed, ['panes_tree'])
        text = '\n'.join(lines)
        self.assertNotIn('start-up', text)
        self.assertNotIn(bench_table.MEMORY, text)
        self.assertEqual(counts, {'met': 2, 'missed': 1, 'not measured': 1})


class Baseline(unittest.TestCase):
    def compare(self, now, then, better='lower'):
        figures = {'tree_inserts_10k': {'id': 'tree_inserts_10k', 'value': now}}
        baseline = {'figures': {'tree_inserts_10k': {'value': then}}}
        lines, flagged = bench_table.comparison(figures, baseline, ['panes_tree'])
        return next(l for l in lines if 'tree_inserts_10k' in l), flagged

    def test_flags_changes_past_a_fifth_either_way(self):
        self.assertEqual(self.compare(1.19, 1.0)[1], 0)
        row, flagged = self.compare(1.25, 1.0)
        self.assertEqual(flagged, 1)
        self.assertIn('WORSE', row)
        row, flagged = self.compare(0.75, 1.0)
        self.assertEqual(flagged, 1)
        self.assertIn('better', row)

    def test_higher_is_better_for_speeds(self):
        figures = {'decoder_mbs': {'id': 'decoder_mbs', 'value': 50.0}}
        lines, flagged = bench_table.comparison(figures, {'figures': {'decoder_mbs': {'value': 100.0}}}, [])
        self.assertEqual(flagged, 1)
        self.assertIn('WORSE', next(l for l in lines if 'decoder_mbs' in l))

    def test_nothing_to_compare_is_not_flagged(self):
        self.assertEqual(self.compare(1.0, 0.0)[1], 0)
        row, flagged = self.compare(None, 1.0)
        self.assertEqual(flagged, 0)
        self.assertIn('not measured now', row)

    def test_record_merges_measured_figures(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, 'baseline.json')
            with open(path, 'w') as f:
                json.dump({'figures': {'kept': {'value': 1.0}, 'tree_inserts_10k': {'value': 9.0}}}, f)
            bench_table.record({'tree_inserts_10k': {'id': 'tree_inserts_10k', 'value': 2.0},
                                'unmeasured': {'id': 'unmeasured', 'value': None}}, path, 'today')
            with open(path) as f:
                saved = json.load(f)
        self.assertEqual(saved['recorded'], 'today')
        self.assertEqual(saved['figures'], {'kept': {'value': 1.0}, 'tree_inserts_10k': {'value': 2.0}})


class Sources(unittest.TestCase):
    def test_each_listed_figure_is_reported_by_its_benchmark(self):
        for _, rows in bench_table.TABLE:
            for row in rows:
                sources = glob.glob(os.path.join(ROOT, 'bench', '*', row.program + '.cpp'))
                self.assertEqual(len(sources), 1, row.program)
                with open(sources[0], encoding='utf-8') as f:
                    self.assertIn('"%s"' % row.id, f.read(), row.program)


if __name__ == '__main__':
    unittest.main()
