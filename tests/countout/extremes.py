#!/usr/bin/env python3
"""countout at the limits of its numbers: counts, start numbers and steps of
0, negative, the largest int and wrapping; a ring of a million soldiers
(a quarter under the sanitizers) counted with the largest step; a name of a megabyte."""
import re
import sys

from bigrun import check, check_run, finish, run, scaled

program = sys.argv[1]
invalid = b"Vvedeno nevernoe znachenie!\nPovtorite vvod: "


def survivor(out):
    found = re.search(rb"Za podmogoy idet: ([^\n]*)\n", out)
    return found.group(1) if found else None


# Counts 0, -1 and INT_MIN refused, 4294967298 read as 2; start numbers
# beyond the ring and 0 refused; steps 0 and negative refused, the largest
# taken.
r = run(program, b"0\n-1\n-2147483648\n4294967298\nA\nB\n3\n2147483647\n0\n1\n0\n-5\n2147483647\nr\nn\n")
check_run(r, "numbers at the limits")
check(r.out.count(invalid) == 8, f"eight refusals, got {r.out.count(invalid)}")
check(survivor(r.out) in (b"A", b"B"), "a ring of two")
r = run(program, b"4294967297\nA\nn\n")
check_run(r, "count 4294967297")
check(survivor(r.out) == b"A", "count 4294967297 is a ring of one")

# Large rings, the largest step, both directions.
for n, direction in ((scaled(program, 1000000), b"r"), (scaled(program, 100000), b"l")):
    names = b"".join(b"S%d\n" % i for i in range(n))
    r = run(program, b"%d\n" % n + names + b"4294967297\n2147483647\n" + direction + b"\nn\n", memory_mb=160)
    check_run(r, f"{n} soldiers, direction {direction.decode()}")
    name = survivor(r.out)
    check(name is not None and re.fullmatch(rb"S\d+", name) is not None, f"{n} soldiers: one goes")

# A name of a megabyte is taken like any long name.
r = run(program, b"2\n" + b"a" * (1 << 20) + b"\nb\n1\n1\nr\nn\n", memory_mb=64)
check_run(r, "a name of a megabyte")
check(survivor(r.out) is not None, "a name of a megabyte: the count runs")
finish()
