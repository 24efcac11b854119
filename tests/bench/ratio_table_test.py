#!/usr/bin/python3
"""The benchmark table: ratios from the programs' JSON output, time units, fixed limits, the worst
of several runs, differences, missing figures, and that every figure in bench/targets.json names a
benchmark its program defines."""

import glob
import json
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
    # A counter in microseconds over a fixed 4 ms.
    {"program": "p", "what": "counter over a fixed limit", "baseline": "4 ms", "target": 1.0,
     "measured": {"run": "BM_Load", "value": "cpu_us", "unit": "us"},
     "reference": {"fixed": 4, "unit": "ms"}},
    # The worst of BM_Step/0 (1 ms) and BM_Step/1 (3000 us), not the first one found.
    {"program": "p", "what": "worst of several", "baseline": "4 ms", "target": 1.0,
     "measured": {"run": ["BM_Step/0", "BM_Step/1"], "value": "cpu_time"},
     "reference": {"fixed": 4, "unit": "ms"}},
    {"program": "p", "what": "worst with a case that did not run", "baseline": "4 ms", "target": 1.0,
     "measured": {"run": ["BM_Step/0", "BM_Step/2"], "value": "cpu_time"},
     "reference": {"fixed": 4, "unit": "ms"}},
    # (50 - 10) ms over (8 - 4) ms: what the outer run adds to the inner one.
    {"program": "p", "what": "difference over difference", "baseline": "b", "target": 2.0,
     "measured": {"run": "BM_Hold/0", "value": "real_time",
                  "minus": {"run": "BM_Inner/0", "value": "real_time"}},
     "reference": {"run": "BM_Ours", "value": "real_time",
                   "minus": {"run": "BM_Theirs", "value": "real_time"}}},
]}

RESULTS = {"p": [
    {"name": "BM_Load/min_time:3.000/manual_time", "run_type": "iteration", "ratio": 1.234,
     "real_time": 5, "cpu_time": 5, "time_unit": "ms", "cpu_us": 500},
    {"name": "BM_Load/min_time:3.000/manual_time_mean", "run_type": "aggregate", "ratio": 9.0},
    # Different units on the two sides: 2 ms over 1000 us.
    {"name": "BM_Ours", "run_type": "iteration", "real_time": 8, "cpu_time": 2, "time_unit": "ms"},
    {"name": "BM_Theirs", "run_type": "iteration", "real_time": 4000, "cpu_time": 1000, "time_unit": "us"},
    {"name": "BM_Hold/0/iterations:100", "run_type": "iteration", "real_time": 50, "time_unit": "ms",
     "interval_ms": 10},
    {"name": "BM_Hold/1/iterations:100", "run_type": "iteration", "real_time": 16.5, "time_unit": "ms",
     "interval_ms": 33.0},
    {"name": "BM_Inner/0", "run_type": "iteration", "real_time": 10, "time_unit": "ms"},
    {"name": "BM_Step/0/iterations:30", "run_type": "iteration", "cpu_time": 1, "time_unit": "ms"},
    {"name": "BM_Step/1/iterations:30", "run_type": "iteration", "cpu_time": 3000, "time_unit": "us"},
]}


def registered_runs(text):
    """Whether `text` registers benchmarks at run time, by names built from string literals."""
    return "RegisterBenchmark(" in text


def defines(text, run):
    """Whether the sources `text` define the benchmark `run` (its name up to any numeric arguments)."""
    parts = run.split("/")
    if re.search(r"BENCHMARK\(" + re.escape(parts[0]) + r"\)", text):
        return True
    if not registered_runs(text):
        return False
    # A name put together at run time: its first part opens a literal, the others are literals.
    if not re.search(r'"' + re.escape(parts[0]) + r'[/"]', text):
        return False
    return all(part.isdigit() or f'"{part}"' in text for part in parts[1:])


def runs_of(spec):
    if spec is None or "fixed" in spec:
        names = []
    else:
        names = spec["run"] if isinstance(spec["run"], list) else [spec["run"]]
    return names + (runs_of(spec["minus"]) if spec and "minus" in spec else [])


def unknown_runs(targets, sources):
    """(what, program, run) for each run a figure names that its program does not define;
    `sources` maps each program to the text of its sources."""
    unknown = []
    for figure in targets["figures"]:
        text = sources.get(figure["program"])
        for side in ("measured", "reference"):
            for run in runs_of(figure.get(side)):
                if text is None or not defines(text, run):
                    unknown.append((figure["what"], figure["program"], run))
    return unknown


def program_sources():
    """Each benchmark program named by an add_executable in bench/, with the text of its sources."""
    sources = {}
    for cmake in glob.glob(os.path.join(ROOT, "bench", "*", "CMakeLists.txt")):
        folder = os.path.dirname(cmake)
        with open(cmake, encoding="utf-8") as f:
            programs = re.findall(r"add_executable\((\w+)", f.read())
        texts = []
        for name in sorted(os.listdir(folder)):
            if name.endswith(".cpp"):
                with open(os.path.join(folder, name), encoding="utf-8") as f:
                    texts.append(f.read())
        for program in programs:
            sources[program] = "\n".join(texts)
    return sources


class RatioTableTest(unittest.TestCase):
    def test_ratios_units_and_verdicts(self):
        figures = {figure["what"]: figure for figure in TARGETS["figures"]}
        cases = [
            ("counter ratio", 1.234),
            ("time over time", 2.0),
            ("time over interval", 0.5),
            ("from a program that did not run", None),
            ("counter over a fixed limit", 0.125),
            ("worst of several", 0.75),
            ("worst with a case that did not run", None),
            ("difference over difference", 10.0),
        ]
        for what, expected in cases:
            with self.subTest(what):
                ratio = ratio_table.ratio_of(figures[what], RESULTS)
                if expected is None:
                    self.assertIsNone(ratio)
                else:
                    self.assertAlmostEqual(ratio, expected)

        text, missed = ratio_table.table(TARGETS, RESULTS, "2026-01-02", 2)
        lines = text.splitlines()
        self.assertEqual(lines[0], "Measured 2026-01-02 on 2 cores; each ratio is over a baseline from "
                                   "the same run or over a fixed limit.")
        self.assertIn("| `p` | counter ratio | b | 1.23 | ≤ 1.5 | yes |", lines)
        self.assertIn("| `p` | time over time | b | 2.00 | ≤ 1.5 | no |", lines)
        self.assertIn("| `p` | time over interval | b | 0.50 | ≤ 1 | yes |", lines)
        self.assertIn("| `q` | from a program that did not run | b | not measured | ≤ 1.5 | no |", lines)
        self.assertIn("| `p` | worst of several | 4 ms | 0.75 | ≤ 1 | yes |", lines)
        self.assertIn("| `p` | worst with a case that did not run | 4 ms | not measured | ≤ 1 | no |",
                      lines)
        self.assertIn("| `p` | difference over difference | b | 10.00 | ≤ 2 | no |", lines)
        self.assertEqual(missed, 4)

    def test_a_run_reporting_its_spread_shows_it_beside_the_figure(self):
        figure = {"program": "p", "what": "with spread", "baseline": "b", "target": 1.2,
                  "measured": {"run": "BM_Cli", "value": "ratio"}}
        over = dict(figure, what="over a reference", reference={"fixed": 1})
        results = {"p": [{"name": "BM_Cli/iterations:7/manual_time", "run_type": "iteration",
                          "ratio": 1.04, "ratio_min": 1.012, "ratio_max": 1.156}]}
        self.assertEqual(ratio_table.spread_of(figure, results), (1.012, 1.156))
        # A figure over a reference is another value than the counter: its spread is not known.
        self.assertIsNone(ratio_table.spread_of(over, results))
        text, _ = ratio_table.table({"figures": [figure, over]}, results, "2026-01-02", 2)
        self.assertIn("| `p` | with spread | b | 1.04 (1.01–1.16) | ≤ 1.2 | yes |", text.splitlines())
        self.assertIn("| `p` | over a reference | b | 1.04 | ≤ 1.2 | yes |", text.splitlines())

    def test_failed_runs_a_zero_baseline_and_a_negative_share_give_no_ratio(self):
        figure = TARGETS["figures"][1]
        failed = {"p": [dict(RESULTS["p"][2], error_occurred=True), RESULTS["p"][3]]}
        self.assertIsNone(ratio_table.ratio_of(figure, failed))
        zero = {"p": [RESULTS["p"][2], dict(RESULTS["p"][3], cpu_time=0)]}
        self.assertIsNone(ratio_table.ratio_of(figure, zero))
        # A difference that comes to nothing is no baseline either.
        same = dict(TARGETS["figures"][7], reference={"run": "BM_Ours", "value": "real_time",
                                                      "minus": {"run": "BM_Ours", "value": "real_time"}})
        self.assertIsNone(ratio_table.ratio_of(same, RESULTS))
        # Nor is a measured share below nothing (the outer run faster than the inner one) a pass.
        below = dict(TARGETS["figures"][7], measured={"run": "BM_Inner/0", "value": "real_time",
                                                      "minus": {"run": "BM_Hold/0", "value": "real_time"}})
        self.assertIsNone(ratio_table.ratio_of(below, RESULTS))

    def test_a_figure_naming_a_missing_benchmark_is_caught(self):
        sources = {
            "p": 'BENCHMARK(BM_Open_Form)->Arg(5000);\nBENCHMARK(BM_Paint<Grid>);\n',
            "r": 'RegisterBenchmark((std::string("UndoRedo/") + name).c_str(), f);\n'
                 '{"cell_edit", step}, {"move_parameter", step}',
        }

        def figure(program, measured, reference=None):
            made = {"program": program, "what": str(measured), "measured": measured}
            if reference:
                made["reference"] = reference
            return made

        cases = [
            (figure("p", {"run": "BM_Open_Form/5000"}), []),
            (figure("p", {"run": "BM_Paint<Grid>"}, {"fixed": 4, "unit": "ms"}), []),
            (figure("r", {"run": ["UndoRedo/cell_edit", "UndoRedo/move_parameter"]}), []),
            (figure("p", {"run": "BM_Open"}), ["BM_Open"]),  # a prefix of a name is not the name
            (figure("p", {"run": "BM_Paint<CellGrid>"}), ["BM_Paint<CellGrid>"]),
            (figure("p", {"run": "BM_Open_Form/5000"}, {"run": "BM_Open_Baseline"}), ["BM_Open_Baseline"]),
            (figure("p", {"run": "BM_Open_Form/5000", "minus": {"run": "BM_Open_Document/5000"}}),
             ["BM_Open_Document/5000"]),
            (figure("r", {"run": ["UndoRedo/cell_edit", "UndoRedo/add_value_row"]}),
             ["UndoRedo/add_value_row"]),
            (figure("r", {"run": "PushUndo/cell_edit"}), ["PushUndo/cell_edit"]),
            (figure("gone", {"run": "BM_Open_Form/5000"}), ["BM_Open_Form/5000"]),
        ]
        for made, expected in cases:
            with self.subTest(made["what"], program=made["program"]):
                found = unknown_runs({"figures": [made]}, sources)
                self.assertEqual([run for _, _, run in found], expected)

    def test_every_figure_names_a_benchmark_of_its_program(self):
        with open(os.path.join(ROOT, "bench", "targets.json"), encoding="utf-8") as f:
            targets = json.load(f)
        sources = program_sources()
        self.assertIn("bench_editor", sources)
        self.assertEqual(unknown_runs(targets, sources), [])
        # scripts/bench runs only the programs the figures name: every program has a figure.
        self.assertEqual(set(sources), {figure["program"] for figure in targets["figures"]})


if __name__ == "__main__":
    unittest.main()
