"""Scripts run for real: Python runs each one, and the java it starts runs a
small echo program, so the test sees what the program under test receives."""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

from replaygen_testlib import SKIP, TEXT_BYTES, check, replaygen_command, run

HERE = os.path.dirname(os.path.abspath(__file__))


def build_echo_jar(work):
    tools = {name: shutil.which(name) for name in ("java", "javac", "jar")}
    missing = [name for name, path in tools.items() if path is None]
    if missing:
        print(f"SKIPPED: no {', '.join(missing)} on PATH")
        sys.exit(SKIP)
    classes = os.path.join(work, "classes")
    subprocess.run([tools["javac"], "-d", classes, os.path.join(HERE, "ReplayEcho.java")], check=True)
    jar = os.path.join(work, "echo.jar")
    subprocess.run([tools["jar"], "cfe", jar, "ReplayEcho", "-C", classes, "."], check=True)
    # The script runs "java -jar <its own jar path>" through the shell; this
    # java, first on PATH, runs the echo program instead.
    bin_dir = os.path.join(work, "bin")
    os.mkdir(bin_dir)
    with open(os.path.join(bin_dir, "java"), "w") as wrapper:
        wrapper.write(f'#!/bin/sh\nexec "{tools["java"]}" -jar "{jar}"\n')
    os.chmod(os.path.join(bin_dir, "java"), 0o755)
    return bin_dir


def replay(replaygen, bin_dir, requests):
    """Runs the script for `requests` and returns the (milliseconds, line)
    pairs that the echo program received."""
    script = run(replaygen, requests).stdout
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "replay.py"), "wb") as file:
            file.write(script)
        env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"])
        subprocess.run([sys.executable, "replay.py"], cwd=folder, env=env, check=True, timeout=120)
        # The script does not wait for java; its output file tells when it is done.
        output = os.path.join(folder, "output.txt")
        deadline = time.monotonic() + 60
        while not open(output, "rb").read().endswith(b"end\n"):
            check(time.monotonic() < deadline, "the echo program did not finish")
            time.sleep(0.05)
        lines = open(output).read().split("\n")[:-2]
    return [(int(ms), bytes.fromhex(hex_line)) for ms, hex_line in (line.split(" ") for line in lines)]


def check_every_byte_arrives(replaygen, bin_dir):
    rng = random.Random(1208)
    payloads = [bytes(rng.choice(TEXT_BYTES) for _ in range(rng.randrange(1, 40))) for _ in range(3000)]
    received = replay(replaygen, bin_dir, b"\n".join(b"[0]" + p for p in payloads))
    check([line for _, line in received] == payloads, "payloads arrived altered or out of order")


def check_out_of_order_times(replaygen, bin_dir):
    received = replay(replaygen, bin_dir, b"[0.5]a [0.1]b [0.3]c [0]d [0.2]e")
    check([line for _, line in received] == [b"a", b"b", b"c", b"d", b"e"], "requests were lost")


def check_waits_are_kept(replaygen, bin_dir):
    # The first request waits for the JVM to start; the arrivals after it are timed.
    received = replay(replaygen, bin_dir, b"[0]start [2.0]a [2.5]b [3.0]c [3.5]d")
    # Each arrival less the waits before it is when the first was sent, plus the delays of load, the
    # sends and the sleeps; a wait that is missing or doubled moves the later arrivals by 500 ms.
    sent = [ms - waits for (ms, _), waits in zip(received[1:], (0, 500, 1000, 1500))]
    check(max(sent) - min(sent) < 250, f"arrivals at {[ms for ms, _ in received]} ms, not 500 ms apart")


def main():
    replaygen = replaygen_command()
    with tempfile.TemporaryDirectory() as work:
        bin_dir = build_echo_jar(work)
        check_every_byte_arrives(replaygen, bin_dir)
        check_out_of_order_times(replaygen, bin_dir)
        check_waits_are_kept(replaygen, bin_dir)
    print("replay: all checks passed")


main()
