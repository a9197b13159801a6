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
        # Settings such as "/min_time:2.000" follow the size in the name.
        parts = [part for part in b["name"].split("/") if ":" not in part or part.startswith(("cv::", "bg::"))]
        operation, who, n = "/".join(parts[:-2]), parts[-2], parts[-1]
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


# The targets, as same-run figures: (operation prefix, peer or None for ours alone, sizes or None
# for every size, limit). With a peer the limit bounds ours / peer; without one it bounds our
# time per vertex, in seconds.
TARGETS = [
    ("edge index build", None, (100000, 1000000), 150e-9),
    ("point-in-region warm", "cv::pointPolygonTest", (1000,), 0.5),
    ("point-in-region warm", "cv::pointPolygonTest", (100000,), 0.05),
    ("point-in-region cold", "cv::pointPolygonTest", (100000,), 10.0),
    ("nearest point warm", "GEOSDistance", (100000,), 0.1),
    ("segment crossings warm", "bg::intersection", (100000,), 0.1),
    ("exact diameter", "cv::minEnclosingCircle", (100000, 1000000), 2.0),
    ("measure disjoint squares", "GEOSUnaryUnion", (10000,), 1.0),
    ("moments", "cv::moments", None, 1.5),
]
# Warm queries must grow at most like this from 10^4 to 10^6 vertices (logarithmic, with a margin
# for cache effects).
WARM_GROWTH = (10000, 1000000, 0.35)


def target_for(operation, peer, n):
    for prefix, who, sizes, limit in TARGETS:
        if operation.startswith(prefix) and who == peer and (sizes is None or n in sizes):
            return limit
    return None


def verdict(value, limit, unit=""):
    if limit is None:
        return "–"
    if isinstance(value, str):
        return f"≤ {limit:g}{unit}: not measured"
    if value <= limit:
        return f"≤ {limit:g}{unit}: met"
    return f"≤ {limit:g}{unit}: **missed** ({value / limit:.3g} x the limit)"


def render(table, labels, areas):
    lines = ["| operation | n | ours | peer | ours / peer | growth of ours | target |",
             "|---|---:|---:|---:|---:|---:|---|"]
    for operation, results in table.items():
        ours = results.get("ours", {})
        exponents = growth_exponents(ours)
        peers = [peer for peer in results if peer != "ours"]
        if not peers:
            # Ours alone: the time per vertex is the figure with a target.
            for n in sorted(ours):
                mine = ours[n]
                growth = f"{exponents[n]:.2f}" if n in exponents else "–"
                per = mine / n if not isinstance(mine, str) else mine
                shown = f"{duration(per)} per vertex" if not isinstance(per, str) else per
                lines.append(f"| {operation} | {n} | {duration(mine)} ({shown}) | – | – | {growth} "
                             f"| {verdict(per, target_for(operation, None, n), ' s')} |")
            continue
        for peer in peers:
            times = results[peer]
            for n in sorted(times):
                mine, theirs = ours.get(n, "missing"), times[n]
                measured = not isinstance(mine, str) and not isinstance(theirs, str)
                ratio = mine / theirs if measured else "–"
                shown = f"{ratio:.3g}" if measured else "–"
                growth = f"{exponents[n]:.2f}" if n in exponents else "–"
                limit = target_for(operation, peer, n)
                lines.append(f"| {operation} vs {peer} | {n} | {duration(mine)} | {duration(theirs)} "
                             f"| {shown} | {growth} | {verdict(ratio if measured else 'x', limit)} |")
    low, high, limit = WARM_GROWTH
    growth_lines = []
    for operation, results in table.items():
        ours = results.get("ours", {})
        if "warm" not in operation or isinstance(ours.get(low, "-"), str) or isinstance(ours.get(high, "-"), str):
            continue
        exponent = math.log(ours[high] / ours[low]) / math.log(high / low)
        growth_lines.append(f"- {operation}: {exponent:.2f}, {verdict(exponent, limit)}")
    if growth_lines:
        lines.extend(["", f"Growth of the warm queries from n = {low} to n = {high} (exponent of our time):", ""])
        lines.extend(growth_lines)
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
