"""A 256 MiB payload and times written with 64 MiB of digits come out whole,
while the program's resident memory stays small."""
import os
import subprocess
import sys
import tempfile
import threading

from replaygen_testlib import EPILOGUE, PROLOGUE, SKIP, check, replaygen_command, send

MiB = 1 << 20
MEMORY_LIMIT_KIB = 4 * 1024
TIME = "/usr/bin/time"
X_MiB = b"x" * MiB


def write_input(stream):
    """A 256 MiB payload; then a time that overflows a double's digit
    arithmetic, and a small time behind 64 MiB of leading zeros."""
    stream.write(b"[0]")
    for _ in range(256):
        stream.write(X_MiB)
    stream.write(b"\n[1.5" + b"0" * (64 * MiB) + b"]b\n[" + b"0" * (64 * MiB) + b"3.25]c\n")
    stream.close()


def read_exactly(stream, size):
    data = stream.read(size)
    check(data is not None and len(data) == size, "the script ended early")
    return data


def main():
    replaygen = replaygen_command()
    # GNU time measures the program alone: a child forked from this test
    # would count the test's own memory as its peak.
    if not os.access(TIME, os.X_OK):
        print(f"SKIPPED: {TIME} (Debian's package time) is needed to measure memory")
        sys.exit(SKIP)
    peak_file = tempfile.NamedTemporaryFile(mode="r")
    process = subprocess.Popen([TIME, "-f", "%M", "-o", peak_file.name, *replaygen],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    writer = threading.Thread(target=write_input, args=(process.stdin,))
    writer.start()
    head = PROLOGUE + b'output1.stdin.write(b"'
    check(read_exactly(process.stdout, len(head)) == head, "the script starts wrong")
    for _ in range(256):
        check(read_exactly(process.stdout, MiB) == X_MiB, "the long payload is altered")
    rest = b'\\n")\noutput1.stdin.flush()\n' + b"time.sleep(1.5)\n" + send(b"b") + b"time.sleep(1.8)\n" + send(b"c") + EPILOGUE
    check(process.stdout.read() == rest, "the script ends wrong")
    writer.join()
    check(process.wait() == 0, "replaygen failed")
    peak = int(peak_file.read())
    # A sanitizer's shadow memory, or an emulator's own, says nothing about the program's needs.
    if len(replaygen) == 1 and not os.environ.get("REPLAYGEN_SANITIZED"):
        check(peak < MEMORY_LIMIT_KIB, f"peak resident memory {peak} KiB")
    print(f"long_requests: all checks passed, peak resident memory {peak} KiB")


main()
