"""How each run ends: a failed write, read or close is reported with status 1, UTF-16
input is refused before anything is written, a closed output pipe ends the program by
SIGPIPE as it ends any filter (unless SIGPIPE is ignored), one end of file typed at a
terminal ends the input, and a good run says nothing on standard error."""
import os
import pty
import signal
import subprocess

from replaygen_testlib import EPILOGUE, PROLOGUE, check, replaygen_command, send

BIG_INPUT = b"[0.5]id=1;op=2\n" * 100_000
DISK_FULL = (1, b"replaygen: write error: No space left on device\n", None)
UTF16 = (1, b"replaygen: input error: the input is UTF-16 text; save it as UTF-8 or ASCII\n", b"")
CLOSED = "closed"  # standard output closed before the program starts
BROKEN_PIPE = "broken pipe"  # a pipe whose reader has gone
IGNORED_BROKEN_PIPE = "broken pipe, SIGPIPE ignored"
CLOSE_FAILS = "close fails"  # /dev/null, but fclose fails by a library preloaded, before the sanitizers'
CAPTURED = "captured"


def output_fd(target):
    if target in (BROKEN_PIPE, IGNORED_BROKEN_PIPE):
        reader, writer = os.pipe()
        os.close(reader)
        return writer
    if target == CLOSED:
        return subprocess.DEVNULL
    if target == CAPTURED:
        return subprocess.PIPE
    return os.open(os.devnull if target == CLOSE_FAILS else target, os.O_WRONLY)


def outcome(replaygen, source, target):
    """Runs replaygen with `source` (bytes, or a path) as input and `target`
    (a path, CLOSED, BROKEN_PIPE or CAPTURED) as output; returns its exit
    status (minus the signal that ended it), standard error and, if CAPTURED,
    standard output."""
    from_file = isinstance(source, str)
    stdin = os.open(source, os.O_RDONLY) if from_file else subprocess.PIPE
    stdout = output_fd(target)
    close_stdout = (lambda: os.close(1)) if target == CLOSED else None
    env = None if target != CLOSE_FAILS else dict(
        os.environ, LD_PRELOAD=os.environ["REPLAYGEN_FAILING_FCLOSE"], ASAN_OPTIONS="verify_asan_link_order=0")
    with subprocess.Popen(replaygen, stdin=stdin, stdout=stdout, stderr=subprocess.PIPE, preexec_fn=close_stdout,
                          env=env, restore_signals=target != IGNORED_BROKEN_PIPE) as process:
        output, error = process.communicate(None if from_file else source)
    for fd in (stdin, stdout):
        if fd not in (subprocess.PIPE, subprocess.DEVNULL):
            os.close(fd)
    return process.returncode, error, output


def check_one_end_of_file_at_a_terminal(replaygen):
    controller, terminal = pty.openpty()
    with subprocess.Popen(replaygen, stdin=terminal, stdout=subprocess.PIPE) as process:
        os.close(terminal)
        os.write(controller, b"[1]a\n\x04")  # Ctrl-D at the start of a line
        try:
            output, _ = process.communicate(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            check(False, "one end of file at a terminal did not end the input")
    os.close(controller)
    check((process.returncode, output) == (0, PROLOGUE + send(b"a") + EPILOGUE),
          f"at a terminal: got {process.returncode}, {output!r}")


def main():
    replaygen = replaygen_command()
    cases = [
        ("disk full", BIG_INPUT, "/dev/full", DISK_FULL),
        ("disk full at the last flush", b"", "/dev/full", DISK_FULL),
        ("input is a directory", "/", "/dev/null", (1, b"replaygen: read error: Is a directory\n", None)),
        ("output closed", BIG_INPUT, CLOSED, (1, b"replaygen: write error: Bad file descriptor\n", None)),
        ("output pipe closed", BIG_INPUT, BROKEN_PIPE, (-signal.SIGPIPE, b"", None)),
        ("SIGPIPE ignored", BIG_INPUT, IGNORED_BROKEN_PIPE, (1, b"replaygen: write error: Broken pipe\n", None)),
        ("UTF-16 LE", "[1]a".encode("utf-16"), CAPTURED, UTF16),
        ("UTF-16 BE", b"\xfe\xff" + "[1]a".encode("utf-16-be"), CAPTURED, UTF16),
        ("normal run", BIG_INPUT, "/dev/null", (0, b"", None)),
    ]
    if "REPLAYGEN_FAILING_FCLOSE" in os.environ:
        cases.append(("close fails", b"[1]a", CLOSE_FAILS, (1, b"replaygen: write error: Input/output error\n", None)))
    else:
        print("not tried: a failed close, which needs a program that loads the C library, as the dynamic one does natively on Linux")
    for what, source, target, expected in cases:
        got = outcome(replaygen, source, target)
        check(got == expected, f"{what}: got {got}")
    check_one_end_of_file_at_a_terminal(replaygen)
    print("io_errors: all checks passed")


main()
