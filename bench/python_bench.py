#!/usr/bin/env python3
"""Costs of the corvane Python module against the library's C++ batch
operations on the same generated inputs, measured in one run, written as a
section of bench/RESULTS.md.

    bench/python_bench.py [--build build/bench] [--write bench/RESULTS.md]

Needs a build with the Python module and the benchmarks, such as the bench
preset's (cmake --preset bench && cmake --build --preset bench --target
corvane_python_package python_baseline_bench).
"""

import argparse
import json
import os
import platform
import statistics
import subprocess
import sys
import time
from pathlib import Path

import numpy as np

ROOT = Path(__file__).resolve().parents[1]
HEADING = "## Python module against the C++ batch operations"


def mix(i, k):
    return (i * np.uint64(2654435761) + np.uint64(k)) & np.uint64(0xFFFFFFFF)


def unit(i, k):
    return (mix(i, k).astype(np.float64) / 4294967296.0).astype(np.float32)


def inputs(n_values, n_positions):
    """The inputs python_baseline_bench.cpp builds, element for element."""
    i = np.arange(n_values, dtype=np.uint64)
    values = unit(i, 1) * np.float32(400) - np.float32(200)
    j = np.arange(n_positions, dtype=np.uint64)
    ids = ((mix(j, 2) & np.uint64(0xFFFF0000)) | (mix(j, 3) % np.uint64(65))).astype(np.uint32)
    xyz = np.stack([unit(j, 4) * np.float32(300) - np.float32(50),
                    unit(j, 5) * np.float32(300) - np.float32(50),
                    unit(j, 6) * np.float32(100)], axis=1)
    return values, ids, np.ascontiguousarray(xyz, dtype=np.float32)


def median_cpu_seconds(call, repetitions):
    """The call's cost, without freeing what it returned."""
    times = []
    for _ in range(repetitions):
        start = time.process_time()
        result = call()
        times.append(time.process_time() - start)
        del result
    return statistics.median(times)


def cpp_ns_per_item(build, repetitions):
    done = subprocess.run(
        [str(build / "bench" / "python_baseline_bench"), "--benchmark_format=json",
         f"--benchmark_repetitions={repetitions}", "--benchmark_report_aggregates_only=true"],
        capture_output=True, text=True, check=True)
    out = {}
    for b in json.loads(done.stdout)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            name, n = b["run_name"].split("/")
            scale = {"ms": 1e6, "us": 1e3, "ns": 1.0}[b["time_unit"]]
            out[name] = b["cpu_time"] * scale / int(n)
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=str(ROOT / "build" / "bench"))
    parser.add_argument("--write", help="RESULTS.md to update (its Python section is replaced)")
    parser.add_argument("--repetitions", type=int, default=5)
    args = parser.parse_args()
    build = Path(args.build)
    sys.path.insert(0, str(build / "python"))
    import corvane

    load_before = os.getloadavg()
    values, ids, xyz = inputs(10_000_000, 1_000_000)
    _, ids7, xyz7 = inputs(0, 10_000_000)
    reps = args.repetitions
    py = {
        "fingerprint": median_cpu_seconds(lambda: corvane.fingerprint_f32_bits(values), reps) * 1e9 / len(values),
        "coords": median_cpu_seconds(lambda: corvane.to_world_coords(ids7, xyz7), reps) * 1e9 / len(ids7),
        "rebucket": median_cpu_seconds(lambda: corvane.rebucket_outdoor_landblock(ids, xyz), reps) * 1e9 / len(ids),
        "map_text": median_cpu_seconds(lambda: corvane.map_text(ids7, xyz7), reps) * 1e9 / len(ids7),
        "map_text_buffer": median_cpu_seconds(lambda: corvane.map_text_buffer(ids7, xyz7), reps) * 1e9 / len(ids7),
    }
    # The least a list of those str costs: CPython's own str.split making them
    # out of one str already made, without the module.
    joined = "\n".join(corvane.map_text(ids7, xyz7))
    py["str"] = median_cpu_seconds(lambda: joined.split("\n"), reps) * 1e9 / len(ids7)
    del joined
    cpp = cpp_ns_per_item(build, reps)
    load_after = os.getloadavg()

    rows = [
        ("`fingerprint_f32_bits` (SixDp) on 10^7 float32 vs the C++ span overload",
         py["fingerprint"], cpp["BM_FingerprintSixDpBatch"], 2.0),
        ("`to_world_coords` on 10^7 positions (ids, xyz arrays) vs the C++ column operation "
         "into new columns", py["coords"], cpp["BM_ToWorldCoordsColumnsFresh"], 1.3),
        ("`to_world_coords` on 10^7 positions vs the C++ column operation into columns "
         "already written once", py["coords"], cpp["BM_ToWorldCoordsColumnsReused"], 1.3),
        ("`map_text` (precision 1) on 10^7 positions, a list of str, vs the C++ column "
         "operation (a new text and its ends)", py["map_text"], cpp["BM_MapTextColumnsFresh"], 1.3),
        ("`map_text` on 10^7 positions vs the C++ column operation into a text and ends "
         "already written once", py["map_text"], cpp["BM_MapTextColumnsReused"], 1.3),
        ("`map_text_buffer` on 10^7 positions (one text and its ends, no str) vs the C++ "
         "column operation (a new text and its ends)", py["map_text_buffer"], cpp["BM_MapTextColumnsFresh"], 1.3),
        ("`rebucket_outdoor_landblock` on 10^6 positions vs C++ over `WorldPosition`s",
         py["rebucket"], cpp["BM_RebucketBatch"], 2.0),
        ("The same list of 10^7 str split by CPython out of one str already made, no module: "
         "what the str alone cost", py["str"], cpp["BM_MapTextColumnsFresh"], None),
    ]
    lines = [HEADING, "",
             "From one run of `bench/python_bench.py`: CPU time per element, median of "
             f"{reps} repetitions, the Python call (array checks, GIL released, new result "
             "arrays) against `bench/python_baseline_bench` on the same generated inputs.",
             f"Python {platform.python_version()}, numpy {np.__version__}; "
             f"{time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}; load average before "
             f"{load_before[0]:.2f}, after {load_after[0]:.2f}.", "",
             "| Comparison | Python | C++ | Ratio | Target | Verdict |", "|---|---|---|---|---|---|"]
    for name, ours, base, limit in rows:
        ratio = ours / base
        verdict = "— | —" if limit is None else \
            f"≤ {limit:g}× the C++ cost | {'met' if ratio <= limit else '**not met**'}"
        lines.append(f"| {name} | {ours:.3g} ns | {base:.3g} ns | {ratio:.2f}× the cost | {verdict} |")
    rate = 1e9 / py["map_text"]
    lines.append(f"| `map_text` (precision 1) on 10^7 positions, texts per second | "
                 f"{rate / 1e6:.2f} M/s | — | — | ≥ 3 M/s | {'met' if rate >= 3e6 else '**not met**'} |")
    lines += ["", f"The row without a target is what the list of str costs on its own ({py['str']:.3g} ns a text "
              "in this run): `map_text` is `map_text_buffer` plus about that cost, which no module can "
              "go below while each text is a str."]
    section = "\n".join(lines) + "\n"
    print(section)
    if args.write:
        path = Path(args.write)
        text = path.read_text()
        if HEADING in text:
            start = text.index(HEADING)
            end = text.find("\n## ", start + len(HEADING))
            text = text[:start] + section + (text[end + 1:] if end != -1 else "")
        else:
            text = text.rstrip("\n") + "\n\n" + section
        path.write_text(text)


if __name__ == "__main__":
    main()
