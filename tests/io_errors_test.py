"""A failed write or read is reported and ends with status 1; a good run says
nothing on standard error and ends with status 0."""
import os
import subprocess

from replaygen_testlib import check, replaygen_path

BIG_INPUT = b"[0.5]id=1;op=2\n" * 100_000
DISK_FULL = (1, b"replaygen: write error: No space left on device\n")
CLOSED = None  # standard output closed before the program starts


def outcome(replaygen, source, target):
    """Runs replaygen with `source` (bytes, or a path) as input and `target`
    (a path, or CLOSED) as output; returns its exit status and standard error."""
    from_file = isinstance(source, str)
    stdin = os.open(source, os.O_RDONLY) if from_file else subprocess.PIPE
    stdout = subprocess.DEVNULL if target is CLOSED else os.open(target, os.O_WRONLY)
    close_stdout = (lambda: os.close(1)) if target is CLOSED else None
    with subprocess.Popen([replaygen], stdin=stdin, stdout=stdout, stderr=subprocess.PIPE,
                          preexec_fn=close_stdout) as process:
        _, error = process.communicate(None if from_file else source)
    for fd in (stdin, stdout):
        if fd not in (subprocess.PIPE, subprocess.DEVNULL):
            os.close(fd)
    return process.returncode, error


def main():
    replaygen = replaygen_path()
    cases = [
        ("disk full", BIG_INPUT, "/dev/full", DISK_FULL),
        ("disk full at the last flush", b"", "/dev/full", DISK_FULL),
        ("input is a directory", "/", "/dev/null", (1, b"replaygen: read error: Is a directory\n")),
        ("output closed", BIG_INPUT, CLOSED, (1, b"replaygen: write error: Bad file descriptor\n")),
        ("normal run", BIG_INPUT, "/dev/null", (0, b"")),
    ]
    for what, source, target, expected in cases:
        got = outcome(replaygen, source, target)
        check(got == expected, f"{what}: got {got}")
    print("io_errors: all checks passed")


main()
