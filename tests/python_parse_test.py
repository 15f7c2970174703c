"""Scripts checked by Python's own parser: every request list gives a script
that parses, sends each payload exactly and never waits a negative time, and
well-formed lists give exactly the script built here from Python's floats."""
import math
import random

from replaygen_testlib import EPILOGUE, PROLOGUE, check, payloads, replaygen_path, run, script_calls

ALPHABET = b"[[]]..0123456789-ab\"\\\0\x01\x1f\x7f\x80\xff  \t\r\n\v\f"


def random_request_list(rng):
    # Long plain runs, so that payloads copied in runs meet specials anywhere.
    plain_run = bytes(rng.choice(b"abc=;") for _ in range(rng.randrange(60)))
    words = [b"[0]" + plain_run + bytes([rng.choice(ALPHABET)]) + plain_run]
    for _ in range(rng.randrange(0, 60)):
        if rng.random() < 0.5:
            words.append(b"[%d.%d]" % (rng.randrange(100), rng.randrange(100)))
        words.append(bytes(rng.choice(ALPHABET) for _ in range(rng.randrange(40))))
    return b"".join(words)


def check_random_lists(replaygen, rng):
    for _ in range(300):
        data = random_request_list(rng)
        first, second = run(replaygen, data), run(replaygen, data)
        check(first.returncode == 0 and first.stderr == b"", f"run failed on {data!r}")
        check(first.stdout == second.stdout, f"two runs differ on {data!r}")
        calls = script_calls(first.stdout)
        sent = [argument for name, argument in calls if name == "write"]
        check(sent == [payload + b"\n" for payload in payloads(data)], f"payloads differ on {data!r}")
        waits = [argument for name, argument in calls if name == "sleep"]
        check(all(math.isfinite(w) and w >= 0 for w in waits), f"bad wait in {waits} on {data!r}")


def long_time(rng):
    """16 to 25 digits, or 23 to 330 decimals: beyond exact double arithmetic."""
    if rng.random() < 0.5:
        return "%d." % rng.randrange(10**25) + "".join(rng.choices("0123456789", k=rng.randrange(23, 331)))
    digits, point = str(rng.randrange(10**15, 10**25)), rng.randrange(27)
    return digits[:point] + "." + digits[point:]


def program_time(text):
    """Digit arithmetic in doubles over the correctly rounded power of ten, or the true
    value (float()) where that arithmetic is exact or leaves the range of doubles."""
    whole, _, fraction = text.partition(".")
    value = 0.0
    for digit in whole + fraction:
        value = value * 10.0 + ord(digit) - 48.0
    if len(whole + fraction) <= 15 and len(fraction) <= 22 or not math.isfinite(value) or len(fraction) > 308:
        return float(text)
    return value / float("1e%d" % len(fraction))


def expected_script(requests):
    lines, previous = [], None
    for text, payload in requests:
        time = program_time(text)
        if previous is not None:
            lines.append("time.sleep(%.1f)\n" % max(0.0, time - previous))
        lines.append('output1.stdin.write(b"%s\\n")\noutput1.stdin.flush()\n' % payload)
        previous = time
    return PROLOGUE + "".join(lines).encode() + EPILOGUE


def check_well_formed_lists(replaygen, rng):
    for _ in range(100):
        requests, time = [], 0.0
        for _ in range(rng.randrange(1, 80)):
            time = time + rng.choice([0, 0.05, 0.25, 0.75, 1.3, -0.4, rng.uniform(0, 90)])
            text = "%.*f" % (rng.randrange(4), max(time, 0.0)) if rng.random() < 0.9 else long_time(rng)
            requests.append((text, "id=%d;op=%d" % (rng.randrange(10**6), rng.randrange(9))))
        data = "\n".join("[%s]%s" % request for request in requests).encode()
        result = run(replaygen, data)
        check(result.stdout == expected_script(requests), f"script differs for {data!r}")


def main():
    replaygen = replaygen_path()
    rng = random.Random(20261208)
    check_random_lists(replaygen, rng)
    check_well_formed_lists(replaygen, rng)
    print("python_parse: all checks passed")


main()
