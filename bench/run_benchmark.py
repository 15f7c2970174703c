"""Times replaygen against the naive baseline on 2,000,000 realistic requests.

Usage: python3 bench/run_benchmark.py [BUILD-DIR] [--runs N]
Needs GNU time (/usr/bin/time) for peak resident memory.
"""
import argparse
import filecmp
import os
import random
import statistics
import subprocess
import tempfile
import time

REQUESTS = 2_000_000
TIME = "/usr/bin/time"


def write_workload(path):
    """Times rising by 0 to 1.3 s with one decimal; payloads like id=123;op=4;arg=17."""
    rng = random.Random(4)
    tenths = 0
    with open(path, "w") as file:
        for _ in range(REQUESTS // 1000):
            lines = []
            for _ in range(1000):
                tenths += rng.randrange(14)
                lines.append("[%d.%d]id=%d;op=%d;arg=%d\n" % (
                    tenths // 10, tenths % 10, rng.randrange(1000), rng.randrange(10), rng.randrange(100)))
            file.write("".join(lines))


def run_once(program, workload, output=os.devnull):
    """Returns the run's wall time in seconds and its peak resident memory in KiB."""
    with tempfile.NamedTemporaryFile(mode="r") as peak, open(workload, "rb") as stdin, \
            open(output, "wb") as stdout:
        start = time.perf_counter()
        subprocess.run([TIME, "-f", "%M", "-o", peak.name, program], stdin=stdin, stdout=stdout, check=True)
        seconds = time.perf_counter() - start
        return seconds, int(peak.read())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir", nargs="?", default="build")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    programs = {
        "replaygen": os.path.join(args.build_dir, "replaygen"),
        "naive baseline": os.path.join(args.build_dir, "bench", "naive_baseline"),
    }
    with tempfile.TemporaryDirectory() as work:
        workload = os.path.join(work, "requests.txt")
        write_workload(workload)
        size = os.path.getsize(workload)
        print(f"workload: {REQUESTS:,} requests, {size / 1e6:.1f} MB; {args.runs} runs each, in turns")

        outputs = {name: os.path.join(work, f"script{i}.py") for i, name in enumerate(programs)}
        for name, program in programs.items():
            run_once(program, workload, outputs[name])
        if not filecmp.cmp(*outputs.values(), shallow=False):
            raise SystemExit("FAILED: replaygen and the naive baseline wrote different scripts")
        print(f"check: both wrote the same script, {os.path.getsize(outputs['replaygen']) / 1e6:.1f} MB")

        # Timed runs write to /dev/null, so that the disk does not blur the figures.
        results = {name: [] for name in programs}
        for _ in range(args.runs):
            for name, program in programs.items():
                results[name].append(run_once(program, workload))

        medians = {}
        for name, runs in results.items():
            medians[name] = statistics.median(seconds for seconds, _ in runs)
            peak = max(kib for _, kib in runs)
            print(f"{name:15} median {medians[name]:.3f} s  {size / 1e6 / medians[name]:7.1f} MB/s"
                  f"  peak resident {peak / 1024:.1f} MiB")
        print(f"ratio: replaygen is {medians['naive baseline'] / medians['replaygen']:.1f}x the baseline's throughput")


main()
