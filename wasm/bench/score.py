#!/usr/bin/env python3
"""Scores bench.mjs's results: files read by each reader (tools/evaluate's
matching rules, the same for both), the per-file time ratio orvel / zxing
(median, 90th percentile) and the gzipped .wasm sizes."""
import importlib.machinery
import importlib.util
import json
import os
import statistics
import sys

here = os.path.dirname(os.path.abspath(__file__))
loader = importlib.machinery.SourceFileLoader("evaluate", os.path.join(here, "..", "..", "tools", "evaluate"))
module_plan = importlib.util.spec_from_loader("evaluate", loader)
evaluate = importlib.util.module_from_spec(module_plan)
loader.exec_module(evaluate)


def read_ok(row, results):
    expected = bytes.fromhex(row["expectedHex"])
    for result in results:
        forms = {bytes.fromhex(result["bytes"]), result["text"].encode("utf-8")}
        text = result["text"]
        # An eight-digit UPC-E as its UPC-A expansion.
        if row["symbology"] == "UPCE" and len(text) == 8 and text.isdigit():
            forms.add(evaluate.upce_to_upca(text).encode())
        if any(evaluate.matches_real(row["symbology"], expected, form) for form in forms):
            return True
    return False


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(fraction * len(ordered)))]


def main():
    data = json.load(open(sys.argv[1]))
    files = data["files"]
    read = {name: sum(read_ok(f, f[name]["results"]) for f in files) for name in ("orvel", "zxing")}
    ratios = [f["orvel"]["ms"] / max(f["zxing"]["ms"], 1e-3) for f in files]
    print(f"pictures: {len(files)} ({data['corpus']}), {data['repeats']} runs each, median time per file")
    for name in ("orvel", "zxing"):
        times = [f[name]["ms"] for f in files]
        print(f"{name:6} read {read[name]:4}  median {statistics.median(times):8.1f} ms  total {sum(times) / 1000:7.1f} s"
              f"  .wasm gzipped {data['sizes'][name]} bytes")
    print(f"time ratio orvel/zxing per file: median {statistics.median(ratios):.3f}, 90th percentile {percentile(ratios, 0.9):.3f}")
    print(f"{'symbology':14} {'files':>5} {'orvel':>5} {'zxing':>5} {'ratio-med':>9} {'ratio-p90':>9}")
    for symbology in sorted({f["symbology"] for f in files}):
        group = [f for f in files if f["symbology"] == symbology]
        group_ratios = [f["orvel"]["ms"] / max(f["zxing"]["ms"], 1e-3) for f in group]
        counts = [sum(read_ok(f, f[name]["results"]) for f in group) for name in ("orvel", "zxing")]
        print(f"{symbology:14} {len(group):5} {counts[0]:5} {counts[1]:5} {statistics.median(group_ratios):9.2f}"
              f" {percentile(group_ratios, 0.9):9.2f}")
    only = {name: [f["file"] for f in files if read_ok(f, f[name]["results"]) and not read_ok(f, f[other]["results"])]
            for name, other in (("orvel", "zxing"), ("zxing", "orvel"))}
    for name, names in only.items():
        print(f"read by {name} alone ({len(names)}): {' '.join(names)}")


if __name__ == "__main__":
    main()
