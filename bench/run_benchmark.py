"""Times replaygen against the naive baseline on three generated workloads.

Usage: python3 bench/run_benchmark.py [BUILD-DIR] [--runs N]   (5 runs by default)
Needs GNU time (/usr/bin/time) for peak resident memory, and valgrind for
the instruction count, which it skips without.
"""
import argparse
import filecmp
import os
import random
import shutil
import statistics
import subprocess
import tempfile
import time

TIME = "/usr/bin/time"
COUNTED_REQUESTS = 200_000
ESCAPE_ALPHABET = ["a", "b", '"', "\\", "\x01", "é", "x", "y", "z", "=", ";"]


def usual_payload(rng):
    return "id=%d;op=%d;arg=%d" % (rng.randrange(1000), rng.randrange(10), rng.randrange(100))


def usual_requests(rng):
    """Times rising by 0 to 1.3 s with one decimal; payloads like id=123;op=4;arg=17."""
    tenths = 0
    while True:
        tenths += rng.randrange(14)
        yield "[%d.%d]%s\n" % (tenths // 10, tenths % 10, usual_payload(rng))


def decimal_requests(rng):
    """Times with two or three decimals, rising by 0 to 1.35 s."""
    thousandths = 0
    while True:
        thousandths += rng.choice([0, 50, 125, 250, 500, 1000, 1350])
        whole, rest = divmod(thousandths, 1000)
        time_text = "%d.%02d" % (whole, rest // 10) if rest % 10 == 0 else "%d.%03d" % (whole, rest)
        yield "[%s]%s\n" % (time_text, usual_payload(rng))


def escape_requests(rng):
    """One-decimal times; payloads of 5 to 30 characters, many of them escaped."""
    tenths = 0
    while True:
        tenths += rng.randrange(14)
        payload = "".join(rng.choice(ESCAPE_ALPHABET) for _ in range(rng.randrange(5, 31)))
        yield "[%d.%d]%s\n" % (tenths // 10, tenths % 10, payload)


WORKLOADS = [  # name, requests, generator, seed
    ("usual", 2_000_000, usual_requests, 4),
    ("two/three decimals", 2_000_000, decimal_requests, 5),
    ("escapes", 1_000_000, escape_requests, 6),
]


def write_workload(path, count, generator, seed):
    requests = generator(random.Random(seed))
    with open(path, "w", encoding="utf-8", newline="\n") as file:
        for _ in range(count // 1000):
            file.write("".join(next(requests) for _ in range(1000)))


def run_timed(program, workload):
    """Returns the wall time, in seconds, of one run, writing to /dev/null so
    that the disk does not blur the figures."""
    with open(workload, "rb") as stdin:
        start = time.perf_counter()
        process = subprocess.Popen([program], stdin=stdin, stdout=subprocess.DEVNULL)
        _, status, _ = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise SystemExit(f"FAILED: {program} exited with {os.waitstatus_to_exitcode(status)}")
    return wall


def peak_memory_mib(program, workload, output):
    """Runs the program once under GNU time, writing its script to `output`;
    returns its peak resident memory in MiB."""
    with tempfile.NamedTemporaryFile(mode="r") as peak, open(workload, "rb") as stdin, \
            open(output, "wb") as stdout:
        subprocess.run([TIME, "-f", "%M", "-o", peak.name, program], stdin=stdin, stdout=stdout, check=True)
        return int(peak.read()) / 1024


def bench_workload(name, workload, programs, runs, work):
    size = os.path.getsize(workload)
    outputs = {who: os.path.join(work, f"script-{i}.py") for i, who in enumerate(programs)}
    peaks = {who: peak_memory_mib(program, workload, outputs[who]) for who, program in programs.items()}
    if not filecmp.cmp(*outputs.values(), shallow=False):
        raise SystemExit(f"FAILED: replaygen and the naive baseline wrote different scripts for {name}")
    times = {who: [] for who in programs}
    for _ in range(runs):
        for who, program in programs.items():
            times[who].append(run_timed(program, workload))
    medians = {who: statistics.median(walls) for who, walls in times.items()}
    print(f"{name}: {size / 1e6:.1f} MB in, {os.path.getsize(outputs['replaygen']) / 1e6:.1f} MB out,"
          " the same script from both")
    for who in programs:
        print(f"  {who:15} median {medians[who]:.3f} s  {size / 1e6 / medians[who]:7.1f} MB/s"
              f"  peak resident {peaks[who]:.1f} MiB")
    print(f"  ratio: {medians['naive baseline'] / medians['replaygen']:.1f}x")


def instructions_per_request(replaygen, work):
    if shutil.which("valgrind") is None:
        print("instructions: skipped, valgrind is not installed (apt-get install valgrind)")
        return
    workload, counts = os.path.join(work, "counted.txt"), os.path.join(work, "callgrind.out")
    print(f"instructions per request on the first {COUNTED_REQUESTS:,} requests of each workload"
          " (valgrind --tool=callgrind):")
    for name, _, generator, seed in WORKLOADS:
        write_workload(workload, COUNTED_REQUESTS, generator, seed)
        with open(workload, "rb") as stdin:
            subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={counts}", replaygen],
                           stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        with open(counts) as file:
            total = next(int(line.split()[1]) for line in file if line.startswith("summary:"))
        print(f"  {name:20} {total / COUNTED_REQUESTS:.0f}")


def single_long_request(replaygen, work):
    workload = os.path.join(work, "long.txt")
    with open(workload, "wb") as file:
        file.write(b"[1.5]")
        for _ in range(256):
            file.write(b"x" * (1 << 20))
    peak = peak_memory_mib(replaygen, workload, os.devnull)
    print(f"single 256 MiB request: peak resident {peak:.1f} MiB")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir", nargs="?", default="build")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    programs = {
        "replaygen": os.path.join(args.build_dir, "replaygen"),
        "naive baseline": os.path.join(args.build_dir, "bench", "naive_baseline"),
    }
    print(f"medians of {args.runs} runs each, the two programs in turns")
    with tempfile.TemporaryDirectory() as work:
        workload = os.path.join(work, "requests.txt")
        for name, count, generator, seed in WORKLOADS:
            write_workload(workload, count, generator, seed)
            bench_workload(f"{name} ({count:,} requests)", workload, programs, args.runs, work)
        instructions_per_request(programs["replaygen"], work)
        single_long_request(programs["replaygen"], work)


main()
