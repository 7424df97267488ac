#!/usr/bin/env python3
"""The benchmark report of the programs listed in programs.list.

    bench/report.py [--quick] [--limit SECONDS] [--build DIR] [--previous FILE] [--beside DIR] [PROGRAM...]

Builds the programs in release mode (build/bench), generates the inputs into
bench/out/inputs/ (kept between runs and remade when their generator
changes), runs every workload at three sizes n, 4n and 16n beside its floor
(bench/measure.cpp: the same input read and as much output written, nothing
else), fits the growth exponent and prints one block per workload; the
summary gives every workload's CPU time over the previous report's (the
bench/RESULTS.md about to be replaced, or --previous FILE), and stringsort's
alphabetical order is timed beside `LC_ALL=C sort` of the same lines. A full run
of every program also writes bench/RESULTS.md; a quick run or a run of some
programs writes bench/out/report.md instead, so the kept figures always come
from a full run. Where gnuplot is installed, bench/out/growth.png draws the
time of every workload against its size.

--quick runs much smaller sizes: a check that the report works, whose figures
are not for quoting. --limit (default 60) skips a size whose predicted CPU
time, from the smaller sizes' growth, is longer, so that a quadratic step
shows as a steep exponent instead of an hour's wait. --beside DIR names the
build directory of an earlier commit (its programs already built in DIR/bin):
each workload's largest size is then run with those programs too, one run of
each build after the other, and × before is the ratio of the two builds'
fastest runs there rather than a figure of an earlier report.
"""
import argparse
import datetime
import math
import os
import platform
import re
import shutil
import subprocess
import sys
import textwrap
import time
from pathlib import Path
from typing import Callable, NamedTuple

ROOT = Path(__file__).resolve().parent.parent
BENCH = ROOT / "bench"
OUT = BENCH / "out"
INPUTS = OUT / "inputs"
RUN = OUT / "run"
# Programs get their bytes as they are: no locale conversion on either side.
ENV = dict(os.environ, LC_ALL="C")
# Runs shorter than this are repeated (three runs in all) and the fastest is kept.
REPEAT_BELOW = 1.0
# With --beside, the largest size of every workload is run this many times with each build, alternately.
BESIDE_RUNS = 7
# A growth exponent at or above this is more than sorting or a slower cache explains.
STEEP = 1.5


def log(text):
    print(text, file=sys.stderr, flush=True)


# ---- inputs ---------------------------------------------------------------------------------------------


class Case(NamedTuple):
    """One run of a program: what it is typed and the files around it."""

    stdin: Path
    files: dict = {}  # name in the working directory -> file copied there before every run
    reads: tuple = ()  # files the program reads besides standard input
    saves: tuple = ()  # files the program saves in its working directory


def generated(name, source, command):
    """INPUTS/name, written by command unless it is there and newer than source.
    The generators are seeded, so a kept file is the file they would write."""
    path = INPUTS / name
    if path.exists() and path.stat().st_mtime > source.stat().st_mtime:
        return path
    log(f"  generating {name}")
    partial = path.with_name(name + ".partial")
    with open(partial, "wb") as out:
        subprocess.run([str(c) for c in command], stdout=out, check=True)
    partial.replace(path)
    return path


def typed(name, data):
    """INPUTS/name holding exactly data (bytes)."""
    path = INPUTS / name
    if not path.exists() or path.read_bytes() != data:
        path.write_bytes(data)
    return path


def script(program):
    return BENCH / program / "gen.py"


def python_gen(program, name, *arguments):
    return generated(name, script(program), [sys.executable, script(program), *arguments])


def inttree_random(n):
    return Case(python_gen("inttree", f"inttree-random-{n}.txt", "random", n, 1))


def inttree_sorted(n):
    return Case(python_gen("inttree", f"inttree-sorted-{n}.txt", "sorted", n))


COUNTOUT_STEP = 1_000_000_007


def countout(direction):
    def case(n):
        start = 1 if direction == "r" else n // 2
        name = f"countout-{n}-{direction}.txt"
        return Case(python_gen("countout", name, n, start, COUNTOUT_STEP, direction))

    return case


def studentdb(n):
    data = python_gen("studentdb", f"studentdb-{n}.dat", n, "/dev/stdout")
    # Sort by name, sort by street (each lists the records), list them once more, save, exit.
    stdin = typed("studentdb.in", b"1\n2\n6\n5\n0\n")
    return Case(stdin, files={"students.dat": data}, reads=("students.dat",), saves=("students.dat",))


def linefind(word):
    def case(n):
        source = BENCH / "linefind" / "gen.cpp"
        text = generated(f"linefind-{n}.txt", source, [TOOLS / "linefind-gen", n, "/dev/stdout"])
        stdin = typed(f"linefind-{n}-{word}.in", bytes(text) + b"\n" + LINEFIND_WORDS[word] + b"\nn\n")
        return Case(stdin, reads=(text,))

    return case


# The generator writes Windows-1251: one word in about ten thousand is the
# rare one, one in about forty the frequent one.
LINEFIND_WORDS = {"rare": "сокол".encode("cp1251"), "frequent": "вода".encode("cp1251")}


def stringsort(choice, seed):
    def case(n):
        return Case(python_gen("stringsort", f"stringsort-{choice}-{n}.txt", n, 64, choice, seed))

    return case


def sort_lines(choice, seed):
    """The lines the stringsort case types, alone, for `sort` to sort: what a user would otherwise run."""
    def versus(n):
        typed_input = stringsort(choice, seed)(n).stdin
        lines = INPUTS / f"stringsort-{choice}-{n}.lines"
        if not lines.exists() or lines.stat().st_mtime < typed_input.stat().st_mtime:
            # The typed input: n, m, the n lines, the sort choice.
            typed_lines = typed_input.read_bytes().split(b"\n")
            lines.write_bytes(b"".join(line + b"\n" for line in typed_lines[2:2 + n]))
        return [shutil.which("sort") or "/usr/bin/sort"], Case(lines)

    return versus


def matrix(program):
    def case(side):
        return Case(python_gen(program, f"{program}-{side}.txt", side))

    return case


class Workload(NamedTuple):
    program: str
    short: str  # for the summary and the picture
    title: str  # what one run does
    unit: str  # what the size counts
    full: tuple  # the three sizes of a full run
    quick: tuple  # the three sizes of a quick run
    case: Callable
    matrix: bool = False  # sizes are a square matrix's side; the fit counts its elements
    versus: Callable = None  # size -> (command, Case): another program doing the same work, timed beside
    versus_name: str = ""  # what it is, in a sentence
    versus_short: str = ""  # and in a column's heading

    def count(self, size):
        return size * size if self.matrix else size

    def label(self, size):
        return f"{size}×{size}" if self.matrix else f"{size:,}"


def sizes(n):
    return (n, 4 * n, 16 * n)


WORKLOADS = [
    Workload("inttree", "random values", "random values added through the menu, then all four views",
             "values", sizes(62_500), sizes(8_000), inttree_random),
    Workload("inttree", "sorted values", "values in ascending order (a tree that is one chain), then the "
             "three listings", "values", sizes(62_500), sizes(8_000), inttree_sorted),
    Workload("countout", "to the right", f"soldiers counted out with step {COUNTOUT_STEP:,} to the right "
             "from the first", "soldiers", sizes(62_500), sizes(8_000), countout("r")),
    Workload("countout", "to the left", f"soldiers counted out with step {COUNTOUT_STEP:,} to the left "
             "from the middle", "soldiers", sizes(62_500), sizes(8_000), countout("l")),
    Workload("studentdb", "sort, list, save", "records loaded, sorted by name and by street, listed three "
             "times and saved", "records", sizes(62_500), sizes(8_000), studentdb),
    Workload("linefind", "rare word", "a text file searched for a rare word (about 1 word in 10,000)",
             "sentences", sizes(625_000), sizes(80_000), linefind("rare")),
    Workload("linefind", "frequent word", "a text file searched for a frequent word (about 1 word in 40)",
             "sentences", sizes(625_000), sizes(80_000), linefind("frequent")),
    Workload("stringsort", "alphabetical", "lines of up to 63 characters sorted alphabetically", "lines",
             sizes(12_500), sizes(1_600), stringsort("a", 1), versus=sort_lines("a", 1),
             versus_name="`LC_ALL=C sort` of the same lines", versus_short="sort"),
    Workload("stringsort", "by sums", "lines of up to 63 characters sorted by the sums of their numbers",
             "lines", sizes(12_500), sizes(1_600), stringsort("b", 3)),
    # The size is typed in three characters at most, so 999 stands for 1000.
    Workload("colinsert", "column inserted", "a square matrix and a column, inserted in the middle",
             "matrix", (250, 500, 999), (125, 250, 500), matrix("colinsert"), matrix=True),
    Workload("maxcut", "row and column out", "a square matrix: the row and the column of its largest "
             "element taken out", "matrix", (750, 1500, 3000), (250, 500, 1000), matrix("maxcut"), matrix=True),
]


# ---- building -------------------------------------------------------------------------------------------

TOOLS = Path()  # set by build(): the benchmark's own helpers


def quiet(command, **options):
    done = subprocess.run([str(c) for c in command], capture_output=True, text=True, **options)
    if done.returncode != 0:
        sys.exit(f"{' '.join(map(str, command))} failed:\n{done.stdout}{done.stderr}")


def build(build_dir, programs):
    global TOOLS
    log(f"building {', '.join(programs)} (release) in {build_dir}")
    quiet(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
           "-DBUILD_TESTING=OFF"])
    quiet(["cmake", "--build", build_dir, "--target", *programs])
    TOOLS = build_dir / "bench-tools"
    TOOLS.mkdir(exist_ok=True)
    compiler = os.environ.get("CXX", "c++")
    for tool, source in (("measure", BENCH / "measure.cpp"), ("linefind-gen", BENCH / "linefind" / "gen.cpp")):
        binary = TOOLS / tool
        if not binary.exists() or binary.stat().st_mtime < source.stat().st_mtime:
            quiet([compiler, "-std=c++20", "-O2", "-o", binary, source])
    return build_dir / "bin"


# ---- measuring ------------------------------------------------------------------------------------------


class Time(NamedTuple):
    wall: float
    user: float
    sys: float
    peak_kb: int = 0

    @property
    def cpu(self):
        return self.user + self.sys


def warm(path):
    """Reads a file once, so that every timed run finds it in the page cache."""
    with open(path, "rb") as f:
        while f.read(1 << 20):
            pass


def place(case):
    for name, source in case.files.items():
        shutil.copyfile(source, RUN / name)


def measured(command, case, stdout):
    """Runs bench/measure.cpp in the working directory on the case's typed input; returns its Time,
    or None after saying why the command failed."""
    result = RUN / "time"
    with open(case.stdin, "rb") as stdin, open(RUN / stdout, "wb") as out:
        done = subprocess.run([str(TOOLS / "measure"), command[0], str(result), *map(str, command[1:])],
                              stdin=stdin, stdout=out, cwd=RUN, env=ENV)
    if done.returncode != 0:
        log(f"  {'the floor' if command[0] == 'floor' else Path(command[1]).name} ended with status "
            f"{done.returncode}")
        return None
    wall, user, system, peak = result.read_text().split()
    return Time(float(wall), float(user), float(system), int(peak))


def run_program(binary, case):
    place(case)
    return measured(["run", binary], case, "stdout")


def keep_output(case):
    """Keeps what the program's last run wrote, for the floor to write as much again."""
    (RUN / "stdout").replace(RUN / "stdout.copy")
    for name in case.saves:
        (RUN / name).replace(RUN / (name + ".copy"))


def run_floor(case):
    place(case)
    arguments = ["floor", RUN / "stdout.copy"]
    for name in case.reads:
        arguments += ["-r", name]
    for name in case.saves:
        arguments += ["-w", name, name + ".copy"]
    return measured(arguments, case, "floor.out")


def fastest(once, always=False):
    """A run, and two more when it is short or always is set (the fastest by CPU
    time kept): a short run is the one most disturbed by whatever else the
    machine does."""
    best = once()
    if best is not None and (always or best.wall < REPEAT_BELOW):
        for _ in range(2):
            again = once()
            if again is None:
                return None
            best = min(best, again, key=lambda t: t.cpu)
    return best


def io_bytes(case):
    read = case.stdin.stat().st_size + sum((case.files[r] if isinstance(r, str) else r).stat().st_size
                                           for r in case.reads)
    written = (RUN / "stdout.copy").stat().st_size + sum((RUN / (s + ".copy")).stat().st_size
                                                        for s in case.saves)
    return read, written


class Point(NamedTuple):
    size: int
    program: Time = None
    floor: Time = None
    note: str = ""  # why there is no measurement
    versus: Time = None  # the workload's other program, where it has one


class Result(NamedTuple):
    workload: Workload
    points: list
    exponent: float  # None when fewer than two sizes ran
    io: tuple  # bytes read and written at the largest size run
    beside: tuple = None  # (this build, the earlier build): the fastest runs at the largest size, alternately


def startup(binary):
    """The fixed cost in every run of a program: started on empty input, it ends at once."""
    shutil.rmtree(RUN)
    RUN.mkdir()
    return fastest(lambda: run_program(binary, Case(typed("empty.in", b""))))


def growth(points):
    """The least-squares slope of log CPU time against log size."""
    xs = [math.log(x) for x, _ in points]
    ys = [math.log(max(y, 1e-6)) for _, y in points]
    if len(xs) < 2:
        return None
    mx, my = sum(xs) / len(xs), sum(ys) / len(ys)
    return sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sum((x - mx) ** 2 for x in xs)


def side_by_side(workload, size, binary, earlier):
    """The fastest of BESIDE_RUNS runs of each build at one size, the two builds taking turns, so that
    whatever else the machine does falls on both alike."""
    case = workload.case(size)
    best = [None, None]
    for _ in range(BESIDE_RUNS):
        for k, program in enumerate((binary, earlier)):
            t = run_program(program, case)
            if t is None:
                return None
            best[k] = t if best[k] is None else min(best[k], t, key=lambda x: x.cpu)
    return tuple(best)


def measure(workload, binary, quick, limit, earlier=None):
    points, io = [], (0, 0)
    for size in workload.quick if quick else workload.full:
        fit = [(workload.count(p.size), p.program.cpu) for p in points if p.program]
        if len(fit) >= 2:
            predicted = fit[-1][1] * (workload.count(size) / fit[-1][0]) ** growth(fit)
            if predicted > limit:
                points.append(Point(size, note=f"not run: about {seconds(predicted)} s of CPU predicted, "
                                               f"over the {limit:g} s limit"))
                continue
        case = workload.case(size)
        for path in (case.stdin, *case.files.values(), *(r for r in case.reads if isinstance(r, Path))):
            warm(path)
        program = fastest(lambda: run_program(binary, case))
        if program is None:
            points.append(Point(size, note="failed: the program did not end with status 0"))
            break
        keep_output(case)
        floor = fastest(lambda: run_floor(case), always=True)
        if floor is None:
            points.append(Point(size, note="failed: the floor did not end with status 0"))
            break
        io = io_bytes(case)
        versus = None
        if workload.versus is not None:
            command, other = workload.versus(size)
            warm(other.stdin)
            # Run as often as the program was, so that both are the fastest of as many runs.
            versus = fastest(lambda: measured(["run", *command], other, "versus.out"),
                             always=program.wall < REPEAT_BELOW)
        points.append(Point(size, program, floor, versus=versus))
        log(f"  {workload.program}, {workload.short}, {workload.label(size)}: {program.cpu:.3f} s CPU, "
            f"floor {floor.cpu:.4f} s")
    fit = [(workload.count(p.size), p.program.cpu) for p in points if p.program]
    ran = [p for p in points if p.program]
    beside = side_by_side(workload, ran[-1].size, binary, earlier) if earlier and ran else None
    return Result(workload, points, growth(fit), io, beside)


# ---- the report -----------------------------------------------------------------------------------------


def table(headers, rows, align):
    """A Markdown table padded to line up in a terminal as well; align holds l or r per column."""
    widths = [max(len(cell) for cell in column) for column in zip(headers, *rows)]

    def line(cells):
        return "| " + " | ".join(c.ljust(w) if a == "l" else c.rjust(w)
                                 for c, w, a in zip(cells, widths, align)) + " |"

    rule = "|" + "|".join("-" * (w + 2) if a == "l" else "-" * (w + 1) + ":" for w, a in zip(widths, align)) + "|"
    return "\n".join([line(headers), rule, *map(line, rows)])


def paragraph(text):
    return textwrap.fill(text, width=100, break_long_words=False, break_on_hyphens=False)


def seconds(t, places=3):
    return f"{t:.{places}f}" if t < 100 else f"{t:,.0f}"


def ratio(program, floor):
    if floor.cpu <= 0:
        return "-"
    r = program.cpu / floor.cpu
    return f"{r:,.0f}" if r >= 10 else f"{r:.1f}"


def exponent(e):
    if e is None:
        return "-"
    return f"{e:.2f} steep" if e >= STEEP else f"{e:.2f}"


def megabytes(n):
    return f"{n / 1e6:,.1f} MB"


def block(result):
    w = result.workload
    rows = []
    for p in result.points:
        if p.program:
            t, f = p.program, p.floor
            rows.append([w.label(p.size), seconds(t.wall), seconds(t.user), seconds(t.sys),
                         f"{t.peak_kb / 1024:,.1f}", seconds(f.cpu, 4), ratio(t, f)])
        else:
            rows.append([w.label(p.size)] + ["-"] * 6)
    lines = [f"### {w.program}: {w.title}", "",
             table([w.unit, "wall s", "user s", "sys s", "peak MB", "floor s", "× floor"], rows, "rrrrrrr"), ""]
    ran = [p for p in result.points if p.program]
    text = f"Growth exponent: {exponent(result.exponent)}."
    if ran:
        read, written = result.io
        at = w.label(ran[-1].size) if w.matrix else f"{w.label(ran[-1].size)} {w.unit}"
        text += f" At {at}: {megabytes(read)} read, {megabytes(written)} written."
    lines.append(text)
    lines += [f"{w.label(p.size)}: {p.note}." for p in result.points if p.note]
    paired = [p for p in result.points if p.program and p.versus]
    if paired:
        lines += ["", paragraph(f"Against {w.versus_name}, timed beside it the same way (CPU seconds, user + "
                                f"sys; × is the program's over the other's):"), "",
                  table([w.unit, f"{w.program} CPU s", f"{w.versus_short} CPU s", "×"],
                        [[w.label(p.size), seconds(p.program.cpu), seconds(p.versus.cpu), ratio(p.program, p.versus)]
                         for p in paired], "rrrr")]
    return "\n".join(lines)


def started(t):
    if t is None:
        return "Started on empty input, it did not end with status 0."
    return (f"Started on empty input, it ends at once: {seconds(t.cpu)} s of CPU ({seconds(t.wall)} s wall, "
            f"{t.peak_kb / 1024:,.1f} MB), a fixed cost inside every figure below.")


def previous_figures(path):
    """The summary of an earlier report: (program, workload) -> (largest size, CPU s), and the commit it
    names; empty when there is none."""
    figures, made_from = {}, ""
    if not path.exists():
        return figures, made_from
    text = path.read_text()
    found = re.search(r"from commit (\w+)", text)
    made_from = found.group(1) if found else ""
    in_summary = False
    for line in text.splitlines():
        if line.startswith("## "):
            in_summary = line == "## Summary"
            continue
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if in_summary and len(cells) >= 4 and cells[0] not in ("program", "") and not cells[0].startswith("-"):
            try:
                figures[(cells[0], cells[1])] = (cells[2], float(cells[3].replace(",", "")))
            except ValueError:
                pass
    return figures, made_from


def against_before(r, last, before):
    """The CPU seconds at the largest size over the earlier build's beside it, or else over the previous
    report's, where it ran the same size."""
    if r.beside is not None:
        return f"{r.beside[0].cpu / r.beside[1].cpu:.2f}" if r.beside[1].cpu > 0 else "-"
    kept = before.get((r.workload.program, r.workload.short))
    if last is None or kept is None or kept[0] != r.workload.label(last.size) or kept[1] <= 0:
        return "-"
    return f"{last.program.cpu / kept[1]:.2f}"


def summary(results, before):
    rows = []
    for r in results:
        ran = [p for p in r.points if p.program]
        last = ran[-1] if ran else None
        rows.append([r.workload.program, r.workload.short,
                     r.workload.label(last.size) if last else "-",
                     seconds(last.program.cpu) if last else "-",
                     ratio(last.program, last.floor) if last else "-", exponent(r.exponent),
                     against_before(r, last, before)])
    text = table(["program", "workload", "largest size", "CPU s", "× floor", "growth", "× before"], rows,
                 "llrrrrr")
    paired = [r for r in results if r.beside is not None]
    if paired:
        text += "\n\n" + paragraph(f"× before from the two builds run beside each other at the largest size, "
                                    f"{BESIDE_RUNS} runs each, alternately, the fastest of each kept (CPU s):")
        text += "\n\n" + table(["program", "workload", "this build", "earlier build", "×"],
                                [[r.workload.program, r.workload.short, seconds(r.beside[0].cpu),
                                  seconds(r.beside[1].cpu), against_before(r, None, {})] for r in paired],
                                "llrrr")
    return text


METHOD = (
    "Each workload runs at three sizes, n, 4n and 16n, each with its floor: the least that reading the "
    "workload's input and writing its output through read and write can cost. A program run shorter than a second is repeated, "
    "three runs in all, and the fastest is kept; so is every floor. Inputs are read once beforehand, so every run finds them in "
    "the page cache; standard output goes to a regular file; every program runs with `LC_ALL=C`.")

COLUMNS = [
    ("size (values, soldiers, records, sentences, lines, matrix)",
     "the amount of input. A matrix of side k counts as k² elements for the growth exponent."),
    ("wall s", "seconds from the program's start to its exit."),
    ("user s, sys s", "CPU seconds spent in the program itself, and in the system on its behalf (reading, "
     "writing, memory)."),
    ("peak MB", "the most memory the program held at once (its peak resident set, in MiB)."),
    ("floor s", "CPU seconds (user + sys) of `bench/measure.cpp` reading the same input (standard input "
     "and the files the program reads) and writing as many bytes as the program wrote to the same kind of "
     "file (standard output to a regular file; a saved file written and synced to disk with its "
     "directory, as the program's save does), each read and write one 64 KiB block through a buffer "
     "that stays in the processor's cache. Nothing is parsed, computed or formatted, and the floor's own "
     "start is not counted, so a program that reads and writes its files through read and write, as "
     "these do, cannot go below it (one that mapped its files into memory could)."),
    ("× floor", "the program's CPU seconds (user + sys) divided by the floor's: how far above the least "
     "possible cost it is."),
    ("CPU s (summary)", "user + sys seconds at the largest size run."),
    ("× before (summary)", "with --beside, this build's CPU seconds at the largest size over the earlier "
     "build's, the two run by turns (the table under the summary gives both). Otherwise the CPU seconds at "
     "the largest size over the figure of the previous report (the bench/RESULTS.md this run replaces, or "
     "the one given with --previous), where that report ran the same size; those two runs are apart in "
     "time, perhaps on a machine otherwise busy, so a change of a few per cent is noise. Below 1 is "
     "faster."),
    ("growth", "the slope of the least-squares line through log CPU seconds against log size over the "
     "sizes run: about 1 for linear work, 1.1 for n log n, 2 for quadratic. \"steep\" marks a slope of "
     f"{STEEP:g} or more, more than sorting explains. Work over scattered memory grows a little faster "
     "than its count of steps once the data outgrows the caches; the fixed cost of starting a program "
     "(shown under its name) flattens the slope where the runs are short."),
]


def legend():
    items = [textwrap.fill(f"- **{term}**: {text}", width=100, subsequent_indent="  ", break_long_words=False,
                           break_on_hyphens=False) for term, text in COLUMNS]
    return paragraph(METHOD) + "\n\n" + "\n".join(items)


def machine(build_dir):
    model = next((line.split(":", 1)[1].strip() for line in Path("/proc/cpuinfo").read_text().splitlines()
                  if line.startswith("model name")), platform.machine())
    memory = next((int(line.split()[1]) for line in Path("/proc/meminfo").read_text().splitlines()
                   if line.startswith("MemTotal:")), 0)
    compiler = "c++"
    cache = build_dir / "CMakeCache.txt"
    for line in cache.read_text().splitlines():
        if line.startswith("CMAKE_CXX_COMPILER:"):
            compiler = line.split("=", 1)[1]
    version = subprocess.run([compiler, "--version"], capture_output=True, text=True).stdout.split("\n")[0]
    return (f"{os.cpu_count()} cores ({model}), {memory / 1024 / 1024:.0f} GiB of memory, "
            f"{platform.system()} {platform.release()}, {version}")


def commit():
    def git(*arguments):
        done = subprocess.run(["git", "-C", ROOT, *arguments], capture_output=True, text=True)
        return done.stdout.strip() if done.returncode == 0 else ""

    head = git("rev-parse", "--short", "HEAD")
    if not head:
        return "outside git"
    changed = " with uncommitted changes" if git("status", "--porcelain", "--untracked-files=no") else ""
    return f"commit {head} (branch {git('rev-parse', '--abbrev-ref', 'HEAD')}){changed}"


def duration(s):
    return f"{s // 60:.0f} min {s % 60:.0f} s" if s >= 60 else f"{s:.0f} s"


def render(results, missing, starts, quick, build_dir, loads, elapsed, picture, before, before_commit,
           beside=None):
    banner = "**QUICK RUN: figures not for quoting.** The sizes are small, to check that the report works."
    when = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    cores = os.cpu_count() or 1
    about = [f"Made by `bench/report.py{' --quick' if quick else ''}` on {when} from {commit()}, in "
             f"{duration(elapsed)}; release build in `{os.path.relpath(build_dir, ROOT)}`. Machine: "
             f"{machine(build_dir)}."]
    if max(loads) > cores:
        about.append(f"The machine was busy (load average {loads[0]:.1f} at the start, {loads[1]:.1f} at the "
                     f"end, on {cores} cores): wall times include waiting for a core, and the CPU times are "
                     "the fairer figures.")
    else:
        about.append(f"Load average {loads[0]:.1f} at the start, {loads[1]:.1f} at the end, on {cores} cores.")
    about.append(f"Time against size: `{picture}`." if picture else "gnuplot is not installed: no picture.")
    if beside:
        about.append(f"× before compares this build with the programs of {beside}, run beside it.")
    elif before:
        about.append("The previous figures (× before) are those of the report made from "
                     f"{'commit ' + before_commit if before_commit else 'an earlier commit'}.")
    else:
        about.append("No previous report to compare with.")
    text = "# Benchmark results\n\n" + (banner + "\n\n" if quick else "")
    text += paragraph(" ".join(about)) + "\n"
    text += "\n## Columns\n\n" + legend() + "\n\n## Summary\n\n"
    text += summary(results, before) + "\n"
    for program in missing:
        text += f"\n{program}: no workload defined in bench/report.py.\n"
    current = None
    for r in results:
        if r.workload.program != current:
            current = r.workload.program
            text += f"\n## {current}\n\n{paragraph(started(starts[current]))}\n"
        text += "\n" + block(r) + "\n"
    if quick:
        text += "\n" + banner + "\n"
    return text


# Twelve colours that stay apart from one another.
COLOURS = ["#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd", "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22",
           "#17becf", "#000000", "#aec7e8"]


def draw(results):
    """bench/out/growth.png: CPU time against size, log-log, every workload, with lines of slope 1 and 2."""
    if shutil.which("gnuplot") is None:
        return None
    drawn = [r for r in results if any(p.program for p in r.points)]
    if not drawn:
        return None
    data, picture = OUT / "growth.dat", OUT / "growth.png"
    blocks, plots, xs, ys = [], [], [], []
    for i, r in enumerate(drawn):
        points = [(r.workload.count(p.size), p.program.cpu) for p in r.points if p.program]
        xs += [x for x, _ in points]
        ys += [y for _, y in points]
        blocks.append("\n".join(f"{x} {y}" for x, y in points))
        colour = COLOURS[i % len(COLOURS)]
        plots.append(f"'{data}' index {i} using 1:2 with linespoints lc rgb '{colour}' pt {i % 13 + 1} lw 2 "
                     f"title '{r.workload.program}, {r.workload.short} ({exponent(r.exponent)})'")
    data.write_text("\n\n\n".join(blocks) + "\n")
    gx = math.exp(sum(map(math.log, xs)) / len(xs))
    gy = math.exp(sum(map(math.log, ys)) / len(ys))
    plots.append(f"{gy} * (x / {gx}) with lines dt 2 lc 'gray40' title 'slope 1 (linear)'")
    plots.append(f"{gy} * (x / {gx})**2 with lines dt 3 lc 'gray40' title 'slope 2 (quadratic)'")
    script = f"""
set terminal pngcairo size 1280,720 noenhanced
set output '{picture}'
set logscale xy
set grid
set key outside right top
set title 'CPU time (user + sys) against size; growth exponents in brackets'
set xlabel 'size (values, soldiers, records, sentences, lines, matrix elements)'
set ylabel 'CPU seconds'
set xrange [{min(xs) / 1.5}:{max(xs) * 1.5}]
set yrange [{min(ys) / 2}:{max(ys) * 2}]
plot {", ".join(plots)}
"""
    done = subprocess.run(["gnuplot"], input=script, capture_output=True, text=True)
    if done.returncode != 0:
        log(f"gnuplot failed: {done.stderr}")
        return None
    return os.path.relpath(picture, ROOT)


# The section of bench/RESULTS.md written by hand, carried over to every new report.
BY_HAND = "## Fast paths: what was kept and what went"


def written_by_hand(path):
    """The section BY_HAND of the report at path, up to the next section; empty when it has none."""
    if not path.exists():
        return ""
    text = path.read_text()
    start = text.find("\n" + BY_HAND + "\n")
    if start < 0:
        return ""
    end = text.find("\n## ", start + 1)
    return "\n" + text[start + 1:end if end >= 0 else len(text)].rstrip("\n") + "\n"


def beside_name(build_dir):
    """The earlier build as the report names it: its commit where its directory is in a git checkout."""
    if build_dir is None:
        return None
    done = subprocess.run(["git", "-C", build_dir, "rev-parse", "--short", "HEAD"], capture_output=True, text=True)
    return f"commit {done.stdout.strip()}" if done.returncode == 0 else f"`{build_dir}`"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--quick", action="store_true", help="small sizes: a check, not figures to quote")
    parser.add_argument("--limit", type=float, default=60, metavar="SECONDS",
                        help="skip a size predicted to take more CPU seconds than this (default 60)")
    parser.add_argument("--build", type=Path, default=ROOT / "build" / "bench", metavar="DIR",
                        help="the release build directory (default build/bench)")
    parser.add_argument("--previous", type=Path, default=BENCH / "RESULTS.md", metavar="FILE",
                        help="the earlier report to compare with (default bench/RESULTS.md, read before "
                             "it is replaced)")
    parser.add_argument("--beside", type=Path, metavar="DIR",
                        help="the build directory of an earlier commit, its programs in DIR/bin: run beside "
                             "this build at every workload's largest size for × before")
    parser.add_argument("programs", nargs="*", metavar="PROGRAM", help="only these programs")
    args = parser.parse_args()
    listed = (ROOT / "programs.list").read_text().split()
    unknown = [p for p in args.programs if p not in listed]
    if unknown:
        parser.error(f"not in programs.list: {', '.join(unknown)}")
    chosen = [p for p in listed if not args.programs or p in args.programs]

    before, before_commit = previous_figures(args.previous)
    begun, load_at_start = time.perf_counter(), os.getloadavg()[0]
    build_dir = args.build.resolve()
    bin_dir = build(build_dir, chosen)
    INPUTS.mkdir(parents=True, exist_ok=True)
    shutil.rmtree(RUN, ignore_errors=True)
    RUN.mkdir()
    results, missing, starts = [], [], {}
    for program in chosen:
        workloads = [w for w in WORKLOADS if w.program == program]
        if not workloads:
            missing.append(program)
            continue
        starts[program] = startup(bin_dir / program)
        for w in workloads:
            log(f"{program}: {w.short}")
            earlier = args.beside.resolve() / "bin" / program if args.beside else None
            results.append(measure(w, bin_dir / program, args.quick, args.limit, earlier))
    shutil.rmtree(RUN)
    picture = draw(results)
    report = render(results, missing, starts, args.quick, build_dir, (load_at_start, os.getloadavg()[0]),
                    time.perf_counter() - begun, picture, before, before_commit, beside_name(args.beside))
    print(report, end="")
    kept = not args.quick and chosen == listed
    target = BENCH / "RESULTS.md" if kept else OUT / "report.md"
    target.write_text(report + written_by_hand(BENCH / "RESULTS.md"))
    log(f"report written to {os.path.relpath(target, ROOT)}")


if __name__ == "__main__":
    main()
