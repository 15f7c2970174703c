"""Scripts checked by Python's own parser and an independent model of the time rules:
every request list gives a script that parses, sends each payload exactly and waits the
model's times exactly, and well-formed lists and all text bytes give the script expected."""
import math
import os
import random
import sys

from replaygen_testlib import EPILOGUE, PROLOGUE, TEXT_BYTES, check, replaygen_command, run, script_calls, tokens

ALPHABET = b"[[]]..0123456789-ab\"\\\0\x01\x1f\x7f\x80\xff  \t\r\n\v\f"


def unusual_time(rng):
    """Digits or a mark before a '[', several marks, no ']', quarters (whose differences can be exact
    ties), digit strings around 15, 16 and 23 digits and 308 decimals, and edges of the arithmetic."""
    def digits():
        fill = rng.choice(["0", "0123456789"])
        return str(rng.randrange(100)) + "".join(rng.choices(fill, k=rng.choice([0, 6, 13, 14, 21, 306, 307, 308])))
    number = rng.choice(["%d.%s" % (rng.randrange(10), rng.choice(["25", "75", "5"])), digits(),
                         digits() + rng.choice([".", ",", ".:"]) + digits(), "9007199254740991",
                         "0.15" + "0" * 306, "0" * 800 + "." + "9" * 400])
    before = rng.choice(["", "", digits(), "x", digits() + "." + digits()])
    return (before + "[" + number + rng.choice(["]", "]", ""])).encode()


def random_request_list(rng):
    # Long plain runs, so that payloads copied in runs meet specials anywhere.
    plain_run = bytes(rng.choice(b"abc=;") for _ in range(rng.randrange(60)))
    words = [b"[0]" + plain_run + bytes([rng.choice(ALPHABET)]) + plain_run]
    for _ in range(rng.randrange(0, 60)):
        if rng.random() < 0.5:
            words.append(rng.choice([b"[%d.%d]" % (rng.randrange(100), rng.randrange(100)), unusual_time(rng)]))
        words.append(bytes(rng.choice(ALPHABET) for _ in range(rng.randrange(40))))
    return b"".join(words)


def model_time(token):
    """The time by the rules alone: a '[' resets the value alone, the digit arithmetic on doubles
    over the power of ten, or the digits' true value (at most the largest double) out of range."""
    value, digits, decimals, mark = 0.0, "0", 0, False
    for byte in token.partition(b"]")[0]:
        if byte == ord("["):
            value, digits = 0.0, "0"
        elif 48 <= byte <= 57:
            value, digits, decimals = value * 10.0 + byte - 48.0, digits + chr(byte), decimals + mark
        else:
            mark = True
    if math.isfinite(value) and decimals <= 308:
        return value / float("1e%d" % decimals)
    return min(float("%se-%d" % (digits, decimals)), sys.float_info.max)


def model_waits(times):
    """Differences of doubles, a negative one as 0.0, rounded on their exact value, ties to even."""
    return [b"%.1f" % max(0.0, now - previous) for previous, now in zip(times, times[1:])]


def check_random_lists(replaygen, rng):
    for _ in range(300):
        data = random_request_list(rng)
        first, second = run(replaygen, data), run(replaygen, data)
        check(first.returncode == 0 and first.stderr == b"", f"run failed on {data!r}")
        check(first.stdout == second.stdout, f"two runs differ on {data!r}")
        sent = [argument for name, argument in script_calls(first.stdout) if name == "write"]
        check(sent == [token.partition(b"]")[2] + b"\n" for token in tokens(data)], f"payloads differ on {data!r}")
        waits = [line[11:-1] for line in first.stdout.split(b"\n") if line.startswith(b"time.sleep(")]
        expected = model_waits([model_time(token) for token in tokens(data)])
        check(waits == expected, f"waits {waits} differ from {expected} on {data!r}")


def long_time(rng):
    """16 to 25 digits, or 23 to 330 decimals: beyond exact double arithmetic."""
    if rng.random() < 0.5:
        return "%d." % rng.randrange(10**25) + "".join(rng.choices("0123456789", k=rng.randrange(23, 331)))
    digits, point = str(rng.randrange(10**15, 10**25)), rng.randrange(27)
    return digits[:point] + "." + digits[point:]


def expected_script(requests):
    times = [model_time(b"[%s]" % text.encode()) for text, _ in requests]
    waits = [b"time.sleep(%s)\n" % wait for wait in model_waits(times)] + [b""]
    sends = [b'output1.stdin.write(b"%s\\n")\noutput1.stdin.flush()\n' % payload.encode() for _, payload in requests]
    return PROLOGUE + b"".join(send + wait for send, wait in zip(sends, waits)) + EPILOGUE


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


def check_literal_forms(replaygen):
    send_line = open(os.path.join(os.path.dirname(__file__), "literal_forms.txt"), "rb").read()
    check(run(replaygen, b"[0]" + TEXT_BYTES).stdout.splitlines(True)[5] == send_line, "a literal form changed")


def main():
    replaygen = replaygen_command()
    rng = random.Random(20261208)
    check_random_lists(replaygen, rng)
    check_well_formed_lists(replaygen, rng)
    check_literal_forms(replaygen)
    print("python_parse: all checks passed")


main()
