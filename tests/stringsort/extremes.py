#!/usr/bin/env python3
"""stringsort at the limits of its numbers: counts and sizes of 0, negative,
the largest int and wrapping; lines of a megabyte; many lines in both
orders."""
import random
import sys

from bigrun import check, check_run, finish, run, sanitized, scaled

program = sys.argv[1]
question = b"\nVvedite algoritm sortirovki. a - v alfavitnom porjadke, b - po vozrastaniju sum.\n"


def sorted_part(out):
    """The lines listed after the order question."""
    tail = out.split(question, 1)[-1]
    return [line[len(b" stroka: "):] for line in tail.split(b"\n") if line.startswith(b" stroka: ")]


# A count of 4294967297 is one line; a size of the largest int takes only
# what is typed, a line of a megabyte included.
big = b"Q" + b"7" * (1 << 20)
r = run(program, b"4294967297\n2147483647\n" + big + b"\nb\n", memory_mb=64)
check_run(r, "count 4294967297, size INT_MAX")
check(sorted_part(r.out) == [big], "one line of a megabyte")
r = run(program, b"3\n2147483647\nZz\n" + big + b"\nAa\na\n", memory_mb=64)
check_run(r, "a line of a megabyte between short ones")
check(sorted_part(r.out) == [b"Aa", big, b"Zz"], "a line of a megabyte between short ones: the order")

# Memory running out while lines are typed: a message on standard error and
# status 1, not a quiet end that looks like success.
if not sanitized(program):
    r = run(program, b"2147483647\n2147483647\n" + b"x\n" * 3000000, memory_mb=48)
    check(r.status == 1 and r.err == b"stringsort: out of memory\n",
          f"out of memory while typing: status {r.status}, {r.err!r}")

for count in (b"0", b"-1", b"-2147483648"):
    r = run(program, count + b"\n20\n")
    check_run(r, f"count {count.decode()}")

# 200,000 lines (a quarter under the sanitizers) in alphabetical order, each key distinct.
n = scaled(program, 200000)
random.seed(8)
keys = random.sample(range(10**9), n)
lines = [b"x%dQ%09d" % (i % 10, k) for i, k in enumerate(keys)]
r = run(program, b"%d\n20\n" % n + b"".join(line + b"\n" for line in lines) + b"a\n", memory_mb=128)
check_run(r, f"{n} lines alphabetical")
check(sorted_part(r.out) == sorted(lines, key=lambda line: line[line.index(b"Q"):]),
      f"{n} lines alphabetical: the order")

# The order by sums, whose exchange sort takes time as the square of the
# count: 4,000 lines whose sums wrap around, each sum distinct.
n = scaled(program, 4000)
sums = random.sample(range(-2**31, 2**31), n)
lines = [b"%d %d" % (s - 2**31 if s >= 0 else s + 2**31, 2**31) for s in sums]
r = run(program, b"%d\n30\n" % n + b"".join(line + b"\n" for line in lines) + b"b\n", memory_mb=64)
check_run(r, f"{n} lines by sums")
check(sorted_part(r.out) == [lines[i] for i in sorted(range(n), key=lambda i: sums[i])],
      f"{n} lines by sums: the order")
finish()
