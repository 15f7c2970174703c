"""Times replaygen against the naive baseline on 2,000,000 realistic requests.

Usage: python3 bench/run_benchmark.py [BUILD-DIR] [--runs N]   (7 runs by default)
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


def run_timed(program, workload):
    """Returns the wall time and the CPU time, in seconds, of one run, writing
    to /dev/null so that the disk does not blur the figures."""
    with open(workload, "rb") as stdin:
        start = time.perf_counter()
        process = subprocess.Popen([program], stdin=stdin, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise SystemExit(f"FAILED: {program} exited with {os.waitstatus_to_exitcode(status)}")
    return wall, usage.ru_utime + usage.ru_stime


def peak_memory_kib(program, workload, output):
    """Runs the program once under GNU time, writing its script to `output`;
    returns its peak resident memory in KiB."""
    with tempfile.NamedTemporaryFile(mode="r") as peak, open(workload, "rb") as stdin, \
            open(output, "wb") as stdout:
        subprocess.run([TIME, "-f", "%M", "-o", peak.name, program], stdin=stdin, stdout=stdout, check=True)
        return int(peak.read())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir", nargs="?", default="build")
    parser.add_argument("--runs", type=int, default=7)
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
        peaks = {name: peak_memory_kib(program, workload, outputs[name]) for name, program in programs.items()}
        if not filecmp.cmp(*outputs.values(), shallow=False):
            raise SystemExit("FAILED: replaygen and the naive baseline wrote different scripts")
        print(f"check: both wrote the same script, {os.path.getsize(outputs['replaygen']) / 1e6:.1f} MB")

        times = {name: [] for name in programs}
        for _ in range(args.runs):
            for name, program in programs.items():
                times[name].append(run_timed(program, workload))
        medians = {name: statistics.median(wall for wall, _ in runs) for name, runs in times.items()}
        for name, runs in times.items():
            cpu = statistics.median(cpu for _, cpu in runs)
            print(f"{name:15} median {medians[name]:.3f} s  {size / 1e6 / medians[name]:7.1f} MB/s"
                  f"  (CPU {cpu:.3f} s)  peak resident {peaks[name] / 1024:.1f} MiB")
        print(f"ratio: replaygen is {medians['naive baseline'] / medians['replaygen']:.1f}x the baseline's throughput")


main()
