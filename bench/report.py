#!/usr/bin/env python3
"""Runs cntr_bench (or reads a JSON file it wrote) and prints one Markdown table: per operation,
peer and size, our time, the peer's time, their ratio, and the growth exponent of our time from
the previous size, log(t2/t1) / log(n2/n1). Times are CPU time per iteration.

Usage: report.py BENCH_BINARY [--passes=N] [benchmark flags...]  or  report.py RESULTS.json
"""
import json
import math
import os
import subprocess
import sys
import tempfile

UNIT_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def run_benchmarks(binary, flags):
    """The JSON report of one run; the console output goes to stderr as progress."""
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "bench.json")
        subprocess.run([binary, f"--benchmark_out={out}", "--benchmark_out_format=json", *flags],
                       stdout=sys.stderr, check=True)
        with open(out) as f:
            return json.load(f)


def collect(report):
    """{operation: {who: {n: seconds or error text}}} in registration order, our labels, and
    {(operation, who, n): area} for benchmarks that report the area of their result."""
    table, labels, areas = {}, {}, {}
    for b in report["benchmarks"]:
        operation, who, n = b["name"].rsplit("/", 2)
        cell = table.setdefault(operation, {}).setdefault(who, {})
        if b.get("error_occurred"):
            cell[int(n)] = b.get("error_message", "error")
        else:
            cell[int(n)] = b["cpu_time"] * UNIT_SECONDS[b["time_unit"]]
        if who == "ours" and b.get("label"):
            labels[operation] = b["label"]
        if "area" in b:
            areas[(operation, who, int(n))] = b["area"]
    return table, labels, areas


def median_of_passes(tables):
    """One table whose every cell is the median of the passes' times for it; a cell no pass
    measured keeps the first pass's reason."""
    merged = {}
    for operation, results in tables[0].items():
        for who, times in results.items():
            for n, first in times.items():
                measured = sorted(t[operation][who][n] for t in tables
                                  if not isinstance(t.get(operation, {}).get(who, {}).get(n, ""), str))
                merged.setdefault(operation, {}).setdefault(who, {})[n] = \
                    measured[len(measured) // 2] if measured else first
    return merged


def duration(t):
    if isinstance(t, str):
        return t
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("µs", 1e-6)):
        if t >= scale:
            return f"{t / scale:.3g} {unit}"
    return f"{t / 1e-9:.3g} ns"


def growth_exponents(ours):
    """Growth of our time from each measured size to the next measured one."""
    exponents, previous = {}, None
    for n in sorted(ours):
        if isinstance(ours[n], str):
            continue
        if previous is not None:
            exponents[n] = math.log(ours[n] / ours[previous]) / math.log(n / previous)
        previous = n
    return exponents


def area_differences(areas):
    """Where ours and a peer report result areas more than 1% apart: the answers differ."""
    notes = []
    for (operation, who, n), theirs in areas.items():
        mine = areas.get((operation, "ours", n))
        if who != "ours" and mine is not None and abs(mine - theirs) > 0.01 * max(abs(mine), abs(theirs)):
            notes.append(f"- {operation}, n = {n}: the result's area is {mine:.6g} for ours, "
                         f"{theirs:.6g} for {who}.")
    return notes


def render(table, labels, areas):
    lines = ["| operation | n | ours | peer | ours / peer | growth of ours |",
             "|---|---:|---:|---:|---:|---:|"]
    for operation, results in table.items():
        ours = results.get("ours", {})
        exponents = growth_exponents(ours)
        for peer, times in results.items():
            if peer == "ours":
                continue
            for n in sorted(times):
                mine, theirs = ours.get(n, "missing"), times[n]
                measured = not isinstance(mine, str) and not isinstance(theirs, str)
                ratio = f"{mine / theirs:.3g}" if measured else "–"
                growth = f"{exponents[n]:.2f}" if n in exponents else "–"
                lines.append(f"| {operation} vs {peer} | {n} | {duration(mine)} | {duration(theirs)} "
                             f"| {ratio} | {growth} |")
    lines.append("")
    lines.append("How ours is timed:")
    lines.append("")
    lines.extend(f"- {operation}: {label}" for operation, label in labels.items())
    differences = area_differences(areas)
    if differences:
        lines.extend(["", "Results that differ (area of the result, more than 1% apart):", ""])
        lines.extend(differences)
    return "\n".join(lines)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    source = sys.argv[1]
    if source.endswith(".json"):
        with open(source) as f:
            report = json.load(f)
        print(render(*collect(report)))
        return
    flags = sys.argv[2:]
    passes = 1
    if flags and flags[0].startswith("--passes="):
        passes = int(flags.pop(0).split("=", 1)[1])
    # Whole passes one after another, each cell the median over them: a slow phase of a shared
    # machine then spoils one pass's rows, not the result.
    runs = [collect(run_benchmarks(source, flags)) for _ in range(passes)]
    table = median_of_passes([table for table, _, _ in runs])
    print(render(table, runs[0][1], runs[0][2]))


if __name__ == "__main__":
    main()
