#!/usr/bin/python3
"""Prints the benchmark figures as one Markdown table: what, its same-run baseline (or the fixed limit
it is held to), the ratio, the target and whether it was met, with the date and the machine's core
count above it.

usage: ratio_table.py TARGETS.json RESULTS_FOLDER
TARGETS.json lists the figures (bench/targets.json); RESULTS_FOLDER holds PROGRAM.json, the JSON
output (--benchmark_out_format=json) of each benchmark program named there.
"""

import datetime
import json
import os
import sys

TIME_UNITS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def find_run(benchmarks, run):
    """The iteration entry named `run`, or whose name starts with `run` and a '/'."""
    for entry in benchmarks:
        if entry.get("run_type", "iteration") != "iteration" or entry.get("error_occurred"):
            continue
        name = entry.get("name", "")
        if name == run or name.startswith(run + "/"):
            return entry
    return None


def value_of(benchmarks, spec):
    """The value `spec` asks for, times in seconds; None when a run or value is missing.

    A spec names one run, or a list of runs whose largest value counts (the worst of several
    cases); a fixed value stands for a limit of its own; 'minus' takes another spec's value off."""
    if "fixed" in spec:
        value = spec["fixed"] * TIME_UNITS[spec["unit"]] if "unit" in spec else spec["fixed"]
    elif isinstance(spec["run"], list):
        one = {key: part for key, part in spec.items() if key != "minus"}
        values = [value_of(benchmarks, dict(one, run=run)) for run in spec["run"]]
        # Every case must have run: a missing one could be the worst.
        if not values or None in values:
            return None
        value = max(values)
    else:
        value = run_value(find_run(benchmarks, spec["run"]), spec)
    if value is None or "minus" not in spec:
        return value
    other = value_of(benchmarks, spec["minus"])
    # A share that comes to nothing or less is lost in the runs' noise: no figure, not a pass.
    return None if other is None or value - other <= 0 else value - other


def run_value(entry, spec):
    if entry is None or spec["value"] not in entry:
        return None
    field = spec["value"]
    if field in ("real_time", "cpu_time"):
        return entry[field] * TIME_UNITS[entry.get("time_unit", "ns")]
    # A counter is a plain number; one that holds a time says its unit.
    return entry[field] * TIME_UNITS[spec["unit"]] if "unit" in spec else entry[field]


def spread_of(figure, results):
    """The lowest and highest value of a figure over its run's iterations, when the run reports them
    (as VALUE_min and VALUE_max counters) and the figure is that value alone; None otherwise."""
    spec = figure["measured"]
    benchmarks = results.get(figure["program"])
    if benchmarks is None or "reference" in figure or "minus" in spec or isinstance(spec.get("run"), list):
        return None
    entry = find_run(benchmarks, spec.get("run", ""))
    if entry is None:
        return None
    low, high = entry.get(spec["value"] + "_min"), entry.get(spec["value"] + "_max")
    return None if low is None or high is None else (low, high)


def ratio_of(figure, results):
    """The figure's ratio from the programs' results (program name -> list of runs), or None."""
    benchmarks = results.get(figure["program"])
    if benchmarks is None:
        return None
    measured = value_of(benchmarks, figure["measured"])
    if measured is None:
        return None
    if "reference" not in figure:
        return measured
    reference = value_of(benchmarks, figure["reference"])
    if reference is None or reference <= 0:
        return None
    return measured / reference


def table(targets, results, date, cores):
    lines = [
        f"Measured {date} on {cores} cores; each ratio is over a baseline from the same run "
        "or over a fixed limit.",
        "",
        "| program | what | baseline | ratio | target | met |",
        "|---|---|---|---|---|---|",
    ]
    missed = 0
    for figure in targets["figures"]:
        ratio = ratio_of(figure, results)
        target = figure["target"]
        if ratio is None:
            shown, met = "not measured", "no"
            missed += 1
        else:
            shown = f"{ratio:.2f}"
            spread = spread_of(figure, results)
            if spread is not None:
                shown += f" ({spread[0]:.2f}–{spread[1]:.2f})"
            met = "yes" if ratio <= target else "no"
            missed += met == "no"
        lines.append(f"| `{figure['program']}` | {figure['what']} | {figure['baseline']} | {shown} "
                     f"| ≤ {target:g} | {met} |")
    return "\n".join(lines), missed


def load_results(folder, programs):
    results = {}
    for program in programs:
        path = os.path.join(folder, program + ".json")
        if os.path.exists(path):
            with open(path, encoding="utf-8") as f:
                results[program] = json.load(f).get("benchmarks", [])
    return results


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        targets = json.load(f)
    programs = sorted({figure["program"] for figure in targets["figures"]})
    results = load_results(argv[2], programs)
    text, _ = table(targets, results, datetime.date.today().isoformat(), os.cpu_count())
    print(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
