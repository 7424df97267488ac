#!/usr/bin/env python3
"""maxcut at the limits of its numbers: sizes of 0, negative, the largest
int and one that wraps; a matrix of a million elements."""
import random
import sys

from bigrun import check, check_run, finish, run

program = sys.argv[1]

# Sizes refused, then one beyond any memory, then input ends.
r = run(program, b"0\n-1\n-2147483648\n2147483647\n")
check_run(r, "sizes 0, -1, INT_MIN, INT_MAX")
check(r.out.count(b"Eror, vvedeno nevernoe znachenie\n") == 3, "sizes below 1 refused")

# 4294967297 is read as scanf reads it into an int: 1.
r = run(program, b"4294967297\n-2147483648\n")
check_run(r, "size 4294967297")
check(r.out.endswith(b"Vvedenn mas:\n-2147483648\nRezyltat:"), "size 4294967297 is 1")

# 1000 x 1000: the largest element is unique; its row and column go.
# Values of at most four digits keep the printed columns apart.
n = 1000
random.seed(8)
values = [random.randint(-999, 999) for _ in range(n * n)]
top = random.randrange(n * n)
values[top] = -5000
data = f"{n}\n".encode() + b"".join(b"%d\n" % v for v in values)
r = run(program, data, memory_mb=48)
check_run(r, "a million elements")
rows = [row for row in r.out.split(b"Rezyltat:\n", 1)[-1].split(b"\n") if row]
check(len(rows) == n - 1, f"1000 x 1000: {len(rows)} rows left")
ti, tj = divmod(top, n)
kept = [i for i in range(n) if i != ti]
for i in (0, n // 2, n - 2):
    expected = [abs(values[kept[i] * n + j]) for j in range(n) if j != tj]
    check(i < len(rows) and [int(x) for x in rows[i].split()] == expected, f"1000 x 1000: row {i} left")
finish()
