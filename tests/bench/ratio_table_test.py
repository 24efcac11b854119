#!/usr/bin/python3
"""The benchmark table: ratios from the programs' JSON output, time units, missing figures, and
that every figure in bench/targets.json names a benchmark its program defines."""

import os
import re
import sys
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(ROOT, "bench", "support"))

import ratio_table  # noqa: E402

TARGETS = {"figures": [
    {"program": "p", "what": "counter ratio", "baseline": "b", "target": 1.5,
     "measured": {"run": "BM_Load", "value": "ratio"}},
    {"program": "p", "what": "time over time", "baseline": "b", "target": 1.5,
     "measured": {"run": "BM_Ours", "value": "cpu_time"},
     "reference": {"run": "BM_Theirs", "value": "cpu_time"}},
    {"program": "p", "what": "time over interval", "baseline": "b", "target": 1.0,
     "measured": {"run": "BM_Hold/1", "value": "real_time"},
     "reference": {"run": "BM_Hold/1", "value": "interval_ms", "unit": "ms"}},
    {"program": "q", "what": "from a program that did not run", "baseline": "b", "target": 1.5,
     "measured": {"run": "BM_X", "value": "ratio"}},
]}

RESULTS = {"p": [
    {"name": "BM_Load/min_time:3.000/manual_time", "run_type": "iteration", "ratio": 1.234,
     "real_time": 5, "cpu_time": 5, "time_unit": "ms"},
    {"name": "BM_Load/min_time:3.000/manual_time_mean", "run_type": "aggregate", "ratio": 9.0},
    # Different units on the two sides: 2 ms over 1000 us.
    {"name": "BM_Ours", "run_type": "iteration", "real_time": 1, "cpu_time": 2, "time_unit": "ms"},
    {"name": "BM_Theirs", "run_type": "iteration", "real_time": 1, "cpu_time": 1000, "time_unit": "us"},
    {"name": "BM_Hold/0/iterations:100", "run_type": "iteration", "real_time": 50, "time_unit": "ms",
     "interval_ms": 10},
    {"name": "BM_Hold/1/iterations:100", "run_type": "iteration", "real_time": 16.5, "time_unit": "ms",
     "interval_ms": 33.0},
]}


class RatioTableTest(unittest.TestCase):
    def test_ratios_units_and_verdicts(self):
        figures = TARGETS["figures"]
        cases = [
            (figures[0], 1.234),
            (figures[1], 2.0),
            (figures[2], 0.5),
            (figures[3], None),
        ]
        for figure, expected in cases:
            with self.subTest(figure["what"]):
                ratio = ratio_table.ratio_of(figure, RESULTS)
                if expected is None:
                    self.assertIsNone(ratio)
                else:
                    self.assertAlmostEqual(ratio, expected)

        text, missed = ratio_table.table(TARGETS, RESULTS, "2026-01-02", 2)
        lines = text.splitlines()
        self.assertEqual(lines[0], "Measured 2026-01-02 on 2 cores; each ratio is over a baseline from the same run.")
        self.assertIn("| `p` | counter ratio | b | 1.23 | ≤ 1.5 | yes |", lines)
        self.assertIn("| `p` | time over time | b | 2.00 | ≤ 1.5 | no |", lines)
        self.assertIn("| `p` | time over interval | b | 0.50 | ≤ 1 | yes |", lines)
        self.assertIn("| `q` | from a program that did not run | b | not measured | ≤ 1.5 | no |", lines)
        self.assertEqual(missed, 2)

    def test_failed_runs_and_a_zero_baseline_give_no_ratio(self):
        figure = TARGETS["figures"][1]
        failed = {"p": [dict(RESULTS["p"][2], error_occurred=True), RESULTS["p"][3]]}
        self.assertIsNone(ratio_table.ratio_of(figure, failed))
        zero = {"p": [RESULTS["p"][2], dict(RESULTS["p"][3], cpu_time=0)]}
        self.assertIsNone(ratio_table.ratio_of(figure, zero))

    def test_every_figure_names_a_benchmark_of_its_program(self):
        import json
        with open(os.path.join(ROOT, "bench", "targets.json"), encoding="utf-8") as f:
            targets = json.load(f)
        sources = {}
        for folder, _, files in os.walk(os.path.join(ROOT, "bench")):
            for name in files:
                if name.endswith(".cpp"):
                    with open(os.path.join(folder, name), encoding="utf-8") as f:
                        sources.setdefault(os.path.basename(folder), []).append(f.read())
        programs = {"vornak_core_bench": "core", "bench_grid": "grid", "bench_editor": "editor"}
        for figure in targets["figures"]:
            with self.subTest(figure["what"]):
                text = "\n".join(sources[programs[figure["program"]]])
                for side in ("measured", "reference"):
                    if side in figure:
                        run = figure[side]["run"].split("/")[0]
                        base = re.sub(r"<.*>", "", run)
                        self.assertRegex(text, r"BENCHMARK\(" + re.escape(base))
                        if "<" in run:
                            self.assertIn(run, text)


if __name__ == "__main__":
    unittest.main()
