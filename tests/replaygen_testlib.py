"""Helpers shared by the tests that run the built replaygen."""
import ast
import re
import subprocess
import sys

PROLOGUE = (
    b"import subprocess\nimport time\nimport threading\n"
    b'ff = open("output.txt","w")\n'
    b'output1 = subprocess.Popen("java -jar G:\\compus\\OO\\quillmarsh\\quillmarsh.jar",'
    b"stdin = subprocess.PIPE,stdout = ff,shell=True)\n"
)
EPILOGUE = b"output1.stdin.close()\nff.close()\n"
SKIP = 77  # the exit status that CTest takes for a skipped test
# Every byte a request's text can hold: all but the NUL and whitespace, which end it.
TEXT_BYTES = bytes(b for b in range(1, 256) if b not in b" \t\n\v\f\r")


def send(payload_literal):
    """The lines that send a payload, written as it stands in the script."""
    return b'output1.stdin.write(b"' + payload_literal + b'\\n")\noutput1.stdin.flush()\n'


def replaygen_command():
    if len(sys.argv) < 2:
        sys.exit(f"usage: {sys.argv[0]} [EMULATOR...] PATH-TO-REPLAYGEN")
    return sys.argv[1:]


def run(replaygen, data, **options):
    return subprocess.run(replaygen, input=data, capture_output=True, check=False, **options)


def tokens(data):
    """The request tokens: each word of input up to a NUL, which ends the token; what a
    token sends is its bytes after the first ']'."""
    return [word.split(b"\0")[0] for word in re.split(rb"[ \t\n\v\f\r]+", data) if word]


def script_calls(script):
    """The (name, first argument) of each call that stands as a statement in
    the script, in order, as Python itself parses it."""
    calls = []
    for statement in ast.parse(script).body:
        call = getattr(statement, "value", None)
        if isinstance(statement, ast.Expr) and isinstance(call, ast.Call):
            argument = call.args[0].value if call.args else None
            calls.append((call.func.attr, argument))
    return calls


def check(condition, message):
    if not condition:
        sys.exit(f"FAILED: {message}")
