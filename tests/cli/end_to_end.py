#!/usr/bin/env python3
"""Runs the built corvane binary on good and bad input, in every output format,
and checks stdout, stderr and the exit status.

Usage: end_to_end.py PATH/TO/corvane PROJECT_VERSION [RUNNER...]

RUNNER: a cross build's program runner (qemu-user, or the target's loader),
which every run of the binary goes through.

Independent references: FNV-1a and float bit patterns are computed here with
Python's struct module, JSON and CSV are read back with Python's parsers, and
the SVG must parse as XML.
"""
import csv
import io
import json
import math
import os
import select
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

CORVANE = sys.argv[3:] + [os.path.abspath(sys.argv[1])]  # the command that runs the tool
VERSION = sys.argv[2]
FAILURES = []


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print("FAIL:", what, file=sys.stderr)


def run(args, stdin=b"", timeout=120):
    proc = subprocess.run(CORVANE + args, input=stdin, capture_output=True, timeout=timeout)
    return proc.returncode, proc.stdout, proc.stderr


def lines(data):
    return data.decode("utf-8").splitlines()


def fnv1a(words):
    h = 0xcbf29ce484222325
    for w in words:
        for b in struct.pack("<I", w):
            h ^= b
            h = (h * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
    return "0x%016x" % h


def f32_bits(x):
    return struct.unpack("<I", struct.pack("<f", x))[0]


# ---------------------------------------------------------------------------
# A matrix of input lines per streaming subcommand: (line, good?). Each list
# mixes good lines with bad ones; bad lines must be reported in place and must
# not stop the lines after them.

MEGABYTE_LINE = b"1" * (1024 * 1024)
POSITION_LINES = [
    (b"0xDA550000 84 108 0", True),
    (b"3663003648,84,108,0", True),
    (b"0xDA550000, 84, 108, 0  # with a comment", True),
    (b"0x00000100\t0\t0\t0", True),
    (b"0xDA550000 nan 108 inf", True),  # the library handles non-finite offsets
    (b"0xDA550000 84 108 0\r", True),  # CRLF line ending
    (b"0 0 0 0", True),
    (b"0x100000000 0 0 0", False),  # id above 0xFFFFFFFF
    (b"4294967296 0 0 0", False),
    (b"-1 0 0 0", False),
    (b"abc 0 0 0", False),
    (b"0xDA550000 84 108", False),  # too few fields
    (b"0xDA550000 84 108 0 5", False),  # too many fields
    (b"0xDA550000 1e39 0 0", False),  # out of float range
    (b"0xDA550000 84,,108 0", False),  # empty field
    (b"0xDA550000 84 108 0\xff", False),  # not UTF-8
    (b"0xDA550000 \xc0\x80 108 0", False),  # overlong UTF-8
    (b"0xDA550000 84\x00 108 0", False),  # NUL
    (MEGABYTE_LINE, False),  # a line of a megabyte
    (b"0xDA550000 84 108 0x", False),
    (b"0xDA550000 84 108 --1", False),
    (b"\x1b[31m 1 2 3", False),  # control characters
    (b"0xDA550000 84 108 0", True),  # still processed after all that
]

STREAMING = {
    "coords": (["coords"], POSITION_LINES),
    "coords-p3": (["coords", "-p", "3"], POSITION_LINES),
    "inspect": (["inspect"], POSITION_LINES),
    "rebucket": (["rebucket"], POSITION_LINES),
    "normalize": (["normalize"], POSITION_LINES),
    "measure": (["measure"], [
        (b"0xDA55001C 84 84 0 0xDA55001D 84 100 0", True),
        (b"0 10 10 0 0x01000000 10 10 0", True),
        (b"0 10 10 0 0x01000000 10 10", False),
        (b"0 10 10 0 0x1FFFFFFFF 10 10 0", False),
        (b"0 nan 10 0 0 10 10 0", True),
        (MEGABYTE_LINE, False),
        (b"\xfe", False),
        (b"1 1 1 1 1 1 1 1", True),
    ]),
    "enum": (["enum", "SpellCategory", "-"], [
        (b"519", True),
        (b"0x0207", True),
        (b"None", True),
        (b"734", False),  # past the last member
        (b"65536", False),  # wider than 16 bits
        (b"StrenghtRaising", False),
        (b"1 2", False),
        (b"-5", False),
        (b"\xff", False),
        (b"1", True),
    ]),
    "flags": (["flags", "CoverageMask", "-"], [
        (b"0x1C00", True),
        (b"CHEST HEAD HANDS", True),
        (b"CHEST|HEAD, 0x1", True),
        (b"0", True),
        (b"CHST", False),
        (b"0x100000000", False),
        (b"CHEST||HEAD", False),
        (b"\x00", False),
        (b"129", True),
    ]),
    "locate": (["locate"], [
        (b"33.5S, 72.7E, 0.0Z", True),
        (b"42n 33e", True),
        (b"33.55S,72.75E,-5.0Z  # market", True),
        (b"Indoors [01AD]", False),  # a cell, but no landblock
        (b"150N, 0E", False),  # outside the world
        (b"33.5Q, 72.7E", False),
        (b"\xff", False),
        (b"0.0N, 0.0E", True),
    ]),
    "fingerprint": (["fingerprint"], [
        (b"0.7071068 7", True),
        (b"nan inf -inf -0.0 bits:0x7FC00001 u:5 f:5 -1", True),
        (b"1 x", False),
        (b"1e39", False),
        (b"-2147483649", False),
        (MEGABYTE_LINE, False),
        (b"0x12345678 0x9abcdef0", True),
    ]),
}


def check_stream(name, args, matrix, fmt):
    payload = b"# a comment line\n\n" + b"\n".join(line for line, _ in matrix) + b"\n"
    code, out, err = run(args + ["--format", fmt], payload)
    bad_numbers = [i + 3 for i, (_, good) in enumerate(matrix) if not good]
    n_good = sum(1 for _, good in matrix if good)
    label = "%s --format %s" % (name, fmt)
    check(code == (1 if bad_numbers else 0), "%s: exit status %d" % (label, code))
    try:
        text = out.decode("utf-8")
    except UnicodeDecodeError:
        check(False, "%s: stdout is not UTF-8" % label)
        return
    reported = []
    for line in lines(err):
        check(line.startswith("corvane: line "), "%s: stderr line %r" % (label, line))
        reported.append(int(line.split()[2].rstrip(":")))
        check(len(line) < 400, "%s: stderr line too long (%d)" % (label, len(line)))
    check(reported == bad_numbers, "%s: reported lines %s, want %s" % (label, reported, bad_numbers))

    if fmt == "text":
        out_lines = text.splitlines()
        if name == "inspect":
            # Several lines per record: count the records by their first line.
            records = [l for l in out_lines if l.startswith("position ") or l.startswith("ERROR: ")]
            check(len(records) == len(matrix), "%s: %d records" % (label, len(records)))
        else:
            # Passthrough of the comment and the blank line, then one line per input.
            check(out_lines[:2] == ["# a comment line", ""], "%s: passthrough %r" % (label, out_lines[:2]))
            body = out_lines[2:]
            if name == "fingerprint" or True:
                check(len(body) == len(matrix), "%s: %d output lines for %d input lines" % (label, len(body), len(matrix)))
            for (line, good), result in zip(matrix, body):
                check(result.startswith("ERROR: ") != good, "%s: %r -> %r" % (label, line[:40], result[:80]))
    elif fmt == "json":
        objects = [json.loads(l) for l in text.splitlines()]
        check(len(objects) == len(matrix), "%s: %d objects" % (label, len(objects)))
        for i, ((line, good), obj) in enumerate(zip(matrix, objects)):
            check(obj["line"] == i + 3, "%s: line number %r" % (label, obj["line"]))
            check("input" in obj, "%s: no input field" % label)
            check(("error" in obj) != good, "%s: %r -> %r" % (label, line[:40], obj))
    else:
        rows = list(csv.reader(io.StringIO(text)))
        header = rows[0]
        check(header[:2] == ["line", "input"] and header[-2:] == ["comment", "error"], "%s: header %r" % (label, header))
        check(len(rows) == len(matrix) + 1, "%s: %d rows" % (label, len(rows)))
        for (line, good), row in zip(matrix, rows[1:]):
            check(len(row) == len(header), "%s: row width %d" % (label, len(row)))
            check((row[-1] != "") != good, "%s: %r -> %r" % (label, line[:40], row))
    del n_good


for name, (args, matrix) in STREAMING.items():
    for fmt in ("text", "json", "csv"):
        check_stream(name, args, matrix, fmt)

# ---------------------------------------------------------------------------
# Known answers, from arguments and from stdin alike.

def out_of(args, stdin=b""):
    code, out, err = run(args, stdin)
    check(code == 0, "%s: exit %d, stderr %r" % (args, code, err))
    return out.decode("utf-8")


check(out_of(["coords", "0xDA550000", "84", "108", "0"]) == "33.5S, 72.7E, 0.0Z\n", "coords text form")
check(out_of(["coords", "0xDA550000", "84", "108", "0"]) == out_of(["coords"], b"0xDA550000 84 108 0\n"),
      "coords: arguments and stdin agree")
check(out_of(["coords", "-p", "2", "0xDA550000", "84", "108", "0", "0x00000100", "0", "0", "0"])
      == "33.55S, 72.75E, 0.0Z\nIndoors [0100]\n", "coords -p 2 with two positions")
check(out_of(["coords", "-p", "0", "0xDA550000", "84", "108", "0"]) == "34S, 73E, 0.0Z\n", "coords -p 0")
check(out_of(["coords", "-E"], b"0xDA550000 84 108 0\n") == "0xDA550000 84 108 0\t33.5S, 72.7E, 0.0Z\n", "coords -E")
check(out_of(["coords", "0x7F7F0000", "96", "96", "-5"]) == "0.0N, 0.0E, -5.0Z\n", "coords at 0, 0")
check(out_of(["rebucket", "0xA9B40019", "-50", "-10", "94"]) == "0xA8B30030 142.0 182.0 94.0\n", "rebucket diagonal")
check(out_of(["normalize", "0x34190039", "0.3076171875", "58.29931640625", "13.145146"]).split()[0] == "0x34190003", "normalize")
check(out_of(["measure", "0", "10", "10", "0", "0x01000000", "10", "10", "0"])
      == "distance 192.0 m, heading 3.1415927 rad (180.0 deg, east), landblock distance none\n", "measure east")
check("rebucketed     0xA8B30030 142.0 182.0 94.0" in out_of(["inspect", "0xA9B40019", "-50", "-10", "94"]), "inspect")
check(out_of(["enum", "PropertyAttribute2nd", "5", "Mana"]) == "5 (0x0005) = MaxMana\nMana = 6 (0x0006)\n", "enum both ways")
check(out_of(["enum", "WieldType"]).split("\n")[0].split() == ["0", "0x00", "Invalid"], "enum listing")
listing = out_of(["enum", "--format", "json"])
vocabularies = {json.loads(l)["vocabulary"]: json.loads(l) for l in listing.splitlines()}
check(vocabularies["SpellCategory"]["members"] == 729 and vocabularies["SpellCategory"]["bits"] == 16, "enum list SpellCategory")
check(vocabularies["WieldType"]["bits"] == 8 and vocabularies["CoverageMask"]["kind"] == "flags", "enum list kinds")
spell_members = list(csv.DictReader(io.StringIO(out_of(["enum", "SpellCategory", "--format", "csv"]))))
check(len(spell_members) == 729, "SpellCategory listing has 729 rows")
check(out_of(["flags", "CoverageMask", "0x1C00"]) == "0x00001C00 = CHEST | ABDOMEN | UPPER_ARMS (Chest, Abdomen, Upper Arms)\n", "flags decode")
check(out_of(["flags", "CoverageMask", "CHEST", "ABDOMEN", "UPPER_ARMS"]) == out_of(["flags", "CoverageMask", "0x1C00"]), "flags build")
check(len(out_of(["flags", "CoverageMask"]).splitlines()) == 15, "flags table")
check(out_of(["fingerprint", "0.7071068", "7"]) == fnv1a([0x3F3504F7, 7]) + "\n", "fingerprint sixdp")
check(out_of(["fingerprint", "--canon", "lossless", "0.7071068", "7"]) == fnv1a([f32_bits(0.7071068), 7]) + "\n", "fingerprint lossless")
check(out_of(["fingerprint", "--canon", "lossless"], b"1.5 -2\n3\n") == fnv1a([f32_bits(1.5), 0xFFFFFFFE]) + "\n" + fnv1a([3]) + "\n",
      "fingerprint per stdin line")
explained = out_of(["fingerprint", "--explain", "--format", "json", "0.7071068"])
check(json.loads(explained)["words"][0]["word"] == "0x3F3504F7", "fingerprint --explain json")

# Negative numbers are values, not options.
check(out_of(["coords", "0xA9B40019", "-50", "-10", "94"]) != "", "negative offsets as arguments")

# ---------------------------------------------------------------------------
# Usage errors: exit 2, nothing on stdout, a hint to --help.

code, out, err = run([])
check(code == 2 and b"Examples:" in out, "bare corvane: the help and status 2 (%d)" % code)

USAGE_ERRORS = [
    ["frobnicate"], ["coords", "--frobnicate"], ["coords", "-p", "61"], ["coords", "-p", "-1"],
    ["coords", "-p", "x"], ["coords", "--format", "xml"], ["enum", "NoSuchVocabulary"],
    ["flags", "SpellCategory", "1"], ["enum", "CoverageMask", "1"], ["fingerprint", "--canon", "exact"],
]
for args in USAGE_ERRORS:
    code, out, err = run(args)
    check(code == 2, "%s: exit %d, want 2" % (args, code))
    check(out == b"", "%s: stdout %r" % (args, out[:80]))
    check(b"--help" in err, "%s: no hint to --help in %r" % (args, err))

code, out, err = run(["coords", "0", "0", "0", "-inf"])
check(code == 2 and b"put -- before" in err, "hint for -inf: %r" % err)
check(out_of(["coords", "--", "0", "0", "0", "-inf"]) == "101.9S, 101.9W, -infZ\n", "-- before -inf")

code, out, err = run(["enum", "Spelcategory"])
check(b"did you mean 'SpellCategory'" in err, "vocabulary suggestion")

code, out, _ = run(["--version"])
check(code == 0 and out.decode().strip() == "corvane " + VERSION, "--version: %r" % out)
code, out, _ = run(["--help"])
check(code == 0 and b"Examples:" in out and b"coords" in out and b"plot" in out, "--help")
for sub in ("coords", "inspect", "rebucket", "normalize", "measure", "enum", "flags", "fingerprint", "plot"):
    code, out, _ = run([sub, "--help"])
    check(code == 0 and b"Example" in out, "%s --help" % sub)

# ---------------------------------------------------------------------------
# Flushing: one answer per line while the producer keeps the pipe open.

proc = subprocess.Popen(CORVANE + ["coords"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
try:
    proc.stdin.write(b"0xDA550000 84 108 0\n")
    proc.stdin.flush()
    ready, _, _ = select.select([proc.stdout], [], [], 30)
    check(bool(ready) and proc.stdout.readline() == b"33.5S, 72.7E, 0.0Z\n", "answer arrives before end of input")
    proc.stdin.write(b"bad\n")
    proc.stdin.flush()
    ready, _, _ = select.select([proc.stdout], [], [], 30)
    check(bool(ready) and proc.stdout.readline().startswith(b"ERROR: "), "error arrives before end of input")
finally:
    proc.stdin.close()
    proc.wait(timeout=60)
    proc.stdout.close()
    proc.stderr.close()
check(proc.returncode == 1, "interactive run exit status")

# Input that never makes the tool wait (a file) is answered in large writes,
# not one per line.
import shutil
if shutil.which("strace"):
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "many.txt")
        with open(path, "wb") as f:
            f.write(b"0xDA550000 84 108 0\n" * 20000)
        trace = os.path.join(d, "trace")
        subprocess.run(["strace", "-e", "trace=write,writev", "-o", trace] + CORVANE + ["coords", path],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        with open(trace) as f:
            writes = sum(1 for l in f if l.startswith(("write(1,", "writev(1,")))
        check(0 < writes < 100, "20000 lines from a file took %d writes" % writes)
else:
    print("strace not installed: the write count is not checked", file=sys.stderr)

# A line without a final newline, and an empty input.
check(out_of(["coords"], b"0xDA550000 84 108 0") == "33.5S, 72.7E, 0.0Z\n", "last line without newline")
check(out_of(["coords"], b"") == "", "empty input")

# Random bytes never crash the tool: every run ends in 0 or 1 with valid UTF-8.
# The tools read line by line, so the blobs go through one run each, a line
# apart (a program start costs most under an emulator or a sanitizer).
import random
rng = random.Random(7)
blobs = [bytes(rng.choice(b"0123456789xX.,-+e# \t\n\x00\xff\xc3nainf") for _ in range(rng.randint(0, 400)))
         for i in range(40)]
for args in (["coords"], ["measure"], ["fingerprint"], ["flags", "CoverageMask", "-"], ["enum", "ClientAction", "-"]):
    code, out, err = run(args, b"\n".join(blobs))
    check(code in (0, 1), "random input to %s: exit %d %r" % (args, code, err[-300:]))
    try:
        out.decode("utf-8")
    except UnicodeDecodeError:
        check(False, "random input to %s: stdout not UTF-8" % args)

# ---------------------------------------------------------------------------
# Plot: valid SVG with the grid, the graticule and the labelled points.

plot_input = (b"# name: positions\n0xDA550000 84 108 0 # market <gate> & \"inn\"\n"
              b"0x00000100 0 0 0\n0xA9B40019 84 7.1 94\n0 0 0 nan\nbad line\n"
              b"0x7F7F0000 96 96 0 # label with \x1b escape\n")
code, svg, err = run(["plot", "--extent", "world"], plot_input)
check(code == 1, "plot with bad lines: exit %d" % code)
check([l.split(":")[1].strip() for l in lines(err)] == ["line 5", "line 6"], "plot errors %r" % err)
try:
    root = ET.fromstring(svg)
    ns = {"s": "http://www.w3.org/2000/svg"}
    texts = ["".join(t.itertext()) for t in root.iter("{http://www.w3.org/2000/svg}text")]
    # The label as text, isolated from the map text after it.
    check("\u2068market <gate> & \"inn\"\u2069: 33.5S, 72.7E, 0.0Z" in texts, "plot label with markup %r" % texts[-5:])
    check("Indoors [0100]" in texts, "plot indoor label")
    for label in ("10N", "20E", "100S", "100W", "0"):
        check(label in texts, "graticule label %s" % label)
    grid = root.find(".//s:path[@id='landblocks']", ns)
    check(grid is not None and grid.get("d").count("M") == 2 * 257, "landblock grid lines")
    graticule = root.find(".//s:g[@id='graticule']", ns)
    check(graticule is not None and len(list(graticule)) == 2 * 21, "graticule lines")
    points = root.find(".//s:g[@id='positions']", ns)
    circles = points.findall("s:circle", ns)
    rects = points.findall("s:rect", ns)
    check(len(circles) == 3 and len(rects) == 1, "plot markers: %d dots, %d squares" % (len(circles), len(rects)))
    # Map 0, 0 (landblock 127, 127 at 96, 96) is where the 0 graticule lines cross.
    zero = [c for c in circles if "0x7F7F0000" in "".join(c.itertext())][0]
    zero_lines = [l for l in graticule if l.get("stroke-width") == "1.8"]
    xs = {l.get("x1") for l in zero_lines if l.get("x1") == l.get("x2")}
    ys = {l.get("y1") for l in zero_lines if l.get("y1") == l.get("y2")}
    check(xs == {zero.get("cx")} and ys == {zero.get("cy")}, "map 0, 0 at the zero lines: %s %s" % (xs, ys))
except ET.ParseError as e:
    check(False, "plot output is not XML: %s" % e)

with tempfile.TemporaryDirectory() as d:
    path = os.path.join(d, "map.svg")
    code, out, err = run(["plot", "-o", path, "--no-labels", "0xDA550000", "84", "108", "0"])
    check(code == 0 and out == b"", "plot -o: exit %d" % code)
    ET.parse(path)
    code, out, err = run(["plot", "-o", os.path.join(d, "missing", "map.svg")], b"0 0 0 0\n")
    check(code == 1 and err == b"corvane: cannot write %s: No such file or directory\n"
          % os.path.join(d, "missing", "map.svg").encode(), "plot to an unwritable path: exit %d %r" % (code, err))

# Output that cannot be written is a failure, not a silent success.
if os.path.exists("/dev/full"):
    for args in (["coords", "0", "0", "0", "0"], ["enum"], ["plot", "0", "0", "0", "0"]):
        with open("/dev/full", "wb") as full:
            proc = subprocess.run(CORVANE + args, stdout=full, stderr=subprocess.PIPE, timeout=60)
        check(proc.returncode == 1 and b"cannot write" in proc.stderr,
              "%s > /dev/full: exit %d, %r" % (args, proc.returncode, proc.stderr))

# ---------------------------------------------------------------------------
# locate: map text in, ID X Y Z out; coords reads it back to the same text.

positions = out_of(["locate", "33.5S, 72.7E, 0.0Z", "42.0N,", "33.5E", "0.0Z", "1.2N 4.5E"])
check(out_of(["coords", "-"], positions.encode()) == "33.5S, 72.7E, 0.0Z\n42.0N, 33.5E, 0.0Z\n1.2N, 4.5E, 0.0Z\n",
      "locate | coords at precision 1: %r" % positions)
check(out_of(["coords", "-p", "2", "-"], out_of(["locate", "42.05N,", "33.55E"]).encode()) == "42.05N, 33.55E, 0.0Z\n",
      "locate | coords -p 2")
rows = list(csv.DictReader(io.StringIO(out_of(["locate", "--format", "csv", "33.5S 72.7E 12.5Z"]))))
check(len(rows) == 1 and rows[0]["alt"] == "12.5" and rows[0]["z"] == "12.5" and abs(float(rows[0]["lat"]) + 33.55) < 1e-5,
      "locate csv %r" % rows)
check(out_of(["locate", "-E"], b"42n 33e\n").startswith("42n 33e\t0x"), "locate -E")
code, out, err = run(["locate", "Indoors [01AD]", "150N, 0E"])
check(code == 1 and lines(out)[0].startswith("ERROR: ") and lines(out)[1].startswith("ERROR: ")
      and b"argument 2: map text '150N, 0E' lies" in err, "locate errors in place: %r" % err)

# ---------------------------------------------------------------------------
# File arguments: every streaming subcommand reads files in order, "-" for
# stdin; lines are numbered per file; a file that cannot be read is reported
# and the others still run.

with tempfile.TemporaryDirectory() as d:
    a = os.path.join(d, "a.txt")
    b = os.path.join(d, "b.txt")
    with open(a, "wb") as f:
        f.write(b"0xDA550000 84 108 0\nbad\n")
    with open(b, "wb") as f:
        f.write(b"0x00000100 0 0 0\n")
    code, out, err = run(["coords", a, "-", b, os.path.join(d, "missing.txt")], b"0x7F7F0000 96 96 -5\n")
    check(code == 1, "coords FILES: exit %d" % code)
    check(lines(out) == ["33.5S, 72.7E, 0.0Z", "ERROR: expected 4 fields (ID X Y Z), got 1",
                         "0.0N, 0.0E, -5.0Z", "Indoors [0100]"], "coords FILES output %r" % out)
    check(lines(err) == ["corvane: %s:2: expected 4 fields (ID X Y Z), got 1" % a,
                         "corvane: %s: cannot open: No such file or directory" % os.path.join(d, "missing.txt")],
          "coords FILES errors %r" % err)
    # Each streaming subcommand takes a file like its stdin.
    for name, (args, matrix) in STREAMING.items():
        lead = args[:-1] if args[-1] == "-" else args
        path = os.path.join(d, name + ".in")
        payload = b"\n".join(line for line, good in matrix if good and len(line) < 100) + b"\n"
        with open(path, "wb") as f:
            f.write(payload)
        check(run(lead + [path]) == run(lead + ["-"], payload), "%s FILE equals %s - < FILE" % (name, name))

    # Whole-stream fingerprints: 10,000 arguments or lines, one fingerprint,
    # and the binary words a bake pipeline writes.
    values = [str(v) for v in range(100000, 110000)]
    want = fnv1a(range(100000, 110000)) + "\n"
    check(out_of(["fingerprint"] + values) == want, "fingerprint of 10,000 arguments")
    check(out_of(["fingerprint", "--whole"], "\n".join(values).encode() + b"\n") == want, "fingerprint --whole")
    check(out_of(["fingerprint", "--whole", "-"], b"100000 100001\n# note\n100002\n")
          == fnv1a([100000, 100001, 100002]) + "\n", "fingerprint --whole over lines of several values")
    code, out, err = run(["fingerprint", "--whole"], b"1 2\n3 1e39\nx\n")
    check(code == 1 and out.startswith(b"ERROR: 2 values could not be read"), "fingerprint --whole with bad values %r" % out)
    check(lines(err) == ["corvane: line 2: value 2: float '1e39' is out of float range (largest magnitude 3.4028235e38)",
                         "corvane: line 3: 'x' is neither an integer nor a float (prefix u:, f: or bits: to say which)"],
          "fingerprint --whole error places %r" % err)
    code, out, err = run(["fingerprint", "1", "1e39"])
    check(code == 1 and b"argument 2: float '1e39' is out of float range" in err, "fingerprint 1e39: %r" % err)
    floats = [0.7071068, 1.5, -0.0, float("nan")]
    blob = struct.pack("<4f", *floats)
    path = os.path.join(d, "words.bin")
    with open(path, "wb") as f:
        f.write(blob)
    check(out_of(["fingerprint", "--binary", "f32", "--canon", "lossless", path])
          == fnv1a([f32_bits(0.7071068), f32_bits(1.5), 0, f32_bits(float("nan"))]) + "\n", "fingerprint --binary f32")
    check(out_of(["fingerprint", "--binary", "f32", path]) == out_of(["fingerprint", "0.7071068", "1.5", "-0.0", "nan"]),
          "binary f32 and text agree under sixdp")
    check(out_of(["fingerprint", "--binary", "u32"], blob) == fnv1a(struct.unpack("<4I", blob)) + "\n",
          "fingerprint --binary u32 from stdin")
    code, out, err = run(["fingerprint", "--binary", "u32"], blob + b"\x01")
    check(code == 1 and b"1 byte into a 32-bit word" in err, "a partial word is an error")
    code, _, err = run(["fingerprint", "--binary", "u32", "1"])
    check(code == 2, "--binary with values as arguments is a usage error")

# Suggestions for unknown subcommands and options, and help by name.
for args, wanted in ((["coord", "0", "0", "0", "0"], b"unknown subcommand 'coord'; did you mean 'coords'?"),
                     (["--bogus"], b"unknown option '--bogus'"),
                     (["coords", "--precison", "2", "0", "0", "0", "0"], b"did you mean '--precision'?"),
                     (["fingerprint", "--explian", "1"], b"did you mean '--explain'?"),
                     (["help", "cords"], b"did you mean 'coords'?")):
    code, out, err = run(args)
    check(code == 2 and out == b"" and wanted in err, "%s: %d %r" % (args, code, err))
for sub in ("coords", "fingerprint", "plot"):
    code, out, _ = run(["help", sub])
    check(code == 0 and out == run([sub, "--help"])[1], "help %s equals %s --help" % (sub, sub))

# Every example in the help that shows its output prints exactly that.
import shlex
examples_checked = 0
for sub in ("coords", "locate", "inspect", "rebucket", "normalize", "measure", "enum", "flags", "fingerprint", "plot"):
    help_lines = lines(run(["help", sub])[1])
    for i, line in enumerate(help_lines):
        if not line.startswith("  $ corvane ") or any(c in line for c in "|<>"):
            continue
        shown = []
        for follow in help_lines[i + 1:]:
            if not follow.startswith("  ") or follow.startswith("  $ "):
                break
            shown.append(follow[2:])
        if shown:
            got = lines(run(shlex.split(line[4:])[1:])[1])
            check(got == shown, "help example %r prints %r, shows %r" % (line, got, shown))
            examples_checked += 1
check(examples_checked >= 7, "only %d help examples checked" % examples_checked)

# Smaller defects: help into a full disk fails, a directory as input is
# reported, multi-line results get the echo on a line of their own, flags
# lists flag sets only, and -E with JSON says what it does.
if os.path.exists("/dev/full"):
    for args in (["--help"], ["--version"], ["help", "coords"]):
        with open("/dev/full", "wb") as full:
            proc = subprocess.run(CORVANE + args, stdout=full, stderr=subprocess.PIPE, timeout=60)
        check(proc.returncode == 1 and b"cannot write" in proc.stderr, "%s > /dev/full: %d" % (args, proc.returncode))
directory = os.open(os.path.dirname(os.path.abspath(__file__)), os.O_RDONLY)
proc = subprocess.run(CORVANE + ["coords"], stdin=directory, capture_output=True, timeout=60)
os.close(directory)
check(proc.returncode == 1 and proc.stderr == b"corvane: standard input: cannot read: Is a directory\n",
      "a directory as input: %d %r" % (proc.returncode, proc.stderr))
echoed = lines(run(["inspect", "-E", "0xA9B40019", "-50", "-10", "94"])[1])
check(echoed[:2] == ["0xA9B40019 -50 -10 94", "position       0xA9B40019 -50.0 -10.0 94.0"], "inspect -E %r" % echoed[:2])
flag_sets = [json.loads(l) for l in lines(run(["flags", "--format", "json"])[1])]
check(flag_sets and all(v["kind"] == "flags" for v in flag_sets), "flags lists flag sets only")
code, out, err = run(["coords", "-E", "--format", "json", "0", "0", "0", "0"])
check(code == 0 and json.loads(out)["input"] == "0 0 0 0" and b"-E changes text output only" in err, "-E with JSON: %r" % err)

# ---------------------------------------------------------------------------
# The shared case tables (tests/cases/): the tool gives each table's answer.

CASES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cases")


def case_table(name):
    with open(os.path.join(CASES, name), encoding="utf-8") as f:
        return json.load(f)["cases"]


# Numbers, read as the fingerprint's explained floats (one value per line;
# a text with a blank or a comma is no single field, so never one number).
number_cases = [c for c in case_table("numbers.json") if c["text"] and not set(c["text"]) & set(" \t,#")]
code, out, err = run(["fingerprint", "--explain", "--format", "json", "-"],
                     "".join("f:%s\n" % c["text"] for c in number_cases).encode())
results = [json.loads(l) for l in lines(out)]
check(len(results) == len(number_cases), "numbers.json: %d results for %d cases" % (len(results), len(number_cases)))
for c, r in zip(number_cases, results):
    if "bits" in c:
        got = r.get("words", [{}])[0].get("bits") if "words" in r else r.get("error")
        check(got == c["bits"], "numbers.json %r: %r, want %s" % (c["text"], got, c["bits"]))
    else:
        want = "is out of float range" if c["error"] == "out of range" else "is not a number"
        check(want in r.get("error", ""), "numbers.json %r: %r, want an error saying %r" % (c["text"], r, want))

# "Same point" and the other fixed headings, from measure: every pair in one
# run, a pair's eight arguments after another's.
same_point_cases = case_table("same_point.json")
code, out, err = run(["measure", "--format", "json", "--"] +
                     [word for c in same_point_cases for word in c["from"].split() + c["to"].split()])
results = [json.loads(l) for l in lines(out)]
check(len(results) == len(same_point_cases), "same_point.json: %d results for %d cases" % (len(results), len(same_point_cases)))
for c, r in zip(same_point_cases, results):
    heading = r["heading_rad"]
    want_bits = int(c["heading"], 16)
    got_bits = 0x7FC00000 if heading is None else f32_bits(heading)
    where = "same_point.json %s -> %s" % (c["from"], c["to"])
    check(got_bits == want_bits, "%s: heading %r, want %s" % (where, heading, c["heading"]))
    if c["case"] == "direction":
        check(r["compass"] not in ("same point", "straight up", "straight down"), "%s: %r" % (where, r["compass"]))
    else:
        check(r["compass"] == c["case"], "%s: %r, want %r" % (where, r["compass"], c["case"]))

# Map text located: one text per argument, the position or the library's
# reason with its place.
for c in case_table("map_text.json"):
    code, out, err = run(["locate", "--format", "json", "--", c["text"]])
    r = json.loads(out)
    where = "map_text.json %r" % c["text"]
    if c.get("located"):
        want = c["located"]
        check(code == 0 and r.get("id") == want["id"], "%s: %r, want %r" % (where, r, want))
        for key in ("x", "y", "z"):
            check(key in r and f32_bits(r[key]) == f32_bits(want[key]), "%s: %s %r, want %r" % (where, key, r.get(key), want[key]))
        for key in ("lat", "lon", "alt"):
            check(key in r and f32_bits(r[key]) == f32_bits(c[key]), "%s: %s %r, want %r" % (where, key, r.get(key), c[key]))
    elif "error" in c:
        e = c["error"]
        message = "%s: %s (at character %d)" % (e["part"], e["reason"], e["offset"] + 1)
        check(code == 1 and r.get("error", "").endswith(": " + message), "%s: %r, want %r" % (where, r.get("error"), message))
    else:
        reason = "is indoors" if "indoor" in c else "outside the world"
        check(code == 1 and reason in r.get("error", ""), "%s: %r, want an error saying %r" % (where, r, reason))

# ---------------------------------------------------------------------------
# Everyday files and mistakes.

with tempfile.TemporaryDirectory() as d:
    # An argument that names an existing file is read as a file, whatever its
    # name looks like; "--" reads arguments as data and --files as file names.
    names = ["./gates.txt", "2024-log.txt", "0x10.txt", "0", "-inf"]
    for name in names:
        with open(os.path.join(d, name), "wb") as f:
            f.write(b"0xDA550000 84 108 0\n")
    os.mkdir(os.path.join(d, "w"))
    with open(os.path.join(d, "w", "gates.txt"), "wb") as f:
        f.write(b"0x00000100 0 0 0\n")

    def run_in(args, stdin=b""):
        proc = subprocess.run(CORVANE + args, input=stdin, capture_output=True, timeout=60, cwd=d)
        return proc.returncode, proc.stdout, proc.stderr

    for name in names[:4] + ["../" + os.path.basename(d) + "/w/gates.txt"]:
        want = b"Indoors [0100]\n" if "/w/" in name else b"33.5S, 72.7E, 0.0Z\n"
        for sub in (["coords"], ["coords", "--format", "text"], ["coords", "-p", "1"]):
            check(run_in(sub + [name]) == (0, want, b""), "%s %s reads the file" % (sub, name))
    check(run_in(["coords", "gates.txt", "-"], b"0x00000100 0 0 0\n")[1] == b"33.5S, 72.7E, 0.0Z\nIndoors [0100]\n",
          "coords FILE - reads the file, then stdin")
    check(run_in(["coords", "0", "0", "0", "0"])[1] == b"33.5S, 72.7E, 0.0Z\n" * 4, "an argument naming a file is a file, even '0'")
    check(run_in(["coords", "--", "0", "0", "0", "0"]) == (0, b"101.9S, 101.9W, 0.0Z\n", b""), "-- reads data")
    code, out, err = run_in(["coords", "--files", "missing.txt"])
    check(code == 1 and err == b"corvane: missing.txt: cannot open: No such file or directory\n", "--files %r" % err)
    for args in (["plot", "-o", "m.svg", "./gates.txt"], ["fingerprint", "./gates.txt"], ["inspect", "./gates.txt"],
                 ["flags", "CoverageMask", "./gates.txt"], ["enum", "SpellCategory", "./gates.txt"]):
        code, out, err = run_in(args)
        check(b"argument 1" not in err, "%s reads the file: %r" % (args, err))
    check(b"<circle" in open(os.path.join(d, "m.svg"), "rb").read(), "plot -o m.svg ./gates.txt draws the point")

    # A byte-order mark, and a header line that names the fields.
    bom = b"\xef\xbb\xbf"
    for payload, has_header in ((bom + b"0xDA550000 84 108 0\n", False), (bom + b"id,x,y,z\n0xDA550000,84,108,0\n", True),
                                (b"ID X Y Z\n0xDA550000 84 108 0\n", True)):
        with open(os.path.join(d, "e.csv"), "wb") as f:
            f.write(payload)
        for args, stdin in ((["coords", "e.csv"], b""), (["coords"], payload)):
            code, out, err = run_in(args, stdin)
            header = b"header line" in err
            check(code == 0 and out == b"33.5S, 72.7E, 0.0Z\n" and header == has_header,
                  "%s with %r: %d %r %r" % (args, payload, code, out, err))
    check(run_in(["coords"], b"nan inf nan nan\n")[1].startswith(b"ERROR"), "a line of nan and inf is data, not a header")
    check(run_in(["enum", "SpellCategory"], bom + b"519\n")[1] == b"519 (0x0207) = ACTDPurchaseRewardSpell\n", "enum: BOM")

# Piped lines are looked up; nothing piped lists the vocabulary.
check(run(["enum", "SpellCategory"], b"519\n") == (0, b"519 (0x0207) = ACTDPurchaseRewardSpell\n", b""), "enum reads piped stdin")
check(run(["flags", "CoverageMask"], b"0x1C00\n")[1] == out_of(["flags", "CoverageMask", "0x1C00"]).encode(), "flags reads piped stdin")
check(len(lines(run(["enum", "WieldType"])[1])) > 3, "enum with empty stdin lists the members")

# An empty argument is input, not a blank line.
for args, message in ((["locate", ""], b"map text: empty (at character 1)"), (["coords", ""], b"got 0")):
    code, out, err = run(args)
    check(code == 1 and out.startswith(b"ERROR: ") and message in err, "%s: %d %r" % (args, code, err))

# Exit codes: write failures exit 1 with the system's reason; a closed pipe
# is a normal end; help answers about itself.
if os.path.exists("/dev/full"):
    for args in (["plot", "--html", "-o", "/dev/full", "0", "0", "0", "0"], ["coords", "0", "0", "0", "0"]):
        with open("/dev/full", "wb") as full:
            proc = subprocess.run(CORVANE + args, stdout=full, stderr=subprocess.PIPE, timeout=60)
        check(proc.returncode == 1 and proc.stderr.endswith(b": No space left on device\n"),
              "%s to /dev/full: %d %r" % (args, proc.returncode, proc.stderr))
big = b"0xDA550000 84 108 0\n" * 200000
for args in (["coords"], ["coords", "--format", "json"], ["enum", "SpellCategory", "--format", "csv"], ["--help"]):
    # SIGPIPE ignored, as Python and many services leave it: the write fails
    # with EPIPE instead of ending the process.
    with tempfile.TemporaryFile() as stdin:
        stdin.write(big if args[0] == "coords" else b"")
        stdin.seek(0)
        proc = subprocess.Popen(CORVANE + args, stdin=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                restore_signals=False)
    proc.stdout.readline()
    proc.stdout.close()
    err = proc.stderr.read()
    proc.wait(timeout=60)
    check(proc.returncode == 0 and err == b"", "%s into a closed pipe: %d %r" % (args, proc.returncode, err))
code, out, err = run(["help", "--help"])
check(code == 0 and out == run(["--help"])[1], "help --help: %d %r" % (code, err))

if FAILURES:
    print("%d end-to-end checks failed" % len(FAILURES), file=sys.stderr)
    sys.exit(1)
print("all end-to-end checks passed")
